#include "unicode/StandIns.h"

namespace qm {

namespace {

constexpr std::size_t kHighCodes = 10 * 125;

std::uint16_t CodeAt(std::size_t k) {
    if (k < kHighCodes) return static_cast<std::uint16_t>((0xF0 + k / 125) << 8 | (0x80 + k % 125));
    k -= kHighCodes;
    return static_cast<std::uint16_t>((0xF0 + k / 63) << 8 | (0x40 + k % 63));
}

}  // namespace

StandIns::StandIns(const AreaCodes& taken) : taken_(taken) {}

std::uint16_t StandIns::CodeFor(char32_t c) {
    if (keys_.empty()) {
        keys_.assign(kSlots, 0);
        codes_.assign(kSlots, kNoCode);
        characters_.assign(AreaCodes().size(), 0);
    }
    std::size_t slot = (c * 0x9E3779B1u) >> 20 & (kSlots - 1);
    while (keys_[slot] != 0) {
        if (keys_[slot] == c) return codes_[slot];
        slot = (slot + 1) & (kSlots - 1);
    }
    while (next_ < kCodeCount && taken_[AreaIndex(CodeAt(next_))])
        ++next_;
    if (next_ == kCodeCount) return kNoCode;
    const std::uint16_t code = CodeAt(next_++);
    keys_[slot] = c;
    codes_[slot] = code;
    characters_[AreaIndex(code)] = c;
    given_[AreaIndex(code)] = true;
    ++count_;
    return code;
}

}  // namespace qm
