#include "unicode/CodePage932.h"

#include <algorithm>

#include "unicode/Cp932Table.h"
#include "unicode/StandIns.h"

namespace qm {

CodePage932::CodePage932()
    : pair_(65536, kNoCharacter), code_(65536, kNoCode), utf8_(65536), pairBytes_(65536) {
    single_.fill(kNoCharacter);
}

namespace {

// The UTF-8 of a character that takes three bytes there, as they lie in memory; 0
// for any other.
std::uint32_t ThreeBytes(char32_t c) {
    const bool three = c >= 0x800 && c < CodePage932::kNoCharacter && (c < 0xD800 || c >= 0xE000);
    return three ? (0xE0u | c >> 12) | (0x80u | (c >> 6 & 0x3F)) << 8 | (0x80u | (c & 0x3F)) << 16
                 : 0;
}

}  // namespace

std::uint32_t CodePage932::PairUtf8Entry(char32_t c) {
    if (c < 0x80 || c >= 0x800) return ThreeBytes(c);
    return (0xC0u | c >> 6) | (0x80u | (c & 0x3F)) << 8 | 0xFFu << 16;
}

void CodePage932::SetSingle(std::uint8_t byte, char16_t c) {
    single_[byte] = c;
    singleUtf8_[byte] = ThreeBytes(c);
}

void CodePage932::SetPair(std::uint16_t code, char16_t c) {
    pair_[code] = c;
    utf8_[InMemory(code)] = PairUtf8Entry(c);
}

void CodePage932::SetCode(char16_t c, std::uint16_t code) {
    code_[c] = code;
    const bool common = c >= 0x800 && code >= 0x8100 && code != kNoCode && !StandIns::InArea(code);
    const bool single = c >= 0x800 && code >= 0x80 && code < 0x100;
    pairBytes_[c] = common ? InMemory(code) : single ? static_cast<std::uint16_t>(code << 8) : 0;
}

namespace {

CodePage932 MakeBuiltin() {
    CodePage932 cp;
    for (unsigned b = 0; b < 256; ++b) {
        const char16_t c = cp932::kSingleBytes[b];
        if (c == cp932::kNoCharacter) continue;
        cp.SetSingle(static_cast<std::uint8_t>(b), c);
        cp.SetCode(c, static_cast<std::uint16_t>(b));
    }
    const auto* readOnly = std::begin(cp932::kReadOnlyCodes);
    std::size_t row = 0;
    for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
        if (lead == 0xA0) lead = 0xE0;
        cp.SetLead(static_cast<std::uint8_t>(lead));
        for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
            const char16_t c = cp932::kPairs[row][trail - 0x40];
            if (c == cp932::kNoCharacter) continue;
            const auto code = static_cast<std::uint16_t>(lead << 8 | trail);
            cp.SetPair(code, c);
            readOnly = std::lower_bound(readOnly, std::end(cp932::kReadOnlyCodes), code);
            if (readOnly == std::end(cp932::kReadOnlyCodes) || *readOnly != code)
                cp.SetCode(c, code);
        }
        ++row;
    }
    return cp;
}

}  // namespace

const CodePage932& BuiltinCp932() {
    static const CodePage932 cp = MakeBuiltin();
    return cp;
}

}  // namespace qm
