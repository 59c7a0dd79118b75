// Unicode text through the code page 932 byte engine without loss. Every character
// the code page holds becomes its code; every other one becomes a stand-in code
// (StandIns) and turns back into itself afterwards. A text of code page 932
// characters alone therefore reaches the engine as exactly the bytes the platform
// makes of it.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "unicode/CodePage932.h"
#include "unicode/StandIns.h"
#include "unicode/VectorRuns.h"

namespace qm {

struct Cp932Text {
    enum class Status { Ok, InvalidUtf8, TooManyForeign };
    Status status = Status::Ok;
    std::string bytes;  // empty unless Ok
    StandIns standIns;
    // Where the text could not be taken, in bytes (UTF-8) or code units (UTF-16):
    // the first byte that is no UTF-8, or the first character left without a code.
    std::size_t errorOffset = 0;
};

// Any byte string: what is not UTF-8 (overlong forms and surrogates included)
// ends the conversion with InvalidUtf8. Every level gives the same result.
Cp932Text Utf8ToCp932(std::string_view utf8, const CodePage932& cp = Cp932(),
                      runs::Level level = runs::Best());
// The same for the text from `from` on, in a buffer the caller gives up: the result
// is written over it and its bytes are that buffer, so that a long text needs no
// second one (but from its first foreign character on, which goes through a buffer
// of its own). Offsets count from `from`.
Cp932Text Utf8ToCp932InPlace(std::string&& utf8, std::size_t from = 0,
                             const CodePage932& cp = Cp932(), runs::Level level = runs::Best());
// Any code units: a lone surrogate is a character of its own and comes back as itself.
Cp932Text Utf16ToCp932(std::u16string_view text, const CodePage932& cp = Cp932());

// Any byte string. Stand-ins become their characters; a byte or a code that the
// code page does not define (a lone lead byte, say) becomes U+FFFD, and with it
// a non-ASCII second byte.
std::string Cp932ToUtf8(std::string_view bytes, const StandIns& standIns,
                        const CodePage932& cp = Cp932(), runs::Level level = runs::Best());
// The same handed to `write` a piece at a time, for output that goes straight out.
using Utf8Sink = std::function<void(std::string_view)>;
void Cp932ToUtf8(std::string_view bytes, const StandIns& standIns, const Utf8Sink& write,
                 const CodePage932& cp = Cp932());
std::u16string Cp932ToUtf16(std::string_view bytes, const StandIns& standIns,
                            const CodePage932& cp = Cp932());

// A run of the byte engine: code page 932 text in, code page 932 text out.
using ByteFilter = std::function<std::string(std::string_view)>;

// The clipboard's run over its Unicode text: the text to write when the filter
// changed it; nothing to write when it came out the same, or when it holds more
// distinct characters outside the code page than there are stand-in codes.
struct Utf16Filtered {
    enum class Outcome { Changed, Unchanged, TooManyForeign };
    Outcome outcome = Outcome::Unchanged;
    std::u16string text;  // Changed only
};
Utf16Filtered FilterUtf16(std::u16string_view text, const ByteFilter& filter);

// A run of the byte engine that also gives where it ended the text: the engine ends
// a text at its first NUL.
using EndingByteFilter = std::function<std::string(std::string_view, std::size_t& end)>;

// The command line's run over UTF-8. A byte-order mark at the start stays at the
// start and is not filtered. A text the filter ended before its end (at a NUL) is
// not taken either, as what follows would be lost: HoldsNul, at the NUL's offset.
struct Utf8Filtered {
    enum class Status { Ok, InvalidUtf8, TooManyForeign, HoldsNul };
    Status status = Status::Ok;
    std::string text;  // Ok only
    std::size_t errorOffset = 0;
};
Utf8Filtered FilterUtf8(std::string_view text, const EndingByteFilter& filter);
// The same with the result handed to `write` a piece at a time (text stays empty);
// nothing is written unless the text is taken.
Utf8Filtered FilterUtf8(std::string_view text, const EndingByteFilter& filter,
                        const Utf8Sink& write);
// The same over a buffer the caller gives up, which the conversion reuses.
Utf8Filtered FilterUtf8(std::string&& text, const EndingByteFilter& filter, const Utf8Sink& write);

}  // namespace qm
