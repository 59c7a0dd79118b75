// A character map with entries of every length, as a platform's map may hold
// them, and the plain character walk that applies a map.
#pragma once

#include <string>
#include <string_view>

#include "engine/TextServices.h"

namespace qm::testing {

inline const CharMap& MixedLengthMap() {
    static const struct Holder {
        Holder() {
            map.SetPair(0x82A0, "\x83\x41");  // hiragana a to katakana a
            map.SetPair(0x8395, "?");         // small katakana ka to one byte
            map.SetSingle('a', "\x82\x81");   // a to full-width a
            map.SetSingle('b', "B");
        }
        CharMap map;
    } holder;
    return holder.map;
}

// A lead byte takes the byte after it, if any; with `all` false only the entries
// that keep lengths count.
inline std::string CharWalkReference(const CharMap& map, const LeadByteTable& lead,
                                     std::string_view text, bool all) {
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        const auto b = static_cast<std::uint8_t>(text[i]);
        const bool pair = lead[b] && i + 1 < text.size();
        const std::size_t length = pair ? 2 : 1;
        const MappedChar& m = pair ? map.Pair(static_cast<std::uint16_t>(
                                         b << 8 | static_cast<std::uint8_t>(text[i + 1])))
                                   : map.Single(b);
        if (m.length && (all || m.length == length)) {
            out.append(reinterpret_cast<const char*>(m.bytes), m.length);
        } else {
            out += text.substr(i, length);
        }
        i += length;
    }
    return out;
}

}  // namespace qm::testing
