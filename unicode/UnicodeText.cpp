#include "unicode/UnicodeText.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include "base/LargePages.h"

namespace qm {

namespace {

using Status = Cp932Text::Status;

// Work is done a block at a time, in a buffer that stays in the cache.
constexpr std::size_t kBlock = 1 << 14;
constexpr char32_t kReplacement = 0xFFFD;

// Copies the ASCII run at p (up to end) to w, eight bytes' worth at a time. A
// whole group is stored even when the run ends inside it: the buffer has room for
// the whole block, and what follows the run overwrites the rest.
template <typename In, typename Unit>
const In* CopyAscii(const In* p, const In* const end, Unit*& w) {
    constexpr std::ptrdiff_t kGroup = 8 / sizeof(In);
    constexpr std::uint64_t kHigh = sizeof(In) == 1 ? 0x8080808080808080u : 0xFF80FF80FF80FF80u;
    static_assert(std::endian::native == std::endian::little);
    while (end - p >= kGroup) {
        std::uint64_t v;
        std::memcpy(&v, p, 8);
        if constexpr (sizeof(In) == sizeof(Unit)) {
            std::memcpy(w, &v, 8);
        } else {
            for (std::ptrdiff_t k = 0; k < kGroup; ++k)
                w[k] = static_cast<Unit>(p[k]);
        }
        const std::uint64_t high = v & kHigh;
        const std::ptrdiff_t n = high ? std::countr_zero(high) / (8 * sizeof(In)) : kGroup;
        p += n;
        w += n;
        if (n < kGroup) return p;
    }
    while (p < end && *p < 0x80)
        *w++ = static_cast<Unit>(*p++);
    return p;
}

// The length of the UTF-8 sequence at p, with its character in c; 0 when the
// bytes there are not UTF-8. p holds no ASCII byte.
std::size_t DecodeUtf8(const unsigned char* p, const unsigned char* end, char32_t& c) {
    const unsigned b = p[0];
    const auto left = static_cast<std::size_t>(end - p);
    auto more = [&](std::size_t k) { return (p[k] & 0xC0) == 0x80; };
    if (b < 0xC2) return 0;  // a continuation byte or an overlong start
    if (b < 0xE0) {
        if (left < 2 || !more(1)) return 0;
        c = (b & 0x1F) << 6 | (p[1] & 0x3F);
        return 2;
    }
    if (b < 0xF0) {
        if (left < 3 || !more(1) || !more(2)) return 0;
        if ((b == 0xE0 && p[1] < 0xA0) || (b == 0xED && p[1] >= 0xA0)) return 0;
        c = (b & 0x0F) << 12 | (p[1] & 0x3F) << 6 | (p[2] & 0x3F);
        return 3;
    }
    if (b < 0xF5) {
        if (left < 4 || !more(1) || !more(2) || !more(3)) return 0;
        if ((b == 0xF0 && p[1] < 0x90) || (b == 0xF4 && p[1] >= 0x90)) return 0;
        c = (b & 0x07) << 18 | (p[1] & 0x3F) << 12 | (p[2] & 0x3F) << 6 | (p[3] & 0x3F);
        return 4;
    }
    return 0;
}

// Whether a step of Convert ends where the runs stopped (from p, at q): at the end
// of the block, or at ASCII, which is copied in bulk. Otherwise it takes the
// character there one at a time as well, rather than asking the runs again at a
// character they do not take.
template <typename In>
bool StopsAtLast(const In* p, const In* q, const In* limit) {
    return q == limit || (q != p && *q < 0x80);
}

// The level a pass asks its walk at, which drops to the plain loops for a while
// where the walk keeps stopping within a block of where it started: each stop
// costs a block's masks and look-ups, and text of characters the walks do not
// take (Cyrillic, accented letters) went several times more slowly through them
// than through the plain loops. Each such stop doubles the number of calls that
// go without the walk, up to 256; a walk that takes a block or more ends it. A
// walk with too little text left before the limit to start counts for neither.
class WalkLevel {
  public:
    explicit WalkLevel(runs::Level level) : level_(level) {}

    runs::Level Next() {
        if (skip_ == 0) return level_;
        --skip_;
        return runs::Level::Plain;
    }

