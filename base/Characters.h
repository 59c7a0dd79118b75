// Where a two-byte character of code page 932 starts. Two lead ranges are in use: the
// code page's own (0x81-0x9F, 0xE0-0xFC), and a wider one (0x80-0x9F, 0xE0-0xFF)
// that some filter steps and the tray icon's tip take on purpose.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace qm {

constexpr bool InWideLeadRange(std::uint8_t b) {
    return (b >= 0x80 && b <= 0x9F) || b >= 0xE0;
}

// The code page's lead bytes: the platform's answer on Windows (IsDBCSLeadByte), its
// code page 932 ranges elsewhere.
bool IsCodePageLeadByte(std::uint8_t b);

// Whether the byte at 1-based position n opens a two-byte character, by the wide
// lead range and a walk from the first byte.
bool LeadByteAt(std::string_view text, std::ptrdiff_t n);

}  // namespace qm
