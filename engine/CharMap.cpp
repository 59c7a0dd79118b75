#include "engine/TextServices.h"

namespace qm {

namespace {

MappedChar MakeMapped(std::string_view to) {
    MappedChar m;
    m.length = static_cast<std::uint8_t>(to.size() > 2 ? 2 : to.size());
    for (std::size_t i = 0; i < m.length; ++i)
        m.bytes[i] = static_cast<std::uint8_t>(to[i]);
    return m;
}

}  // namespace

CharMap::CharMap() : pair_(65536) {}

void CharMap::SetSingle(std::uint8_t byte, std::string_view to) {
    single_[byte] = MakeMapped(to);
}

void CharMap::SetPair(std::uint16_t code, std::string_view to) {
    pair_[code] = MakeMapped(to);
    if (!to.empty()) pairLeads_[code >> 8] = true;
}

std::string CharMap::Apply(std::string_view text, const LeadByteTable& lead) const {
    std::string out;
    out.reserve(text.size());
    const auto* p = reinterpret_cast<const std::uint8_t*>(text.data());
    const std::size_t n = text.size();
    std::size_t i = 0;
    while (i < n) {
        const std::uint8_t b = p[i];
        if (lead[b] && i + 1 < n) {
            const MappedChar& m = pair_[static_cast<std::uint16_t>(b << 8 | p[i + 1])];
            if (m.length) {
                out.append(reinterpret_cast<const char*>(m.bytes), m.length);
            } else {
                out.append(text.data() + i, 2);
            }
            i += 2;
        } else {
            const MappedChar& m = single_[b];
            if (m.length && !lead[b]) {
                out.append(reinterpret_cast<const char*>(m.bytes), m.length);
            } else {
                out.push_back(static_cast<char>(b));
            }
            ++i;
        }
    }
    return out;
}

void CharMap::ApplySameLength(std::string& text, const LeadByteTable& lead) const {
    auto* p = reinterpret_cast<std::uint8_t*>(text.data());
    const std::size_t n = text.size();
    // What each single byte becomes (itself when it has no entry); a lead byte whose
    // codes have no entry lets its character pass without a look at the pair table.
    std::array<std::uint8_t, 256> single;
    for (unsigned b = 0; b < 256; ++b) {
        single[b] =
            !lead[b] && single_[b].length == 1 ? single_[b].bytes[0] : static_cast<std::uint8_t>(b);
    }
    std::size_t i = 0;
    while (i < n) {
        const std::uint8_t b = p[i];
        if (!lead[b]) {
            p[i++] = single[b];
            continue;
        }
        if (i + 1 == n) break;
        if (pairLeads_[b]) {
            const MappedChar& m = pair_[static_cast<std::uint16_t>(b << 8 | p[i + 1])];
            if (m.length == 2) {
                p[i] = m.bytes[0];
                p[i + 1] = m.bytes[1];
            }
        }
        i += 2;
    }
}

}  // namespace qm
