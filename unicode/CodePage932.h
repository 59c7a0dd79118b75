// Code page 932 and Unicode, character by character in both directions. The
// Windows build asks the platform (MultiByteToWideChar, and WideCharToMultiByte
// without best-fit characters); the native build has the mapping built in. Both
// keep it in the same tables, so every conversion runs the same code on either.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace qm {

class CodePage932 {
  public:
    static constexpr char16_t kNoCharacter = 0xFFFF;
    static constexpr std::uint16_t kNoCode = 0xFFFF;

    CodePage932();

    bool IsLead(std::uint8_t byte) const { return lead_[byte]; }
    // The character of a byte that stands alone, or kNoCharacter (lead bytes too).
    char16_t Single(std::uint8_t byte) const { return single_[byte]; }
    // The character of a two-byte code (lead byte high), or kNoCharacter.
    char16_t Pair(std::uint16_t code) const { return pair_[code]; }
    // The code a character is written with: below 0x100 a single byte, otherwise a
    // two-byte code; kNoCode when the code page cannot hold the character.
    std::uint16_t Code(char16_t c) const { return code_[c]; }

    // A two-byte code (lead byte high) as its bytes lie in memory and a little-endian
    // load reads them (lead byte low): so the tables below hold and index codes.
    static std::uint16_t InMemory(std::uint16_t code) {
        return static_cast<std::uint16_t>(code >> 8 | code << 8);
    }

    // Tables for loops that look up every character.
    const char16_t* Pairs() const { return pair_.data(); }  // as Pair
    // By the two bytes of a code as a little-endian load reads them (lead byte low),
    // PairUtf8Entry of its character; 0 for every other code. A text with stand-ins
    // has the user-defined area's codes of its own.
    const std::uint32_t* PairUtf8() const { return utf8_.data(); }
    // A character's UTF-8 as it lies in memory when it takes three bytes there, or
    // its two bytes and a byte 0xFF, which no UTF-8 holds, when it takes two; 0 for
    // any other (ASCII, four bytes, a surrogate, kNoCharacter).
    static std::uint32_t PairUtf8Entry(char32_t c);
    // By a byte that stands alone, the three bytes of its character in UTF-8 as
    // they lie in memory (half-width katakana); 0 for every other byte.
    const std::uint32_t* SingleThreeByteUtf8() const { return singleUtf8_.data(); }
    // By character from U+0800 on, its two-byte code outside the user-defined area
    // (whose characters a text must note, StandIns) as the bytes lie in memory, or a
    // byte 0 before its one-byte code (half-width katakana); 0 for every other
    // character.
    const std::uint16_t* CommonPairBytes() const { return pairBytes_.data(); }

    void SetLead(std::uint8_t byte) { lead_[byte] = true; }
    void SetSingle(std::uint8_t byte, char16_t c);
    void SetPair(std::uint16_t code, char16_t c);
    void SetCode(char16_t c, std::uint16_t code);

  private:
    std::array<bool, 256> lead_{};
    std::array<char16_t, 256> single_;
    std::array<std::uint32_t, 256> singleUtf8_{};
    std::vector<char16_t> pair_;
    std::vector<std::uint16_t> code_;
    std::vector<std::uint32_t> utf8_;
    std::vector<std::uint16_t> pairBytes_;
};

// The built-in mapping, in every build.
const CodePage932& BuiltinCp932();

#ifdef _WIN32
// The platform's mapping, gathered on first use.
const CodePage932& PlatformCp932();
#endif

// The mapping of this build: the platform's on Windows, the built-in one elsewhere.
inline const CodePage932& Cp932() {
#ifdef _WIN32
    return PlatformCp932();
#else
    return BuiltinCp932();
#endif
}

}  // namespace qm
