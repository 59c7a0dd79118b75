// Where a two-byte character of code page 932 starts. Two lead ranges are in use: the
// code page's own (0x81-0x9F, 0xE0-0xFC), and a wider one (0x80-0x9F, 0xE0-0xFF)
// that some filter steps and the tray icon's tip take on purpose.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace qm {

// Which bytes open a two-byte character, by byte value.
using LeadByteTable = std::array<bool, 256>;

// The byte values first to last.
struct ByteRange {
    std::uint8_t first, last;
    constexpr bool Holds(std::uint8_t b) const { return b >= first && b <= last; }
};

// The two lead ranges. The tables below are made from these, and so are the vector
// masks of the engine's block walkers, so that every walk agrees on where a
// character starts.
inline constexpr std::array<ByteRange, 2> kCodePage932LeadRanges{{{0x81, 0x9F}, {0xE0, 0xFC}}};
inline constexpr std::array<ByteRange, 2> kWideLeadRanges{{{0x80, 0x9F}, {0xE0, 0xFF}}};

constexpr bool InCodePage932LeadRange(std::uint8_t b) {
    return kCodePage932LeadRanges[0].Holds(b) || kCodePage932LeadRanges[1].Holds(b);
}

constexpr bool InWideLeadRange(std::uint8_t b) {
    return kWideLeadRanges[0].Holds(b) || kWideLeadRanges[1].Holds(b);
}

// A table of the bytes in the ranges.
template <std::size_t N>
constexpr LeadByteTable LeadBytesOf(const std::array<ByteRange, N>& ranges) {
    LeadByteTable t{};
    for (const ByteRange& r : ranges) {
        for (unsigned b = r.first; b <= r.last; ++b)
            t[b] = true;
    }
    return t;
}

inline constexpr LeadByteTable kCodePage932LeadBytes = LeadBytesOf(kCodePage932LeadRanges);

// Code page 932's lead bytes by its ranges, whatever the platform says: for the
// built-in code page rules and the steps that take the code page's own ranges.
inline const LeadByteTable& CodePage932LeadBytes() {
    return kCodePage932LeadBytes;
}

// The code page's lead bytes: the platform's answer on Windows (IsDBCSLeadByte), code
// page 932's ranges elsewhere; asked once a byte value, then looked up. Elsewhere the
// code page is code page 932 by definition, and the table is known to the compiler.
#ifdef _WIN32
const LeadByteTable& CodePageLeadBytes();
#else
inline const LeadByteTable& CodePageLeadBytes() {
    return kCodePage932LeadBytes;
}
#endif
inline bool IsCodePageLeadByte(std::uint8_t b) {
    return CodePageLeadBytes()[b];
}
// The wide range as a table.
const LeadByteTable& WideLeadBytes();

// Where the character after the one that starts at index i starts: a lead byte takes
// the byte after it, when there is one. Walking a text from index 0 by this is the
// answer to where its characters start.
inline std::size_t NextCharStart(std::string_view text, std::size_t i,
                                 const LeadByteTable& lead = CodePageLeadBytes()) {
    return lead[static_cast<std::uint8_t>(text[i])] && i + 1 < text.size() ? i + 2 : i + 1;
}

// Whether the byte at 1-based position n opens a two-byte character, by the wide
// lead range and a walk from the first byte.
bool LeadByteAt(std::string_view text, std::ptrdiff_t n);

// LeadByteAt's answers for rising positions, in one pass.
class LeadByteWalker {
  public:
    explicit LeadByteWalker(std::string_view text) : text_(text) {}
    // Positions must not decrease between calls.
    bool At(std::ptrdiff_t n);

  private:
    std::string_view text_;
    std::ptrdiff_t pos_ = 0;
    bool state_ = false;
};

}  // namespace qm
