// Code page 932 rules built into the program, for systems without the platform's
// services. They follow what the Japanese Windows code page does for the characters
// the filter steps care about.
#include <string>

#include "engine/TextServices.h"

namespace qm {

namespace {

std::string Code(unsigned code) {
    return std::string{static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
}

// Hiragana 0x829F..0x82F1 and katakana 0x8340..0x8393 share their order; the
// katakana row skips 0x837F.
unsigned KatakanaOfHiraganaIndex(unsigned k) {
    return 0x8340 + k + (k >= 0x3F ? 1 : 0);
}
constexpr unsigned kHiraganaFirst = 0x829F;
constexpr unsigned kHiraganaCount = 0x82F1 - 0x829F + 1;

// Pairs of (capital, small) two-byte codes with the same letter.
template <typename F>
void ForEachCasePair(F f) {
    for (unsigned k = 0; k < 26; ++k)
        f(0x8260 + k, 0x8281 + k);  // full-width Latin
    for (unsigned k = 0; k < 24; ++k)
        f(0x839F + k, 0x83BF + k);                      // Greek
    for (unsigned k = 0; k < 33; ++k) {                 // Cyrillic
        f(0x8440 + k, 0x8470 + k + (k >= 15 ? 1 : 0));  // 0x847F is no character
    }
    for (unsigned k = 0; k < 10; ++k)
        f(0x8754 + k, 0xFA40 + k);  // Roman numerals
}

class BuiltinServices final : public TextServices {
  public:
    BuiltinServices() {
        for (unsigned k = 0; k < kHiraganaCount; ++k) {
            katakana_.SetPair(static_cast<std::uint16_t>(kHiraganaFirst + k),
                              Code(KatakanaOfHiraganaIndex(k)));
            hiragana_.SetPair(static_cast<std::uint16_t>(KatakanaOfHiraganaIndex(k)),
                              Code(kHiraganaFirst + k));
        }
        // The iteration marks: hiragana 0x8154, 0x8155; katakana 0x8152, 0x8153.
        katakana_.SetPair(0x8154, Code(0x8152));
        katakana_.SetPair(0x8155, Code(0x8153));
        hiragana_.SetPair(0x8152, Code(0x8154));
        hiragana_.SetPair(0x8153, Code(0x8155));

        for (unsigned c = 'A'; c <= 'Z'; ++c) {
            lower_.SetSingle(static_cast<std::uint8_t>(c),
                             std::string(1, static_cast<char>(c + 32)));
            upper_.SetSingle(static_cast<std::uint8_t>(c + 32),
                             std::string(1, static_cast<char>(c)));
        }
        ForEachCasePair([this](unsigned capital, unsigned small) {
            lower_.SetPair(static_cast<std::uint16_t>(capital), Code(small));
            upper_.SetPair(static_cast<std::uint16_t>(small), Code(capital));
        });
        // The Roman numerals have second codes in the IBM (capitals 0xFA4A..0xFA53)
        // and NEC-selected (small 0xEEEF..0xEEF8) extensions; case goes to the first.
        for (unsigned k = 0; k < 10; ++k) {
            lower_.SetPair(static_cast<std::uint16_t>(0xFA4A + k), Code(0xFA40 + k));
            upper_.SetPair(static_cast<std::uint16_t>(0xEEEF + k), Code(0x8754 + k));
        }
    }

    const LeadByteTable& LeadBytes() const override { return CodePage932LeadBytes(); }
    const CharMap* KanaMap(unsigned flags) const override {
        if (flags == kLcmapKatakana) return &katakana_;
        if (flags == kLcmapHiragana) return &hiragana_;
        return nullptr;
    }
    const CharMap& LowerMap() const override { return lower_; }
    const CharMap& UpperMap() const override { return upper_; }
    bool EqualIgnoreCase(std::string_view a, std::string_view b) const override {
        if (a.size() != b.size()) return false;
        std::string la(a), lb(b);
        lower_.ApplySameLength(la, LeadBytes());
        lower_.ApplySameLength(lb, LeadBytes());
        return la == lb;
    }

  private:
    CharMap katakana_, hiragana_, lower_, upper_;
};

}  // namespace

const TextServices& BuiltinText() {
    static const BuiltinServices services;
    return services;
}

#ifndef _WIN32
const TextServices& Text() {
    return BuiltinText();
}
#endif

}  // namespace qm
