#include "engine/Sjis.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <optional>

#include "engine/SjisBlocks.h"
#include "engine/SjisScan.h"
#include "engine/TextServices.h"

namespace qm {

namespace {

bool InWideLeadRange(std::uint8_t b) {
    return (b >= 0x80 && b <= 0x9F) || b >= 0xE0;
}
constexpr bool InKanaLeadRange(std::uint8_t b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

constexpr std::array<bool, 256> MakeKanaLeadBytes() {
    std::array<bool, 256> t{};
    for (unsigned b = 0; b < 256; ++b)
        t[b] = InKanaLeadRange(static_cast<std::uint8_t>(b));
    return t;
}
constexpr std::array<bool, 256> kKanaLeadBytes = MakeKanaLeadBytes();

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

// Index of the first occurrence of pat in s[from, limit), or npos. pat is not empty.
std::size_t FindBytes(std::string_view s, std::size_t from, std::size_t limit,
                      std::string_view pat) {
    const std::size_t m = pat.size();
    if (limit < m) return std::string_view::npos;
    const std::size_t last = limit - m;  // last possible start
    const char first = pat[0];
    std::size_t i = from;
    while (i <= last) {
        const void* hit = std::memchr(s.data() + i, first, last - i + 1);
        if (!hit) return std::string_view::npos;
        i = static_cast<std::size_t>(static_cast<const char*>(hit) - s.data());
        if (m == 1 || std::memcmp(s.data() + i + 1, pat.data() + 1, m - 1) == 0) return i;
        ++i;
    }
    return std::string_view::npos;
}

// The search for a pattern of single-byte characters in any letter case: the
// bytes that fold to the pattern's first byte (a letter's two cases) are found with
// memchr, and the rest is compared through the folding table.
class FoldedSearch {
  public:
    FoldedSearch(std::string_view text, std::string_view pattern, const CharMap& upper,
                 const LeadByteTable& lead)
        : text_(text) {
        for (unsigned b = 0; b < 256; ++b) {
            const MappedChar& m = upper.Single(static_cast<std::uint8_t>(b));
            fold_[b] = !lead[b] && m.length == 1 ? m.bytes[0] : static_cast<std::uint8_t>(b);
        }
        for (const char c : pattern)
            pattern_.push_back(static_cast<char>(fold_[static_cast<std::uint8_t>(c)]));
        std::string firsts;
        for (unsigned b = 0; b < 256; ++b) {
            if (fold_[b] == static_cast<std::uint8_t>(pattern_[0]))
                firsts.push_back(static_cast<char>(b));
        }
        firsts_.emplace(text, firsts);
    }

    // The first occurrence from `from` on, as bytes, or npos.
    std::size_t Find(std::size_t from) {
        const auto* t = reinterpret_cast<const std::uint8_t*>(text_.data());
        const std::size_t m = pattern_.size();
        for (std::size_t c = firsts_->Next(from); c + m <= text_.size(); c = firsts_->Next(c + 1)) {
            std::size_t k = 1;
            while (k < m && fold_[t[c + k]] == static_cast<std::uint8_t>(pattern_[k]))
                ++k;
            if (k == m) return c;
        }
        return std::string_view::npos;
    }

  private:
    std::string_view text_;
    std::array<std::uint8_t, 256> fold_{};
    std::string pattern_;
    std::optional<ByteFinder> firsts_;
};

}  // namespace

bool LeadByteAt(std::string_view text, std::ptrdiff_t n) {
    if (n <= 0 || n > static_cast<std::ptrdiff_t>(text.size())) return false;
    bool state = false;
    for (std::ptrdiff_t i = 0; i < n; ++i) {
        state = InWideLeadRange(static_cast<std::uint8_t>(text[static_cast<std::size_t>(i)]))
                    ? !state
                    : false;
    }
    return state;
}

bool LeadByteWalker::At(std::ptrdiff_t n) {
    const auto len = static_cast<std::ptrdiff_t>(text_.size());
    if (n <= 0 || n > len) return false;
    while (pos_ < n) {
        state_ = InWideLeadRange(static_cast<std::uint8_t>(text_[static_cast<std::size_t>(pos_)]))
                     ? !state_
                     : false;
        ++pos_;
    }
    return state_;
}

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
    std::uint8_t lead;  // the first byte of every kana of the row
    std::array<KanaAction, 256> action{};
    std::array<char, 256> letter{}, mark{};  // Spell: the letter, and the mark if any
    std::array<bool, 256> changes{};         // the action is not Keep
};

KanaRule MakeKanaRule(int selector) {
    KanaRule rule;
    rule.lead = static_cast<std::uint8_t>(0x82 + selector);
    for (unsigned s = 0; s < 256; ++s) {
        const std::uint16_t jis = SjisToJis(static_cast<std::uint16_t>(rule.lead << 8 | s));
        const int row = jis >> 8, cell = jis & 0xFF;
        if (row != 0x24 + selector) continue;
        rule.changes[s] = true;
        if (cell < 0x21 || cell > 0x76) {
            rule.action[s] = KanaAction::Alone;
            continue;
        }
        const std::uint8_t entry = KanaTableEntry(cell);
        rule.action[s] = KanaAction::Spell;
        rule.letter[s] = static_cast<char>(0xA6 + entry % 56);
        rule.mark[s] = entry < 56 ? '\0' : entry < 112 ? '\xDE' : '\xDF';
    }
    return rule;
}

// The walk of KanaToHalfWidth over [from, n) for a selector of neither kana row,
// and for the last bytes of a text for the rows.
bool KanaToHalfWidthWalk(const std::uint8_t* p, std::size_t from, std::size_t n, int selector,
                         std::size_t& copied, PieceWriter& writer) {
    bool changed = false;
    std::size_t i = from;
    while (i < n) {
        const std::uint8_t b = p[i];
        if (!InKanaLeadRange(b)) {
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
        static const KanaRule rules[2] = {MakeKanaRule(KanaRowHiragana),
                                          MakeKanaRule(KanaRowKatakana)};
        static const ByteSet lead(kKanaLeadBytes);
        const KanaRule& rule = rules[selector];
        const ByteSet row = ByteSet::Of(rule.lead, rule.lead);
        const ByteSet changes(rule.changes);
        // Only the row's lead byte where a character begins, followed by a second
        // byte that changes something, is looked at; whole blocks without one are
        // passed over. A first byte given alone makes its second byte begin a
        // character, against what the block's bits say: the blocks start again
        // right there.
        TrailBits trail;
        while (n - i > kBlockBytes) {  // the byte after the block is read too
            const std::uint64_t starts = ~trail.Next(lead.Mask(p + i));
            std::uint64_t found = row.Mask(p + i) & starts & changes.Mask(p + i + 1);
            std::size_t next = i + kBlockBytes;
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
        if (trail.NextIsTrail()) ++i;
    }
    changed |= KanaToHalfWidthWalk(p, i, n, selector, copied, writer);
    if (!changed) return false;
    writer.Copy(copied, n);
    return true;
}

std::string KanaToHalfWidth(std::string_view text, int selector) {
    std::string out;
    return KanaToHalfWidth(text, selector, out) ? out : std::string(text);
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

std::string MapLocaleString(std::string_view text, unsigned flags) {
    std::string out;
    return MapLocaleString(text, flags, out) ? out : std::string(text);
}

std::size_t FindText(std::string_view pattern, std::string_view text) {
    pattern = UpToNul(pattern);
    text = UpToNul(text);
    if (pattern.empty() || text.empty()) return 0;
    BoundaryTracker boundary(text, Text().LeadBytes());
    std::size_t from = 0;
    for (;;) {
        const std::size_t c = FindBytes(text, from, text.size(), pattern);
        if (c == std::string_view::npos) return 0;
        if (boundary.IsBoundary(c)) return c + 1;
        from = c + 1;
    }
}

std::string ReplaceAll(std::string_view text, std::string_view old, std::string_view replacement,
                       bool ignoreCase) {
    std::string out;
    return ReplaceAll(text, old, replacement, ignoreCase, out) ? out : std::string(text);
}

bool ReplaceAll(std::string_view text, std::string_view old, std::string_view replacement,
                bool ignoreCase, std::string& out) {
    const std::string_view pattern = UpToNul(old);
    if (pattern.empty() || text.empty()) return false;

    const TextServices& services = Text();
    const LeadByteTable& lead = services.LeadBytes();
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
    // The search never looks past the first NUL of the text.
    const std::size_t limit = std::min(search.find('\0'), search.size());
    std::optional<FoldedSearch> folded;
    if (foldSingles) folded.emplace(search.substr(0, limit), pattern, services.UpperMap(), lead);
    auto find = [&](std::size_t from) {
        return folded ? folded->Find(from) : FindBytes(search, from, limit, pat);
    };

    out.clear();
    bool replaced = false;
    std::size_t start = 0;  // beginning of the rest
    BoundaryTracker boundary(search, lead);
    std::size_t from = 0;
    while (start < text.size()) {
        const std::size_t c = find(from);
        if (c == std::string_view::npos) break;
        if (!boundary.IsBoundary(c)) {
            from = c + 1;
            continue;
        }
        if (!replaced) out.reserve(text.size());
        replaced = true;
        out.append(text.substr(start, c - start));
        out.append(replacement);
        start = std::min(c + old.size(), text.size());
        // The search goes on in the rest, whose characters are counted from its start.
        boundary.Restart(start);
        from = start;
    }
    if (!replaced) return false;
    out.append(text.substr(start));
    return true;
}

}  // namespace qm
