// Bytes as hexadecimal pairs, for the messages of a failed check on text in code page
// 932, where the bytes themselves would not show.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

namespace qm::testing {

// "41 82 A0 " for "A" and hiragana a; at most `most` bytes, then "...".
inline std::string Hex(std::string_view s, std::size_t most = std::string_view::npos) {
    std::string out;
    char buffer[4];
    for (std::size_t i = 0; i < s.size() && i < most; ++i) {
        std::snprintf(buffer, sizeof buffer, "%02X ", static_cast<unsigned char>(s[i]));
        out += buffer;
    }
    if (s.size() > most) out += "...";
    return out;
}

}  // namespace qm::testing
