#include "engine/Sjis.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <optional>

#include "engine/SjisBlocks.h"
#include "engine/SjisScan.h"
#include "engine/TextServices.h"
#include "engine/Vector.h"
#ifdef QM_AVX2_KERNELS
#include "engine/Avx2.h"
#endif

namespace qm {

namespace {

std::string_view UpToNul(std::string_view s) {
    const auto z = s.find('\0');
    return z == std::string_view::npos ? s : s.substr(0, z);
}

constexpr std::uint8_t Plain(unsigned letter) {
    return static_cast<std::uint8_t>(letter - 0xA6);
}
constexpr std::uint8_t Voiced(unsigned letter) {
    return static_cast<std::uint8_t>(56 + letter - 0xA6);
}
constexpr std::uint8_t SemiVoiced(unsigned letter) {
    return static_cast<std::uint8_t>(112 + letter - 0xA6);
}

// JIS cells 0x21..0x76, hiragana and katakana alike (row 0x24 and 0x25).
constexpr std::array<std::uint8_t, 86> kKanaTable = {
    // a i u e o, small and full size
    Plain(0xA7),
    Plain(0xB1),
    Plain(0xA8),
    Plain(0xB2),
    Plain(0xA9),
    Plain(0xB3),
    Plain(0xAA),
    Plain(0xB4),
    Plain(0xAB),
    Plain(0xB5),
    // ka ga ki gi ku gu ke ge ko go
    Plain(0xB6),
    Voiced(0xB6),
    Plain(0xB7),
    Voiced(0xB7),
    Plain(0xB8),
    Voiced(0xB8),
    Plain(0xB9),
    Voiced(0xB9),
    Plain(0xBA),
    Voiced(0xBA),
    // sa za shi ji su zu se ze so zo
    Plain(0xBB),
    Voiced(0xBB),
    Plain(0xBC),
    Voiced(0xBC),
    Plain(0xBD),
    Voiced(0xBD),
    Plain(0xBE),
    Voiced(0xBE),
    Plain(0xBF),
    Voiced(0xBF),
    // ta da chi ji small-tsu tsu zu te de to do
    Plain(0xC0),
    Voiced(0xC0),
    Plain(0xC1),
    Voiced(0xC1),
    Plain(0xAF),
    Plain(0xC2),
    Voiced(0xC2),
    Plain(0xC3),
    Voiced(0xC3),
    Plain(0xC4),
    Voiced(0xC4),
    // na ni nu ne no
    Plain(0xC5),
    Plain(0xC6),
    Plain(0xC7),
    Plain(0xC8),
    Plain(0xC9),
    // ha ba pa hi bi pi fu bu pu he be pe ho bo po
    Plain(0xCA),
    Voiced(0xCA),
    SemiVoiced(0xCA),
    Plain(0xCB),
    Voiced(0xCB),
    SemiVoiced(0xCB),
    Plain(0xCC),
    Voiced(0xCC),
    SemiVoiced(0xCC),
    Plain(0xCD),
    Voiced(0xCD),
    SemiVoiced(0xCD),
    Plain(0xCE),
    Voiced(0xCE),
    SemiVoiced(0xCE),
    // ma mi mu me mo
    Plain(0xCF),
    Plain(0xD0),
    Plain(0xD1),
    Plain(0xD2),
    Plain(0xD3),
    // small ya, ya, small yu, yu, small yo, yo
    Plain(0xAC),
    Plain(0xD4),
    Plain(0xAD),
    Plain(0xD5),
    Plain(0xAE),
    Plain(0xD6),
    // ra ri ru re ro
    Plain(0xD7),
    Plain(0xD8),
    Plain(0xD9),
    Plain(0xDA),
    Plain(0xDB),
    // small wa, wa, wi, we, wo, n: the half-width set has no wi, we or small wa
    Plain(0xDC),
    Plain(0xDC),
    Plain(0xB2),
    Plain(0xB4),
    Plain(0xA6),
    Plain(0xDD),
    // vu, small ka, small ke (katakana only)
    Voiced(0xB3),
    Plain(0xB6),
    Plain(0xB9),
};

}  // namespace

std::uint16_t SjisToJis(std::uint16_t code) {
    const unsigned first = code >> 8, second = code & 0xFF;
    const unsigned hi = (2 * first) & 0xFF;
    unsigned lo = (second - 0x1F) & 0xFF;
    if (lo < 0x80) lo = (lo + 0xDE + (lo < 0x61 ? 1 : 0)) & 0xFF;
    return static_cast<std::uint16_t>(((hi << 8) + lo + 0x1FA1) & 0xFFFF & 0x7F7F);
}

std::uint8_t KanaTableEntry(int cell) {
    return kKanaTable[static_cast<std::size_t>(cell - 0x21)];
}

namespace {

// What KanaToHalfWidth does with a pair whose first byte is the one of a kana row,
// by its second byte. The JIS row of such a pair is that of the kana or of its
// neighbours, whatever the second byte; of the pairs in the kana row, those whose
// cell has no entry give their first byte alone, and the walk goes on with the
// second byte as a character of its own.
enum class KanaAction : std::uint8_t { Keep, Alone, Spell };

struct KanaRule {
    explicit KanaRule(int selector);
    std::uint8_t lead;  // the first byte of every kana of the row
    std::array<KanaAction, 256> action{};
    std::array<char, 256> letter{}, mark{};  // Spell: the letter, and the mark if any
    ByteSet row;                             // the lead byte
    ByteSet changes;                         // second bytes whose action is not Keep
    ByteSet alone;                           // second bytes whose action is Alone
#ifdef QM_AVX2_KERNELS
    std::optional<avx2::RowLookup> spelling;  // Spell: by second byte, as the kernel reads it
#endif
};

KanaRule::KanaRule(int selector) : lead(static_cast<std::uint8_t>(0x82 + selector)) {
    std::array<bool, 256> changing{}, alone1{}, spelled{};
    std::array<std::uint8_t, 256> spellings{};
    for (unsigned s = 0; s < 256; ++s) {
        const std::uint16_t jis = SjisToJis(static_cast<std::uint16_t>(lead << 8 | s));
        const int r = jis >> 8, cell = jis & 0xFF;
        if (r != 0x24 + selector) continue;
        changing[s] = true;
        if (cell < 0x21 || cell > 0x76) {
            action[s] = KanaAction::Alone;
            alone1[s] = true;
            continue;
        }
        const std::uint8_t entry = KanaTableEntry(cell);
        action[s] = KanaAction::Spell;
        letter[s] = static_cast<char>(0xA6 + entry % 56);
        mark[s] = entry < 56 ? '\0' : entry < 112 ? '\xDE' : '\xDF';
        spelled[s] = true;
        spellings[s] = static_cast<std::uint8_t>(entry / 56 << 6 | entry % 56);
    }
    row = ByteSet::Of(lead, lead);
    changes = ByteSet(changing);
    alone = ByteSet(alone1);
#ifdef QM_AVX2_KERNELS
    spelling.emplace(spellings, spelled);
#endif
}

// Fewer kana than this in a block are narrowed one by one: the block kernel costs
// about as much as two of them.
constexpr int kFewestKanaForBlock = 3;

// The kana of the whole blocks from the start of the text, as long as the byte after
// a block is there too; the place where the blocks end is returned. Only the row's
// lead byte where a character begins, followed by a second byte that changes
// something, is looked at; whole blocks without one are passed over. A first byte
// given alone makes its second byte begin a character, against what the block's
// bits say: the blocks start again right there.
template <typename Masks>
inline std::size_t KanaBlocks(const std::uint8_t* p, std::size_t n, const KanaRule& rule,
                              TrailBits& walk, std::size_t& copiedTo, bool& changedAny,
                              PieceWriter& writer) {
    static const ByteSet kanaLead(CodePage932LeadBytes());
    const typename Masks::Set lead(kanaLead), row(rule.row), changes(rule.changes),
        alone(rule.alone);
    // Kept here while the writer's bytes are written, which might be any of these.
    TrailBits trail = walk;
    std::size_t copied = copiedTo;
    bool changed = false;
    std::size_t i = 0;
    while (n - i > kBlockBytes) {  // the byte after the block is read too
        const std::uint64_t starts = ~trail.Next(lead.Mask(p + i));
        // The second bytes only where the row's lead byte begins a character: in
        // many blocks of the other row's pass it begins none.
        std::uint64_t found = row.Mask(p + i) & starts;
        if (found != 0) found &= changes.Mask(p + i + 1);
        std::size_t next = i + kBlockBytes;
        if (found == 0) {
            i = next;
            continue;
        }
#ifdef QM_AVX2_KERNELS
        if constexpr (Masks::kAvx2) {
            // A whole block at once, unless a first byte goes alone in it; a few
            // kana go faster one by one. A pair at its end takes the first byte of
            // the next block with it.
            if (std::popcount(found) >= kFewestKanaForBlock &&
                (found & alone.Mask(p + i + 1)) == 0) {
                if (copied < i) writer.Copy(copied, i);
                auto* w = reinterpret_cast<std::uint8_t*>(writer.Reserve(kBlockBytes + 16));
                std::uint8_t* end =
                    avx2::NarrowKanaBlock(p + i, found, copied > i, *rule.spelling, w);
                copied = next;
                if (found >> 63) {
                    const char mark = rule.mark[p[next]];
                    if (mark) *end++ = static_cast<std::uint8_t>(mark);
                    copied = next + 1;
                }
                writer.Wrote(static_cast<std::size_t>(end - w));
                changed = true;
                i = next;
                continue;
            }
        }
#endif
        for (; found != 0; found &= found - 1) {
            const std::size_t j = i + static_cast<std::size_t>(std::countr_zero(found));
            const std::uint8_t second = p[j + 1];
            if (rule.action[second] == KanaAction::Alone) {
                next = j + 1;
                trail = TrailBits();
                break;
            }
            writer.Copy(copied, j);
            writer.Put(rule.letter[second], rule.mark[second], rule.mark[second] ? 2 : 1);
            copied = j + 2;
            changed = true;
        }
        i = next;
    }
    walk = trail;
    copiedTo = copied;
    changedAny = changedAny || changed;
    return i;
}

std::size_t KanaBlocksSse2(const std::uint8_t* p, std::size_t n, const KanaRule& rule,
                           TrailBits& trail, std::size_t& copied, bool& changed,
                           PieceWriter& writer) {
    return KanaBlocks<Sse2Masks>(p, n, rule, trail, copied, changed, writer);
}

#ifdef QM_AVX2_KERNELS
// Flattened: a mask left out of line costs a vzeroupper and the reload of its
// vectors on every block. KanaBlocks is not forced inline for that: its own copy,
// compiled without AVX2, could not take the masks in, and this one then took it in
// as it was.
QM_AVX2 __attribute__((flatten)) std::size_t KanaBlocksAvx2(const std::uint8_t* p, std::size_t n,
                                                            const KanaRule& rule, TrailBits& trail,
                                                            std::size_t& copied, bool& changed,
                                                            PieceWriter& writer) {
    return KanaBlocks<avx2::Avx2Masks>(p, n, rule, trail, copied, changed, writer);
}
#endif

// The walk of KanaToHalfWidth over [from, n) for a selector of neither kana row,
// and for the last bytes of a text for the rows.
bool KanaToHalfWidthWalk(const std::uint8_t* p, std::size_t from, std::size_t n, int selector,
                         std::size_t& copied, PieceWriter& writer) {
    const LeadByteTable& lead = CodePage932LeadBytes();
    bool changed = false;
    std::size_t i = from;
    while (i < n) {
        const std::uint8_t b = p[i];
        if (!lead[b]) {
            ++i;
            continue;
        }
        // A lead byte at the very end is read with "@" as its second byte.
        const std::uint8_t second = i + 1 < n ? p[i + 1] : 0x40;
        const std::uint16_t jis = SjisToJis(static_cast<std::uint16_t>(b << 8 | second));
        const int row = jis >> 8, cell = jis & 0xFF;
        if (row != 0x24 + selector) {
            i += 2;
            continue;
        }
        if (cell < 0x21 || cell > 0x76) {
            ++i;  // the first byte alone, as it is
            continue;
        }
        const std::uint8_t entry = KanaTableEntry(cell);
        writer.Copy(copied, i);
        writer.Put(static_cast<char>(0xA6 + entry % 56), entry < 112 ? '\xDE' : '\xDF',
                   entry < 56 ? 1 : 2);
        copied = i = std::min(i + 2, n);
        changed = true;
    }
    return changed;
}

}  // namespace

bool KanaToHalfWidth(std::string_view text, int selector, std::string& out) {
    const auto* p = reinterpret_cast<const std::uint8_t*>(text.data());
    const std::size_t n = text.size();
    PieceWriter writer(text, out);
    std::size_t copied = 0, i = 0;
    bool changed = false;
    if (selector == KanaRowHiragana || selector == KanaRowKatakana) {
        static const KanaRule rules[2] = {KanaRule(KanaRowHiragana), KanaRule(KanaRowKatakana)};
        TrailBits trail;
#ifdef QM_AVX2_KERNELS
        if (ActiveVectorLevel() == VectorLevel::Avx2) {
            i = KanaBlocksAvx2(p, n, rules[selector], trail, copied, changed, writer);
        } else
#endif
        {
            i = KanaBlocksSse2(p, n, rules[selector], trail, copied, changed, writer);
        }
        if (trail.NextIsTrail()) ++i;
    }
    changed |= KanaToHalfWidthWalk(p, i, n, selector, copied, writer);
    if (!changed) return false;
    writer.Copy(copied, n);
    return true;
}

bool MapLocaleString(std::string_view text, unsigned flags, std::string& out) {
    const TextServices& services = Text();
    const CharMap* map = services.KanaMap(flags);
    if (!map) return false;
    // The platform sees the text up to its first NUL only.
    const std::string_view mapped = UpToNul(text);
    if (map->Apply(mapped, services.LeadBytes(), out)) return true;
    if (mapped.size() == text.size()) return false;
    out.assign(mapped);
    return true;
}

std::size_t FindText(std::string_view pattern, std::string_view text) {
    pattern = UpToNul(pattern);
    text = UpToNul(text);
    if (pattern.empty() || text.empty()) return 0;
    BoundaryTracker boundary(text);
    for (std::size_t from = 0;;) {
        const std::size_t c = text.find(pattern, from);
        if (c == std::string_view::npos) return 0;
        if (boundary.IsBoundary(c)) return c + 1;
        from = c + 1;
    }
}

bool ReplaceBytes(std::string_view text, std::string_view pattern, std::string_view replacement,
                  std::string& out) {
    if (pattern.empty()) return false;
    BoundaryTracker boundary(text);
    bool replaced = false;
    std::size_t start = 0;  // beginning of the rest
    // The first byte by memchr; the second before a call to compare the rest, since
    // in Japanese text most first bytes are common lead bytes.
    const auto find = [&](std::size_t from) {
        const char* t = text.data();
        const std::size_t n = text.size(), m = pattern.size();
        while (n - from >= m) {
            const void* hit = std::memchr(t + from, pattern[0], n - from - m + 1);
            if (!hit) break;
            const auto c = static_cast<std::size_t>(static_cast<const char*>(hit) - t);
            if (m == 1 ||
                (t[c + 1] == pattern[1] && std::memcmp(t + c + 2, pattern.data() + 2, m - 2) == 0))
                return c;
            from = c + 1;
        }
        return std::string_view::npos;
    };
    for (std::size_t from = 0;;) {
        const std::size_t c = find(from);
        if (c == std::string_view::npos) break;
        if (!boundary.IsBoundary(c)) {
            from = c + 1;
            continue;
        }
        if (!replaced) out.clear();
        replaced = true;
        out.append(text.substr(start, c - start));
        out.append(replacement);
        start = from = c + pattern.size();
        boundary.Restart(start);
    }
    if (!replaced) return false;
    out.append(text.substr(start));
    return true;
}

bool ReplaceAll(std::string_view text, std::string_view old, std::string_view replacement,
                bool ignoreCase, std::string& out) {
    const std::string_view pattern = UpToNul(old);
    if (pattern.empty() || text.empty()) return false;

    const TextServices& services = Text();
    const LeadByteTable& lead = services.LeadBytes();
    // A short text (a line of the user filter's) is searched as it is: the block
    // search below costs more to set up than such a text takes.
    constexpr std::size_t kShortText = 256;
    if (!ignoreCase && old.size() == pattern.size() && text.size() <= kShortText &&
        text.find('\0') == std::string_view::npos)
        return ReplaceBytes(text, pattern, replacement, out);
    // A pattern of single-byte characters is compared byte for byte through the
    // mapping's single-byte entries: a match that begins a character is made of
    // single-byte characters only, so no upper-cased copy of the text is needed.
    const bool foldSingles =
        ignoreCase && std::none_of(pattern.begin(), pattern.end(),
                                   [&](char c) { return lead[static_cast<std::uint8_t>(c)]; });
    std::string upperText, upperPattern;
    std::string_view search = text, pat = pattern;
    if (ignoreCase && !foldSingles) {
        upperText.assign(text);
        upperPattern.assign(pattern);
        services.UpperMap().ApplySameLength(upperText, lead);
        services.UpperMap().ApplySameLength(upperPattern, lead);
        search = upperText;
        pat = upperPattern;
    }
    // What each byte is compared as: itself, or its upper case.
    std::array<std::uint8_t, 256> fold;
    for (unsigned b = 0; b < 256 && foldSingles; ++b) {
        const MappedChar& m = services.UpperMap().Single(static_cast<std::uint8_t>(b));
        fold[b] = !lead[b] && m.length == 1 ? m.bytes[0] : static_cast<std::uint8_t>(b);
    }
    const auto folded = [&](char c) {
        return foldSingles ? fold[static_cast<std::uint8_t>(c)] : static_cast<std::uint8_t>(c);
    };
    // The bytes that match the pattern's first and second byte.
    const auto matching = [&](char c) {
        if (!foldSingles)
            return ByteSet::Of(static_cast<std::uint8_t>(c), static_cast<std::uint8_t>(c));
        std::array<bool, 256> bytes{};
        for (unsigned b = 0; b < 256; ++b)
            bytes[b] = fold[b] == folded(c);
        return ByteSet(bytes);
    };
    // The search never looks past the first NUL of the rest. Only a pattern that
    // goes on after a NUL (which the search does not see) drops the rest past one.
    std::size_t limit = std::min(search.find('\0'), search.size());
    const ByteSet& leads = LeadByteSet();
    const auto finder = [&] {
        const std::string_view searched = search.substr(0, limit);
        return pat.size() > 1 ? StartFinder(searched, matching(pat[0]), leads, matching(pat[1]))
                              : StartFinder(searched, matching(pat[0]), leads);
    };
    StartFinder candidates = finder();
    // After a replacement the search goes on in the rest, whose characters are
    // counted from its start; when the pattern is whole characters, that is where
    // the walk through the text puts a character start anyway.
    // A pattern that ends in a lead byte without its second byte is not whole.
    std::size_t last = 0;
    for (std::size_t c = 0; c < pattern.size(); c = NextCharStart(pattern, c, lead))
        last = c;
    const bool openAtEnd =
        last + 1 == pattern.size() && lead[static_cast<std::uint8_t>(pattern[last])];
    const bool restart = openAtEnd || old.size() != pattern.size();

    PieceWriter writer(text, out);
    bool replaced = false;
    std::size_t start = 0;  // beginning of the rest
    for (std::size_t c = candidates.Next(0); c < limit && pat.size() <= limit - c;
         c = candidates.Next(c)) {
        std::size_t k = 2;
        while (k < pat.size() && folded(search[c + k]) == folded(pat[k]))
            ++k;
        if (k < pat.size()) {
            ++c;
            continue;
        }
        replaced = true;
        writer.Copy(start, c);
        writer.Put(replacement);
        start = c = std::min(c + old.size(), text.size());
        if (start > limit) {
            limit = std::min(search.find('\0', start), search.size());
            candidates = finder();
            candidates.Restart(start);
        } else if (restart) {
            candidates.Restart(std::min(start, limit));
        }
    }
    if (!replaced) return false;
    writer.Copy(start, text.size());
    return true;
}

}  // namespace qm
