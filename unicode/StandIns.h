// Characters that code page 932 cannot hold go through the byte engine as codes
// of its user-defined area (lead bytes 0xF0..0xF9), one code per distinct
// character, and come back as themselves afterwards. No step knows these codes,
// so they pass every step as an unknown two-byte character would.
#pragma once

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace qm {

class StandIns {
  public:
    // Codes with a second byte of 0x80..0xFC come first: no step can read half
    // of one as a letter, a digit, "<" or "\". The codes with a second byte of
    // 0x40..0x7E follow when those run out.
    static constexpr std::size_t kCodeCount = 10 * 125 + 10 * 63;
    static constexpr std::uint16_t kNoCode = 0xFFFF;

    // Codes of the user-defined area, for marking the ones a text holds itself.
    using AreaCodes = std::bitset<10 * 256>;
    static bool InArea(std::uint16_t code) { return code >= 0xF000 && code < 0xFA00; }
    static std::size_t AreaIndex(std::uint16_t code) { return code - 0xF000u; }

    // Codes that are the text's own characters are never handed out.
    explicit StandIns(const AreaCodes& taken = {});

    // The code standing in for c: the one it has, or the next free one; kNoCode
    // when every code is taken. c is any value but 0, lone surrogates included.
    std::uint16_t CodeFor(char32_t c);
    // The character a code stands in for, or 0.
    char32_t CharacterOf(std::uint16_t code) const {
        return InArea(code) && !characters_.empty() ? characters_[AreaIndex(code)] : 0;
    }
    std::size_t size() const { return count_; }
    bool empty() const { return count_ == 0; }
    // Whether any code handed out is among these.
    bool UsesAny(const AreaCodes& codes) const { return (given_ & codes).any(); }

  private:
    AreaCodes taken_;
    AreaCodes given_;
    std::size_t next_ = 0;  // position in the order of codes
    std::size_t count_ = 0;
    std::vector<char32_t> characters_;  // by area index
    // Open addressing on the character: kSlots entries of (character, code).
    static constexpr std::size_t kSlots = 4096;
    std::vector<char32_t> keys_;
    std::vector<std::uint16_t> codes_;
};

}  // namespace qm
