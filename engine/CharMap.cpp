#include "engine/CharMap.h"

#include <algorithm>
#include <bit>
#include <bitset>
#include <optional>
#include <vector>

#include "engine/SjisBlocks.h"
#include "engine/Vector.h"
#ifdef QM_AVX2_KERNELS
#include "engine/Avx2.h"
#endif

namespace qm {

// A map's entries as the block mapping reads them. Entries that keep their
// character's length are written over a copy of the block; the others (all of them
// rare) make their block be written character by character.
struct BlockEntries {
    std::array<std::uint8_t, 256> singleTo{};  // one-byte entries of single bytes
    ByteSet singles;                           // bytes with a one-byte entry
    ByteSet longSingles;                       // bytes with a two-byte entry
    ByteSet sameFirsts, sameSeconds;           // first and second bytes of two-byte entries
    ByteSet anyFirsts, anySeconds;             // the same of every pair entry
    // The codes with an entry, and with a two-byte entry: a bit each, looked at
    // before the entry, since most pairs the sets let through have none.
    std::bitset<65536> anyCodes, sameCodes;
#ifdef QM_AVX2_KERNELS
    std::optional<avx2::RowLookup> singleLookup;
    // The first bytes whose pairs are written by shuffles: of all entries, of the
    // entries that keep lengths.
    std::vector<avx2::PairRow> allRows, sameRows;
    // Whether the rows hold every entry that counts, and the map has no single
    // bytes: the whole text goes by MapRowsBlock then.
    bool rowsOnlyAll = false, rowsOnlySame = false;
#endif
};

#ifdef QM_AVX2_KERNELS
namespace {

void Shift(const std::array<std::uint8_t, 256>& seconds, const std::array<bool, 256>& used,
           unsigned low, unsigned high, avx2::PairRow& row);

// The rows of the first bytes whose pairs the kernel can write: every entry (of
// those that count) keeps its length and the first byte of all of them, no entry
// makes a second byte 0, and their second bytes lie within eight rows of sixteen
// values. A few, the most used in Japanese text first.
std::vector<avx2::PairRow> PairRows(const std::vector<MappedChar>& pairs, bool all) {
    std::vector<avx2::PairRow> rows;
    for (const unsigned first : {0x82u, 0x83u, 0x81u}) {
        std::array<std::uint8_t, 256> seconds{};
        std::array<bool, 256> used{};
        int to = -1;
        bool fits = true;
        unsigned low = 256, high = 0;
        for (unsigned second = 0; second < 256 && fits; ++second) {
            const MappedChar& m = pairs[first << 8 | second];
            if (m.length == 0 || (!all && m.length != 2)) continue;
            fits = m.length == 2 && m.bytes[1] != 0 && (to < 0 || to == m.bytes[0]);
            to = m.bytes[0];
            seconds[second] = m.bytes[1];
            used[second] = true;
            low = std::min(low, second);
            high = second;
        }
        if (!fits || to < 0) continue;
        avx2::RowLookup lookup(seconds, used);
        if (!lookup.Telescoped()) continue;
        rows.push_back({static_cast<std::uint8_t>(first), static_cast<std::uint8_t>(to),
                        static_cast<std::uint8_t>(low & 0xF0),
                        static_cast<std::uint8_t>(high | 0x0F), lookup});
        Shift(seconds, used, low, high, rows.back());
    }
    return rows;
}

// Makes the row shifted where its entries allow it: a run of second bytes with one
// hole at most, each moved by one distance, or by a second one from some byte on.
void Shift(const std::array<std::uint8_t, 256>& seconds, const std::array<bool, 256>& used,
           unsigned low, unsigned high, avx2::PairRow& row) {
    if (low == 0) return;
    int hole = -1;
    const auto distance = [&](unsigned s) { return static_cast<std::uint8_t>(seconds[s] - s); };
    const std::uint8_t delta = distance(low);
    int split = -1;
    for (unsigned s = low; s <= high; ++s) {
        if (!used[s]) {
            if (hole >= 0) return;
            hole = static_cast<int>(s);
            continue;
        }
        if (distance(s) == delta && split < 0) continue;
        if (split < 0) split = static_cast<int>(s);
        if (distance(s) != distance(static_cast<unsigned>(split))) return;
    }
    row.shifted = true;
    row.usedLow = static_cast<std::uint8_t>(low);
    row.usedHigh = static_cast<std::uint8_t>(high);
    row.hole = static_cast<std::uint8_t>(hole >= 0 ? hole : static_cast<int>(low) - 1);
    row.delta = delta;
    row.split = static_cast<std::uint8_t>(split >= 0 ? split : 0);
    row.step =
        split >= 0 ? static_cast<std::uint8_t>(distance(static_cast<unsigned>(split)) - delta) : 0;
}

// Whether the rows are those of every first byte in use, and no row's look-up
// reaches the second byte 0, which pads the text's last block.
bool RowsHoldAll(const std::vector<avx2::PairRow>& rows, const std::array<bool, 256>& firsts) {
    std::array<bool, 256> held{};
    for (const avx2::PairRow& row : rows) {
        if (row.low == 0) return false;
        held[row.first] = true;
    }
    return held == firsts;
}

}  // namespace
#endif

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
CharMap::~CharMap() = default;

void CharMap::SetSingle(std::uint8_t byte, std::string_view to) {
    single_[byte] = MakeMapped(to);
}

void CharMap::SetPair(std::uint16_t code, std::string_view to) {
    pair_[code] = MakeMapped(to);
    samePairs_[code] = pair_[code].length == 2;
}

const BlockEntries& CharMap::Blocks() const {
    std::call_once(blocksOnce_, [this] {
        auto entries = std::make_unique<BlockEntries>();
        std::array<bool, 256> singles{}, longSingles{}, sameFirsts{}, sameSeconds{}, anyFirsts{},
            anySeconds{};
        for (unsigned b = 0; b < 256; ++b) {
            entries->singleTo[b] = static_cast<std::uint8_t>(b);
            longSingles[b] = single_[b].length == 2;
            if (single_[b].length != 1) continue;
            singles[b] = true;
            entries->singleTo[b] = single_[b].bytes[0];
        }
        for (unsigned code = 0; code < 65536; ++code) {
            if (pair_[code].length == 0) continue;
            anyFirsts[code >> 8] = anySeconds[code & 0xFF] = true;
            entries->anyCodes[code] = true;
            if (pair_[code].length != 2) continue;
            sameFirsts[code >> 8] = sameSeconds[code & 0xFF] = true;
            entries->sameCodes[code] = true;
        }
        entries->singles = ByteSet(singles);
        entries->longSingles = ByteSet(longSingles);
        entries->sameFirsts = ByteSet(sameFirsts);
        entries->sameSeconds = ByteSet(sameSeconds);
        entries->anyFirsts = ByteSet(anyFirsts);
        entries->anySeconds = ByteSet(anySeconds);
#ifdef QM_AVX2_KERNELS
        entries->singleLookup.emplace(entries->singleTo, singles);
        entries->allRows = PairRows(pair_, true);
        entries->sameRows = PairRows(pair_, false);
        const auto none = [](const std::array<bool, 256>& bytes) {
            return std::none_of(bytes.begin(), bytes.end(), [](bool b) { return b; });
        };
        entries->rowsOnlyAll =
            RowsHoldAll(entries->allRows, anyFirsts) && none(singles) && none(longSingles);
        entries->rowsOnlySame = RowsHoldAll(entries->sameRows, sameFirsts) && none(singles);
#endif
        blocks_ = std::move(entries);
    });
    return *blocks_;
}

namespace {

// The state between blocks: what becomes of the first byte of the next block when
// it is the second byte of a pair that began in this one.
constexpr int kSecondAsItIs = -1, kSecondDropped = -2;

// A map applied a block of the text at a time: each block is written as it is, or
// with its mapped single bytes (by shuffles at AVX2), and then its mapped pairs are
// written over it one by one; a pair at the end of a block writes its second byte
// over the next block's first. A block with an entry that changes a length is
// written character by character instead. With `all` false only the entries that
// keep lengths count.
template <typename Masks>
[[gnu::always_inline]] inline bool MapBlocksLoop(const BlockEntries& map,
                                                 const MappedChar* singleEntries,
                                                 const MappedChar* pairEntries, bool all,
                                                 const ByteSet& leadSet, std::string_view text,
                                                 std::string& out) {
    const typename Masks::Set lead(leadSet), singles(map.singles), longSingles(map.longSingles),
        firsts(all ? map.anyFirsts : map.sameFirsts),
        seconds(all ? map.anySeconds : map.sameSeconds);
    // What an entry is taken for: none (length 0) when it does not count.
    const auto entry = [all](const MappedChar& m) {
        return all || m.length == 1 ? m : MappedChar{};
    };
    const std::bitset<65536>& codes = all ? map.anyCodes : map.sameCodes;
    const auto pairEntry = [&codes, pairEntries](std::uint8_t first, std::uint8_t second) {
        const unsigned code = first << 8 | second;
        return codes[code] ? pairEntries[code] : MappedChar{};
    };
    const auto* p = reinterpret_cast<const std::uint8_t*>(text.data());
    const std::size_t n = text.size();
    out.clear();
    std::uint8_t buffer[avx2::kStagedBytes + 2 * kBlockBytes];
    std::size_t used = 0;
    bool mapped = false;
    int second = kSecondAsItIs;  // or the byte it becomes
    TrailBits trail;
    for (std::size_t i = 0; i < n; i += kBlockBytes) {
        const std::size_t room = std::min(n - i, kBlockBytes);
        PaddedBlock padded;
        const std::uint8_t* block = ReadableBlock(p + i, n - i, padded);
        const std::uint64_t leads = lead.Mask(block);
        const std::uint64_t starts = ~trail.Next(leads);
        std::uint64_t single = singles.Mask(block) & starts & ~leads;
        std::uint64_t pair = firsts.Mask(block) & starts & leads;
        if (pair != 0) pair &= seconds.Mask(block + 1);
        // A lead byte at the very end of the text stays as it is.
        if (n - i <= kBlockBytes) pair &= (std::uint64_t{1} << (room - 1)) - 1;
        const int incoming = second;  // what the block's first byte becomes
        bool regular = incoming != kSecondDropped;
        if (all && (longSingles.Mask(block) & starts & ~leads & (~std::uint64_t{0} >> (64 - room))))
            regular = false;
        std::uint8_t* w = buffer + used;
        if (regular) {
            mapped = mapped || single != 0;
#ifdef QM_AVX2_KERNELS
            if (Masks::kAvx2 && single != 0) {
                if constexpr (Masks::kAvx2)
                    avx2::MapSinglesBlock(block, single, *map.singleLookup, w);
                single = 0;
            } else
#endif
            {
                std::memcpy(w, block, kBlockBytes);
            }
            for (; single != 0; single &= single - 1) {
                const int k = std::countr_zero(single);
                w[k] = map.singleTo[block[k]];
            }
#ifdef QM_AVX2_KERNELS
            if constexpr (Masks::kAvx2) {
                const std::uint64_t before = pair;
                for (const avx2::PairRow& row : all ? map.allRows : map.sameRows) {
                    if (pair != 0) pair = avx2::MapPairsBlock(block, pair, row, w);
                }
                mapped = mapped || pair != before;
            }
#endif
            if (incoming >= 0) w[0] = static_cast<std::uint8_t>(incoming);
            second = kSecondAsItIs;
            for (; pair != 0 && regular; pair &= pair - 1) {
                const auto k = static_cast<std::size_t>(std::countr_zero(pair));
                const MappedChar to = pairEntry(block[k], block[k + 1]);
                if (to.length == 0) continue;
                mapped = true;
                regular = to.length == 2;
                w[k] = to.bytes[0];
                if (k + 1 < kBlockBytes) {
                    w[k + 1] = to.bytes[1];
                } else {
                    second = to.bytes[1];
                }
            }
            if (regular) used += room;
        }
        if (!regular) {
            // Character by character, from scratch.
            std::uint8_t* o = w;
            std::size_t k = 0;
            if ((starts & 1) == 0) {  // the second byte of the block before's last pair
                if (incoming >= 0) *o++ = static_cast<std::uint8_t>(incoming);
                if (incoming == kSecondAsItIs) *o++ = block[0];
                k = 1;
            }
            second = kSecondAsItIs;
            while (k < room) {
                const std::uint8_t b = block[k];
                if ((leads >> k & 1) == 0) {
                    const MappedChar to = entry(singleEntries[b]);
                    if (to.length) mapped = true;
                    o = std::copy_n(to.length ? to.bytes : &b, to.length ? to.length : 1, o);
                    ++k;
                    continue;
                }
                if (i + k + 1 == n) {  // a lead byte at the very end
                    *o++ = b;
                    break;
                }
                const MappedChar to = pairEntry(b, block[k + 1]);
                mapped = mapped || to.length != 0;
                const std::uint8_t kept[2] = {b, block[k + 1]};
                const std::uint8_t* bytes = to.length ? to.bytes : kept;
                const std::size_t length = to.length ? to.length : 2;
                *o++ = bytes[0];
                if (k + 1 < room) {
                    if (length == 2) *o++ = bytes[1];
                } else if (to.length) {
                    second = length == 2 ? bytes[1] : kSecondDropped;
                }
                k += 2;
            }
            used = static_cast<std::size_t>(o - buffer);
        }
        avx2::AppendStaged(buffer, used, out, avx2::kStagedBytes);
    }
    avx2::AppendStaged(buffer, used, out);
    return mapped;
}

#ifdef QM_AVX2_KERNELS
// A map of rows alone, a block at a time by MapRowsBlock: every byte keeps its place.
QM_AVX2 bool MapRowsAvx2(const std::vector<avx2::PairRow>& rows, const ByteSet& leadSet,
                         std::string_view text, std::string& out) {
    const ByteSetAvx2 lead(leadSet);
    // PairRows makes three rows at most.
    avx2::RowVectors rowVectors[3];
    for (std::size_t r = 0; r < rows.size(); ++r)
        rowVectors[r].Set(rows[r]);
    const auto* p = reinterpret_cast<const std::uint8_t*>(text.data());
    const std::size_t n = text.size();
    out.clear();
    alignas(32) std::uint8_t buffer[avx2::kStagedBytes + kBlockBytes];
    std::size_t used = 0;
    TrailBits trail;
    avx2::RowCarry carry{_mm256_setzero_si256(), _mm256_setzero_si256(), _mm256_setzero_si256()};
    for (std::size_t i = 0; i < n; i += kBlockBytes) {
        PaddedBlock padded;
        const std::uint8_t* block = ReadableBlock(p + i, n - i, padded);
        const std::uint64_t leads = lead.Mask(block);
        avx2::MapRowsBlock(block, leads & ~trail.Next(leads), rowVectors, rows.size(), carry,
                           buffer + used);
        used += std::min(n - i, kBlockBytes);
        avx2::AppendStaged(buffer, used, out, avx2::kStagedBytes);
    }
    avx2::AppendStaged(buffer, used, out);
    return !_mm256_testz_si256(carry.any, carry.any);
}

QM_AVX2 bool MapBlocksAvx2(const BlockEntries& map, const MappedChar* singles,
                           const MappedChar* pairs, bool all, const ByteSet& lead,
                           std::string_view text, std::string& out) {
    return MapBlocksLoop<avx2::Avx2Masks>(map, singles, pairs, all, lead, text, out);
}
#endif

bool MapBlocks(const BlockEntries& map, const MappedChar* singles, const MappedChar* pairs,
               bool all, const LeadByteTable& lead, std::string_view text, std::string& out) {
    // The lead bytes of the services' own table are a set already.
    std::optional<ByteSet> own;
    if (&lead != &Text().LeadBytes()) own.emplace(lead);
    const ByteSet& leads = own ? *own : LeadByteSet();
#ifdef QM_AVX2_KERNELS
    if (ActiveVectorLevel() == VectorLevel::Avx2) {
        if (all ? map.rowsOnlyAll : map.rowsOnlySame)
            return MapRowsAvx2(all ? map.allRows : map.sameRows, leads, text, out);
        return MapBlocksAvx2(map, singles, pairs, all, leads, text, out);
    }
#endif
    return MapBlocksLoop<Sse2Masks>(map, singles, pairs, all, leads, text, out);
}

}  // namespace

std::string CharMap::Apply(std::string_view text, const LeadByteTable& lead) const {
    std::string out;
    return Apply(text, lead, out) ? out : std::string(text);
}

bool CharMap::Apply(std::string_view text, const LeadByteTable& lead, std::string& out) const {
    return MapBlocks(Blocks(), single_.data(), pair_.data(), true, lead, text, out);
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
    return MapBlocks(Blocks(), single_.data(), pair_.data(), false, lead, text, out);
}

}  // namespace qm
