#include "engine/CharMap.h"

#include <bit>

#include "engine/SjisBlocks.h"

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
    samePairs_[code] = pair_[code].length == 2;
    if (samePairs_[code]) sameFirsts_[code >> 8] = true;
    if (pair_[code].length) pairFirsts_[code >> 8] = true;
}

std::string CharMap::Apply(std::string_view text, const LeadByteTable& lead) const {
    std::string out;
    return Apply(text, lead, out) ? out : std::string(text);
}

bool CharMap::Apply(std::string_view text, const LeadByteTable& lead, std::string& out) const {
    // Only single bytes with an entry and the first bytes of pairs with one are
    // looked at.
    std::array<bool, 256> looked{};
    for (unsigned b = 0; b < 256; ++b)
        looked[b] = lead[b] ? pairFirsts_[b] : single_[b].length != 0;
    const auto* p = reinterpret_cast<const std::uint8_t*>(text.data());
    const std::size_t n = text.size();
    StartFinder starts(text, ByteSet(looked), ByteSet(lead));
    PieceWriter writer(text, out);
    bool mapped = false;
    std::size_t copied = 0;
    for (std::size_t i = starts.Next(0); i < n;) {
        const std::uint8_t b = p[i];
        const MappedChar* m = &single_[b];
        std::size_t length = 1;
        if (lead[b]) {
            // A lead byte at the very end stays as it is.
            m = i + 1 < n ? &pair_[static_cast<std::uint16_t>(b << 8 | p[i + 1])] : nullptr;
            length = 2;
        }
        if (m && m->length) {
            writer.Copy(copied, i);
            writer.Put(static_cast<char>(m->bytes[0]), static_cast<char>(m->bytes[1]), m->length);
            copied = i + length;
            mapped = true;
        }
        i = starts.Next(i + length);
    }
    if (!mapped) return false;
    writer.Copy(copied, n);
    return true;
}

void CharMap::ApplySameLength(std::string& text, const LeadByteTable& lead) const {
    auto* p = reinterpret_cast<std::uint8_t*>(text.data());
    const std::size_t n = text.size();
    // What each single byte becomes; a lead byte stays itself here.
    std::array<std::uint8_t, 256> single;
    for (unsigned b = 0; b < 256; ++b) {
        single[b] =
            !lead[b] && single_[b].length == 1 ? single_[b].bytes[0] : static_cast<std::uint8_t>(b);
    }
    // Byte i begins a character unless byte i - 1 is a lead byte that begins one. That
    // one-bit chain, instead of a walk that jumps by the length of each character,
    // keeps the loop free of unpredictable branches.
    bool starts = true;
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint8_t b = p[i];
        const bool opens = starts && lead[b];
        p[i] = starts ? single[b] : b;
        if (opens && i + 1 < n) {
            const auto code = static_cast<std::uint16_t>(b << 8 | p[i + 1]);
            if (samePairs_[code]) {
                p[i] = pair_[code].bytes[0];
                p[i + 1] = pair_[code].bytes[1];
            }
        }
        starts = !opens;
    }
}

bool CharMap::ApplySameLength(std::string_view text, const LeadByteTable& lead,
                              std::string& out) const {
    // Only single bytes with a one-byte entry and the first bytes of pairs with a
    // two-byte entry are looked at.
    std::array<bool, 256> looked{};
    for (unsigned b = 0; b < 256; ++b)
        looked[b] = lead[b] ? sameFirsts_[b] : single_[b].length == 1;
    const auto* p = reinterpret_cast<const std::uint8_t*>(text.data());
    const std::size_t n = text.size();
    StartFinder starts(text, ByteSet(looked), ByteSet(lead));
    PieceWriter writer(text, out);
    bool mapped = false;
    std::size_t copied = 0;
    for (std::size_t i = starts.Next(0); i < n;) {
        const std::uint8_t b = p[i];
        if (!lead[b]) {
            writer.Copy(copied, i);
            writer.Put(static_cast<char>(single_[b].bytes[0]));
            copied = i + 1;
            mapped = true;
            i = starts.Next(i + 1);
            continue;
        }
        if (i + 1 < n) {
            const auto code = static_cast<std::uint16_t>(b << 8 | p[i + 1]);
            if (samePairs_[code]) {
                writer.Copy(copied, i);
                writer.Put(static_cast<char>(pair_[code].bytes[0]),
                           static_cast<char>(pair_[code].bytes[1]), 2);
                copied = i + 2;
                mapped = true;
            }
        }
        i = starts.Next(i + 2);
    }
    if (!mapped) return false;
    writer.Copy(copied, n);
    return true;
}

}  // namespace qm
