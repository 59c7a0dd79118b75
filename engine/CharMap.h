// A character-by-character mapping over code page 932, with one entry per single byte
// and per two-byte code: a step maps a whole text in one linear pass.
#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "base/Characters.h"

namespace qm {

// What one character becomes: one or two bytes, or itself when length is 0.
struct MappedChar {
    std::uint8_t length = 0;
    std::uint8_t bytes[2] = {0, 0};
};

struct BlockEntries;

// A character-by-character mapping over code page 932. Characters without an
// entry, undefined codes and a lead byte without its trail byte stay unchanged.
// The entries are all set before the map is first applied.
class CharMap {
  public:
    CharMap();
    ~CharMap();
    void SetSingle(std::uint8_t byte, std::string_view to);
    void SetPair(std::uint16_t code, std::string_view to);
    const MappedChar& Single(std::uint8_t byte) const { return single_[byte]; }
    const MappedChar& Pair(std::uint16_t code) const { return pair_[code]; }

    // Characters begin where `lead` says, counting from the first byte.
    std::string Apply(std::string_view text, const LeadByteTable& lead) const;
    // The same into out (its content replaced); false, with out in no particular
    // state, when no character has an entry.
    bool Apply(std::string_view text, const LeadByteTable& lead, std::string& out) const;
    // In place; an entry that would change the byte length is not applied.
    void ApplySameLength(std::string& text, const LeadByteTable& lead) const;
    // The same into out (its content replaced); false, with out in no particular
    // state, when no character has such an entry.
    bool ApplySameLength(std::string_view text, const LeadByteTable& lead, std::string& out) const;

  private:
    std::array<MappedChar, 256> single_;
    std::vector<MappedChar> pair_;  // indexed by the two-byte code
    std::bitset<65536> samePairs_;  // codes whose entry has two bytes
    // The entries gathered on first use for mapping a block at a time.
    const BlockEntries& Blocks() const;
    mutable std::once_flag blocksOnce_;
    mutable std::unique_ptr<const BlockEntries> blocks_;
};

}  // namespace qm