    void Took(runs::Level asked, std::ptrdiff_t units, std::ptrdiff_t room) {
        if (asked == runs::Level::Plain || room < 2 * 64) return;
        if (units >= 64) {
            stretch_ = 0;
            return;
        }
        stretch_ = std::min(stretch_ == 0 ? 1u : 2 * stretch_, 256u);
        skip_ = stretch_;
    }

  private:
    runs::Level level_;
    unsigned stretch_ = 0;
    unsigned skip_ = 0;
};

// A function as a type of its own, so that the loops it is handed to inline it.
template <auto F>
struct Call {
    template <typename... Args>
    auto operator()(Args&&... args) const {
        return F(std::forward<Args>(args)...);
    }
};

// Converts [p, end) at w, ASCII runs as they are and any other character by
// `one(p, end, w)`, which writes at w what it takes from p and returns the number
// of units it took, or 0 to stop (left in n). Returns where the walk stopped.
template <typename In, typename Unit, typename One>
const In* ConvertAt(const In* p, const In* const end, Unit*& w, One& one, std::size_t& n) {
    n = 1;
    while (p < end && n > 0) {
        p = CopyAscii(p, end, w);
        if (p == end) break;
        n = one(p, end, w);
        p += n;
    }
    return p;
}

// Converts [p, end) a block at a time into a buffer of its own and hands each
// block's result to emit(units, count), so that the room for a block's worst case
// is never cleared and the result is copied once, from the cache. No input unit
// gives more than `grow` output units. Returns where the walk stopped: end unless
// `one` did.
template <typename Unit, typename In, typename One, typename Emit>
const In* Convert(const In* p, const In* const end, std::size_t grow, One one, Emit emit) {
    const auto buffer = std::make_unique_for_overwrite<Unit[]>(grow * kBlock + runs::kSpareBytes);
    while (p < end) {
        const In* const blockEnd =
            p + std::min<std::size_t>(static_cast<std::size_t>(end - p), kBlock);
        Unit* w = buffer.get();
        std::size_t n = 1;
        p = ConvertAt(p, blockEnd, w, one, n);
        emit(buffer.get(), static_cast<std::size_t>(w - buffer.get()));
        if (n == 0) break;
    }
    return p;
}

// Writes characters as code page 932, foreign ones as stand-ins, and notes which
// codes of the user-defined area the text holds as characters of its own. One that
// may not lend codes takes no foreign character.
class Encoder {
  public:
    Encoder(const CodePage932& cp, Cp932Text& text, StandIns::AreaCodes& own, bool lends)
        : cp_(cp), text_(text), own_(own), lends_(lends) {}

    // False when no stand-in code is left for c, or none may be lent.
    bool Put(char32_t c, char*& w) {
        const std::uint16_t code = CodeOf(c);
        if (code == StandIns::kNoCode) return false;
        if (code < 0x100) {
            *w++ = static_cast<char>(code);
            return true;
        }
        *w++ = static_cast<char>(code >> 8);
        *w++ = static_cast<char>(code & 0xFF);
        return true;
    }

    // For the fast path, a character of a three-byte sequence that its table lacks
    // (a stand-in, a user-defined character), as the table would hold its code; 0
    // for what is no character (a surrogate, an overlong form), for a code of one
    // byte, and when no stand-in code is left.
    static std::uint32_t PairBytes(void* self, std::uint32_t c) {
        if (!InTable(c)) return 0;
        const std::uint16_t code = static_cast<Encoder*>(self)->CodeOf(c);
        if (code < 0x100 || code == StandIns::kNoCode) return 0;
        return CodePage932::InMemory(code);
    }

    // The table the runs read (as CommonPairBytes): once a stand-in is lent, a copy
    // with the stand-ins lent so far. Asked for one by one outside it, a Hangul
    // syllable on every line had made the way there nearly twice as slow.
    const std::uint16_t* Pairs() const {
        return lent_.empty() ? cp_.CommonPairBytes() : lent_.data();
    }

  private:
    // Characters the runs look up, a surrogate never: a lone one has a stand-in of
    // its own, while one of a pair is no character by itself.
    static bool InTable(char32_t c) {
        return c >= 0x800 && c < 0x10000 && (c < 0xD800 || c >= 0xE000);
    }

