// The search, replace-all and kana conversion written out plainly as they are
// defined, for holding the engine's fast versions against.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/Sjis.h"
#include "engine/TextServices.h"

namespace qm::testing {

// Plain versions of the search, walking from the first byte for every question.
inline std::size_t FindTextReference(std::string_view pattern, std::string_view text) {
    pattern = pattern.substr(0, pattern.find('\0'));
    text = text.substr(0, text.find('\0'));
    if (pattern.empty() || text.empty()) return 0;
    const auto& lead = Text().LeadBytes();
    for (std::size_t from = 0;;) {
        const std::size_t c = text.find(pattern, from);
        if (c == std::string_view::npos) return 0;
        bool second = false;
        for (std::size_t i = 0; i < c; ++i)
            second = !second && lead[static_cast<unsigned char>(text[i])];
        if (!second) return c + 1;
        from = c + 1;
    }
}

inline std::string ReplaceAllReference(std::string text, std::string old,
                                       const std::string& replacement, bool ignoreCase) {
    std::string search = text, pattern = old;
    if (ignoreCase) {
        Text().UpperMap().ApplySameLength(search, Text().LeadBytes());
        Text().UpperMap().ApplySameLength(pattern, Text().LeadBytes());
    }
    std::string rest = text, out;
    while (!search.empty()) {
        const std::size_t p = FindTextReference(pattern, search);
        if (p == 0) break;
        out += rest.substr(0, p - 1) + replacement;
        const std::size_t drop = std::min(p - 1 + old.size(), rest.size());
        rest.erase(0, drop);
        search.erase(0, drop);
    }
    return out + rest;
}

// The conversion as defined, consuming the text from its front.
inline std::string KanaToHalfWidthReference(std::string_view text, int selector) {
    std::string out;
    while (!text.empty()) {
        const auto b = static_cast<unsigned char>(text[0]);
        if (!((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC))) {
            out += text[0];
            text.remove_prefix(1);
            continue;
        }
        const char second = text.size() > 1 ? text[1] : '@';
        const std::uint16_t jis = SjisToJis(CharCode(std::string{text[0], second}));
        const int row = jis >> 8, cell = jis & 0xFF;
        if (row != 0x24 + selector) {
            out += text.substr(0, 2);
            text.remove_prefix(std::min<std::size_t>(2, text.size()));
        } else if (cell < 0x21 || cell > 0x76) {
            out += text[0];
            text.remove_prefix(1);
        } else {
            const std::uint8_t entry = KanaTableEntry(cell);
            out += static_cast<char>(0xA6 + entry % 56);
            if (entry / 56 == 1) out += '\xDE';
            if (entry / 56 == 2) out += '\xDF';
            text.remove_prefix(std::min<std::size_t>(2, text.size()));
        }
    }
    return out;
}

}  // namespace qm::testing