    // The code c is written with, a stand-in's when the code page has none, or
    // kNoCode when no stand-in code is left.
    std::uint16_t CodeOf(char32_t c) {
        const std::uint16_t code =
            c < 0x10000 ? cp_.Code(static_cast<char16_t>(c)) : StandIns::kNoCode;
        if (code == StandIns::kNoCode) {
            if (!lends_) return StandIns::kNoCode;
            const std::uint16_t lent = text_.standIns.CodeFor(c);
            if (lent != StandIns::kNoCode && InTable(c)) {
                if (lent_.empty())
                    lent_.assign(cp_.CommonPairBytes(), cp_.CommonPairBytes() + 0x10000);
                lent_[c] = CodePage932::InMemory(lent);
            }
            return lent;
        }
        if (StandIns::InArea(code)) own_[StandIns::AreaIndex(code)] = true;
        return code;
    }

    const CodePage932& cp_;
    Cp932Text& text_;
    StandIns::AreaCodes& own_;
    const bool lends_;
    std::vector<std::uint16_t> lent_;
};

// A pass that writes over its own input rather than into a string of its own:
// the result goes to the start of the input, behind what was read, as no
// character takes more bytes in code page 932 than in UTF-8. It lends no stand-in
// code: it stops before the first foreign character, with TooManyForeign.
struct OverInput {
    char* into;
    std::size_t written = 0;
};

// Converts [p, end) over its own input. The result goes through a buffer only
// until it lies far enough behind the input that the runs' spare writes past it
// cannot reach a byte still to be read; from there on it is written in place, in
// one walk to the end. The copy out of a buffer, and the runs stopped at each of
// its blocks' ends, had cost a fifth as much again as the conversion itself. The
// first block is short, so that a Japanese text is soon written in place.
template <typename In, typename One>
const In* ConvertOverInput(const In* p, const In* const end, One one, OverInput& over) {
    const auto buffer = std::make_unique_for_overwrite<char[]>(kBlock + runs::kSpareBytes);
    std::size_t block = 1 << 10;
    std::size_t n = 1;
    while (p < end && n > 0) {
        char* const at = over.into + over.written;
        char* w = at;
        if (reinterpret_cast<const char*>(p) - at >= runs::kSpareBytes) {
            p = ConvertAt(p, end, w, one, n);
        } else {
            w = buffer.get();
            const In* const blockEnd =
                p + std::min<std::size_t>(static_cast<std::size_t>(end - p), block);
            p = ConvertAt(p, blockEnd, w, one, n);
            std::memcpy(at, buffer.get(), static_cast<std::size_t>(w - buffer.get()));
            w = at + (w - buffer.get());
            block = kBlock;
        }
        over.written += static_cast<std::size_t>(w - at);
    }
    return p;
}

// One pass from UTF-8 (bytes) or UTF-16 (code units) to code page 932. `run(p,
// limit, w, encoder)` takes what it can of the characters that make up most of a Japanese
// text and returns where it stopped; `decode` reads any one character.
template <typename In, typename Run, typename Decode>
Cp932Text EncodePass(const In* begin, const In* end, std::size_t grow, Run run, Decode decode,
                     const CodePage932& cp, const StandIns::AreaCodes& taken,
                     StandIns::AreaCodes& own, OverInput* over) {
    Cp932Text text;
    text.standIns = StandIns(taken);
    Encoder encoder(cp, text, own, over == nullptr);
    const auto one = [&](const In* p, const In* limit, char*& w) -> std::size_t {
        const In* q = run(p, limit, w, encoder);
        if (StopsAtLast(p, q, limit)) return static_cast<std::size_t>(q - p);
        char32_t c = 0;
        const std::size_t n = decode(q, end, c);
        Status failed = Status::Ok;
        if (n == 0) {
            failed = Status::InvalidUtf8;
        } else if (!encoder.Put(c, w)) {
            failed = Status::TooManyForeign;
        }
        if (failed == Status::Ok) return static_cast<std::size_t>(q + n - p);
        // After what the runs took, the next call fails here again, at its own offset.
        if (q != p) return static_cast<std::size_t>(q - p);
        text.status = failed;
        return 0;
    };
    const In* stop = nullptr;
    if (over != nullptr) {
        stop = ConvertOverInput(begin, end, one, *over);
    } else {
        text.bytes.reserve(grow * static_cast<std::size_t>(end - begin));
        PreferLargePages(text.bytes.data(), text.bytes.capacity());
        stop = Convert<char>(begin, end, grow, one, [&](const char* units, std::size_t n) {
            text.bytes.append(units, n);
        });
    }
    if (text.status != Status::Ok) {
        text.bytes.clear();
        text.errorOffset = static_cast<std::size_t>(stop - begin);
    }
    return text;
}

Cp932Text Utf8Pass(std::string_view in, const CodePage932& cp, runs::Level level,
                   const StandIns::AreaCodes& taken, StandIns::AreaCodes& own, OverInput* over) {
    // Three-byte characters with a common code or a stand-in lent already (the table
    // has none below U+0800, so no overlong form gets through), after the fast path
    // has taken what it can.
    const auto run = [walk = WalkLevel(level)](const unsigned char* p, const unsigned char* limit,
                                               char*& w, Encoder& encoder) mutable {
        const std::uint16_t* const pairs = encoder.Pairs();
        const runs::Level asked = walk.Next();
        const unsigned char* const from = p;
        p = runs::Utf8ToCp932(asked, p, limit, w, pairs, {&Encoder::PairBytes, &encoder});
        walk.Took(asked, p - from, limit - from);
        auto character = [](std::uint64_t v) {
            return (v & 0x0F) << 12 | (v >> 2 & 0xFC0) | (v >> 16 & 0x3F);
        };
        char* o = w;  // in a register: the bytes written through it could be its own
        while (limit - p >= 4) {
            std::uint32_t v;
            std::memcpy(&v, p, 4);
            if ((v & 0xC0C0F0) != 0x8080E0) break;
            const std::uint16_t two = pairs[character(v)];
            if ((two & 0xFF) == 0) break;  // none, or a code of one byte
            std::memcpy(o, &two, 2);
            o += 2;
            p += 3;
        }
        w = o;
        return p;
    };
    const auto* const begin = reinterpret_cast<const unsigned char*>(in.data());
    // No character takes more bytes in code page 932 than in UTF-8.
    return EncodePass(begin, begin + in.size(), 1, run, Call<DecodeUtf8>(), cp, taken, own, over);
}

// The character at p: a surrogate pair, or any other unit on its own.
std::size_t DecodeUtf16(const char16_t* p, const char16_t* end, char32_t& c) {
    c = p[0];
    if (c < 0xD800 || c >= 0xDC00 || end - p < 2 || p[1] < 0xDC00 || p[1] >= 0xE000) return 1;
    c = 0x10000 + ((c - 0xD800) << 10) + (p[1] - 0xDC00);
    return 2;
}

// (UTF-16 has no block walk: a character there is one unit and one look-up.)
Cp932Text Utf16Pass(std::u16string_view in, const CodePage932& cp, runs::Level,
                    const StandIns::AreaCodes& taken, StandIns::AreaCodes& own, OverInput*) {
    // Characters from U+0800 on with a common two-byte code or a stand-in lent already
    // (no surrogate has either).
    const auto run = [](const char16_t* p, const char16_t* limit, char*& w, Encoder& encoder) {
        const std::uint16_t* const pairs = encoder.Pairs();
        for (; p < limit && (pairs[*p] & 0xFF) != 0; ++p, w += 2)
            std::memcpy(w, &pairs[*p], 2);
        return p;
    };
    return EncodePass(in.data(), in.data() + in.size(), 2, run, Call<DecodeUtf16>(), cp, taken, own,
                      nullptr);
}

// A text that holds user-defined characters of its own may have lent one of their
// codes to a foreign character before they came up: then once more, with the codes
// the text holds kept out of the stand-ins. `own` starts with codes known to be
// taken already.
template <typename Pass, typename Text>
Cp932Text ToCp932(Pass pass, Text in, const CodePage932& cp, runs::Level level,
                  StandIns::AreaCodes own = {}) {
    const StandIns::AreaCodes before = own;
    Cp932Text text = pass(in, cp, level, before, own, nullptr);
    if (text.status == Status::Ok && text.standIns.UsesAny(own))
        text = pass(in, cp, level, own, own, nullptr);
    return text;
}

char* PutUtf8(char32_t c, char* w) {
    if (c < 0x80) {
        *w++ = static_cast<char>(c);
    } else if (c < 0x800) {
        *w++ = static_cast<char>(0xC0 | c >> 6);
        *w++ = static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        if (c >= 0xD800 && c < 0xE000) c = kReplacement;  // UTF-8 has no lone surrogates
        // One store of four bytes, the last of them overwritten by what follows.
        const std::uint32_t bytes =
            (0xE0 | c >> 12) | (0x80 | (c >> 6 & 0x3F)) << 8 | (0x80 | (c & 0x3F)) << 16;
        std::memcpy(w, &bytes, 4);
        w += 3;
    } else {
        *w++ = static_cast<char>(0xF0 | c >> 18);
        *w++ = static_cast<char>(0x80 | (c >> 12 & 0x3F));
        *w++ = static_cast<char>(0x80 | (c >> 6 & 0x3F));
        *w++ = static_cast<char>(0x80 | (c & 0x3F));
    }
    return w;
}

char16_t* PutUtf16(char32_t c, char16_t* w) {
    if (c < 0x10000) {
        *w++ = static_cast<char16_t>(c);
    } else {
        *w++ = static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
        *w++ = static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    }
    return w;
}

// The character at p (within a text that ends at end) and the number of bytes it takes.
inline char32_t DecodeCp932(const unsigned char* p, const unsigned char* end,
                            const StandIns& standIns, const CodePage932& cp, std::size_t& n) {
    const unsigned b = *p;
    if (!cp.IsLead(static_cast<std::uint8_t>(b))) {
        n = 1;
        const char16_t c = cp.Single(static_cast<std::uint8_t>(b));
        return c == CodePage932::kNoCharacter ? kReplacement : c;
    }
    if (end - p < 2) {
        n = 1;
        return kReplacement;
    }
    const unsigned t = p[1];
    const auto code = static_cast<std::uint16_t>(b << 8 | t);
    if (const char32_t s = standIns.CharacterOf(code)) {
        n = 2;
        return s;
    }
    const char16_t c = cp.Pair(code);
    if (c != CodePage932::kNoCharacter) {
        n = 2;
        return c;
    }
    // An ASCII byte after a lead byte is a character of its own.
    n = t >= 0x80 && t <= 0xFC ? 2 : 1;
    return kReplacement;
}

// Code page 932 to UTF-8 or UTF-16, handed to emit(units, count) a block at a
// time. `run(p, limit, w)` takes what it can of the two-byte characters that make
// up most of a Japanese text and returns where it stopped. No input byte gives
// more than `grow` output units (a half-width katakana byte three UTF-8 bytes, a
// stand-in pair four).
template <typename Unit, typename Run, typename Put, typename Emit>
void ToUnicode(std::string_view bytes, const StandIns& standIns, const CodePage932& cp,
               std::size_t grow, Run run, Put put, Emit emit) {
    const auto* const p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* const end = p + bytes.size();
    const auto one = [&](const unsigned char* at, const unsigned char* limit, Unit*& w) {
        const unsigned char* q = run(at, limit, w);
        if (StopsAtLast(at, q, limit)) return static_cast<std::size_t>(q - at);
        std::size_t n = 1;
        w = put(DecodeCp932(q, end, standIns, cp, n), w);
        return static_cast<std::size_t>(q + n - at);
    };
    Convert<Unit>(p, end, grow, one, emit);
}

// The fast path knows the lead bytes that code page 932 has everywhere.
bool UsualLeadBytes(const CodePage932& cp) {
    for (unsigned b = 0; b < 256; ++b) {
        const bool usual = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
        if (cp.IsLead(static_cast<std::uint8_t>(b)) != usual) return false;
    }
    return true;
}

// The code page's table with a text's stand-ins written over their codes: in the
// table every walk takes them. Asked for one by one outside it, a Hangul syllable
// on every line had made the AVX2 walk back no faster than the plain loop.
std::vector<std::uint32_t> PairUtf8Of(const StandIns& standIns, const CodePage932& cp) {
    std::vector<std::uint32_t> table(cp.PairUtf8(), cp.PairUtf8() + 0x10000);
    for (std::uint32_t code = 0xF000; StandIns::InArea(static_cast<std::uint16_t>(code)); ++code) {
        if (const char32_t c = standIns.CharacterOf(static_cast<std::uint16_t>(code)))
            table[CodePage932::InMemory(static_cast<std::uint16_t>(code))] =
                CodePage932::PairUtf8Entry(c);
    }
    return table;
}

template <typename Emit>
void ToUtf8(std::string_view bytes, const StandIns& standIns, const CodePage932& cp,
            runs::Level level, Emit emit) {
    if (!UsualLeadBytes(cp)) level = runs::Level::Plain;
    const std::vector<std::uint32_t> table =
        standIns.empty() ? std::vector<std::uint32_t>() : PairUtf8Of(standIns, cp);
    const auto run = [utf8 = table.empty() ? cp.PairUtf8() : table.data(),
                      single = cp.SingleThreeByteUtf8(), walk = WalkLevel(level)](
                         const unsigned char* q, const unsigned char* limit, char*& w) mutable {
        const runs::Level asked = walk.Next();
        const unsigned char* const from = q;
        q = runs::Cp932ToUtf8(asked, q, limit, w, utf8, single);
        walk.Took(asked, q - from, limit - from);
        char* o = w;  // in a register: the bytes written through it could be its own
        while (limit - q >= 2) {
            const std::uint32_t three = utf8[q[0] | q[1] << 8];
            // A character of two bytes (a degree sign, a Greek letter) is taken here
            // too, on a branch that Japanese text hardly ever takes.
            if ((three & runs::kThreeBytes) == 0) [[unlikely]] {
                if (three == 0) break;
                std::memcpy(o, &three, 2);
                o += 2;
                q += 2;
                continue;
            }
            // One store of four bytes, the last of them overwritten by what follows.
            std::memcpy(o, &three, 4);
            o += 3;
            q += 2;
        }
        w = o;
        return q;
    };
    ToUnicode<char>(bytes, standIns, cp, 3, run, Call<PutUtf8>(), emit);
}

template <typename Emit>
void ToUtf16(std::string_view bytes, const StandIns& standIns, const CodePage932& cp, Emit emit) {
    const auto run = [pairs = cp.Pairs()](const unsigned char* q, const unsigned char* limit,
                                          char16_t*& w) {
        while (limit - q >= 2 && q[0] < 0xF0) {
            const char16_t c = pairs[q[0] << 8 | q[1]];
            if (c == CodePage932::kNoCharacter) break;
            *w++ = c;
            q += 2;
        }
        return q;
    };
    ToUnicode<char16_t>(bytes, standIns, cp, 1, run, Call<PutUtf16>(), emit);
}

// Appends to a string, which has room for a text of the size expected.
template <typename Out>
auto AppendTo(Out& out, std::size_t expected) {
    out.reserve(out.size() + expected);
    PreferLargePages(out.data(), out.capacity() * sizeof(typename Out::value_type));
    return [&out](const typename Out::value_type* units, std::size_t n) { out.append(units, n); };
}

}  // namespace

Cp932Text Utf8ToCp932(std::string_view utf8, const CodePage932& cp, runs::Level level) {
    return ToCp932(Utf8Pass, utf8, cp, level);
}

Cp932Text Utf8ToCp932InPlace(std::string&& utf8, std::size_t from, const CodePage932& cp,
                             runs::Level level) {
    from = std::min(from, utf8.size());
    char* const data = utf8.data();
    StandIns::AreaCodes own;
    OverInput over{data};
    Cp932Text text =
        Utf8Pass({data + from, utf8.size() - from}, cp, level, StandIns::AreaCodes(), own, &over);
    if (text.status == Status::Ok) {
        utf8.resize(over.written);
        text.bytes = std::move(utf8);
        return text;
    }
    if (text.status != Status::TooManyForeign) return text;
    // The rest, from the first foreign character on, is still there as it was read:
    // a pass of its own lends the stand-ins, keeping out the user-defined codes the
    // text has held so far, and its result follows what is done.
    const std::size_t done = text.errorOffset;
    const std::size_t rest = from + done;
    Cp932Text tail =
        ToCp932(Utf8Pass, std::string_view(data + rest, utf8.size() - rest), cp, level, own);
    if (tail.status != Status::Ok) {
        tail.errorOffset += done;
        return tail;
    }
    std::memcpy(data + over.written, tail.bytes.data(), tail.bytes.size());
    utf8.resize(over.written + tail.bytes.size());
    tail.bytes = std::move(utf8);
    return tail;
}

Cp932Text Utf16ToCp932(std::u16string_view text, const CodePage932& cp) {
    return ToCp932(Utf16Pass, text, cp, runs::Level::Plain);
}

std::string Cp932ToUtf8(std::string_view bytes, const StandIns& standIns, const CodePage932& cp,
                        runs::Level level) {
    std::string out;
    // Japanese text grows by half in UTF-8; more than that is the exception.
    ToUtf8(bytes, standIns, cp, level, AppendTo(out, bytes.size() + bytes.size() / 2));
    return out;
}

void Cp932ToUtf8(std::string_view bytes, const StandIns& standIns, const Utf8Sink& write,
                 const CodePage932& cp) {
    ToUtf8(bytes, standIns, cp, runs::Best(), [&](const char* units, std::size_t n) {
        write({units, n});
    });
}

std::u16string Cp932ToUtf16(std::string_view bytes, const StandIns& standIns,
                            const CodePage932& cp) {
    std::u16string out;
    ToUtf16(bytes, standIns, cp, AppendTo(out, bytes.size()));
    return out;
}

Utf16Filtered FilterUtf16(std::u16string_view text, const ByteFilter& filter) {
    Cp932Text in = Utf16ToCp932(text);
    if (in.status != Status::Ok) return {Utf16Filtered::Outcome::TooManyForeign, {}};
    std::string filtered = filter(in.bytes);
    std::string().swap(in.bytes);
    std::u16string out = Cp932ToUtf16(filtered, in.standIns);
    if (out == text) return {Utf16Filtered::Outcome::Unchanged, {}};
    return {Utf16Filtered::Outcome::Changed, std::move(out)};
}

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

std::size_t ByteOrderMark(std::string_view text) {
    return text.starts_with(kBom) ? kBom.size() : 0;
}

Utf8Filtered FilterAndWrite(Cp932Text in, std::size_t bom, const EndingByteFilter& filter,
                            const Utf8Sink& write) {
    using Taken = Utf8Filtered::Status;
    if (in.status != Status::Ok) {
        const Taken why =
            in.status == Status::InvalidUtf8 ? Taken::InvalidUtf8 : Taken::TooManyForeign;
        return {why, {}, bom + in.errorOffset};
    }
    std::size_t end = in.bytes.size();
    const std::string filtered = filter(in.bytes, end);
    if (end < in.bytes.size()) {
        // Where the NUL was in the UTF-8: the text before it goes back to what it was.
        const std::string before =
            Cp932ToUtf8(std::string_view(in.bytes).substr(0, end), in.standIns);
        return {Taken::HoldsNul, {}, bom + before.size()};
    }
    std::string().swap(in.bytes);
    if (bom) write(kBom);
    Cp932ToUtf8(filtered, in.standIns, write);
    return {};
}

}  // namespace

Utf8Filtered FilterUtf8(std::string_view text, const EndingByteFilter& filter,
                        const Utf8Sink& write) {
    const std::size_t bom = ByteOrderMark(text);
    return FilterAndWrite(Utf8ToCp932(text.substr(bom)), bom, filter, write);
}

Utf8Filtered FilterUtf8(std::string&& text, const EndingByteFilter& filter, const Utf8Sink& write) {
    const std::size_t bom = ByteOrderMark(text);
    return FilterAndWrite(Utf8ToCp932InPlace(std::move(text), bom), bom, filter, write);
}

Utf8Filtered FilterUtf8(std::string_view text, const EndingByteFilter& filter) {
    std::string out;
    Utf8Filtered filtered = FilterUtf8(text, filter, [&](std::string_view piece) {
        if (out.empty()) out.reserve(text.size() + text.size() / 8);
        out += piece;
    });
    filtered.text = std::move(out);
    return filtered;
}

}  // namespace qm
