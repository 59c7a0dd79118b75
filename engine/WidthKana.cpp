#include "engine/WidthKana.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

#include "engine/Sjis.h"
#include "engine/SjisBlocks.h"
#include "engine/SjisScan.h"
#include "engine/StepForms.h"
#include "engine/TextServices.h"

namespace qm {

namespace {

// Indexed by a byte: the byte a full-width character becomes (by its second byte),
// or 0 for none.
using NarrowTable = std::array<std::uint8_t, 256>;
// Indexed by a byte: the two-byte code a single byte becomes, or 0 for none.
using WideTable = std::array<std::uint16_t, 256>;

constexpr NarrowTable MakeNarrowDigits() {
    NarrowTable t{};
    for (unsigned s = 0x4F; s <= 0x58; ++s)
        t[s] = static_cast<std::uint8_t>(s - 0x1F);
    return t;
}

constexpr WideTable MakeWideDigits() {
    WideTable t{};
    for (unsigned b = '0'; b <= '9'; ++b)
        t[b] = static_cast<std::uint16_t>(0x8200 | (b + 0x1F));
    return t;
}

constexpr NarrowTable MakeNarrowLetters() {
    NarrowTable t{};
    for (unsigned s = 0x60; s <= 0x79; ++s)
        t[s] = static_cast<std::uint8_t>(s - 0x1F);  // capitals
    for (unsigned s = 0x81; s <= 0x9A; ++s)
        t[s] = static_cast<std::uint8_t>(s - 0x20);  // small letters
    return t;
}

constexpr WideTable MakeWideLetters() {
    WideTable t{};
    for (unsigned b = 'A'; b <= 'Z'; ++b)
        t[b] = static_cast<std::uint16_t>(0x8200 | (b + 0x1F));
    for (unsigned b = 'a'; b <= 'z'; ++b)
        t[b] = static_cast<std::uint16_t>(0x8200 | (b + 0x20));
    return t;
}

// Full-width symbols, all with first byte 0x81, by second byte. The curly quotation
// marks and the primes all narrow to the plain marks.
struct NarrowSymbol {
    std::uint8_t second;
    char narrow;
};
constexpr NarrowSymbol kNarrowSymbolList[] = {
    {0x43, ','}, {0x44, '.'}, {0x46, ':'},  {0x47, ';'},  {0x48, '?'},  {0x49, '!'}, {0x4F, '^'},
    {0x5E, '/'}, {0x62, '|'}, {0x65, '\''}, {0x66, '\''}, {0x8C, '\''}, {0x67, '"'}, {0x68, '"'},
    {0x8D, '"'}, {0x69, '('}, {0x6A, ')'},  {0x6D, '['},  {0x6E, ']'},  {0x6F, '{'}, {0x70, '}'},
    {0x7B, '+'}, {0x7C, '-'}, {0x81, '='},  {0xAC, '='},  {0x83, '<'},  {0x84, '>'}, {0x8F, '\\'},
    {0x90, '$'}, {0x93, '%'}, {0x94, '#'},  {0x95, '&'},  {0x96, '*'},  {0x97, '@'},
};

// The way back is not the mirror image: the plain quotation marks widen to the
// primes, never to the curly marks.
struct WideSymbol {
    char narrow;
    std::uint16_t code;
};
constexpr WideSymbol kWideSymbolList[] = {
    {'!', 0x8149},  {'"', 0x818D}, {'#', 0x8194}, {'$', 0x8190}, {'%', 0x8193}, {'&', 0x8195},
    {'\'', 0x818C}, {'(', 0x8169}, {')', 0x816A}, {'*', 0x8196}, {'+', 0x817B}, {',', 0x8143},
    {'-', 0x817C},  {'.', 0x8144}, {'/', 0x815E}, {':', 0x8146}, {';', 0x8147}, {'<', 0x8183},
    {'=', 0x8181},  {'>', 0x8184}, {'?', 0x8148}, {'@', 0x8197}, {'[', 0x816D}, {'\\', 0x818F},
    {']', 0x816E},  {'^', 0x814F}, {'{', 0x816F}, {'|', 0x8162}, {'}', 0x8170},
};

constexpr NarrowTable MakeNarrowSymbols() {
    NarrowTable t{};
    for (const NarrowSymbol& s : kNarrowSymbolList)
        t[s.second] = static_cast<std::uint8_t>(s.narrow);
    return t;
}

constexpr WideTable MakeWideSymbols() {
    WideTable t{};
    for (const WideSymbol& s : kWideSymbolList)
        t[static_cast<std::uint8_t>(s.narrow)] = s.code;
    return t;
}

constexpr NarrowTable kNarrowDigits = MakeNarrowDigits();
constexpr NarrowTable kNarrowLetters = MakeNarrowLetters();
constexpr NarrowTable kNarrowSymbols = MakeNarrowSymbols();
constexpr WideTable kWideDigits = MakeWideDigits();
constexpr WideTable kWideLetters = MakeWideLetters();
constexpr WideTable kWideSymbols = MakeWideSymbols();

// Full-width forms of the half-width bytes 0xA1..0xDD, in byte order.
constexpr std::uint8_t kKanaFirst = 0xA1, kKanaLast = 0xDD;
constexpr std::uint8_t kVoicedMark = 0xDE, kSemiVoicedMark = 0xDF;
using KanaTable = std::array<std::uint16_t, kKanaLast - kKanaFirst + 1>;

constexpr KanaTable kPlainKana = {
    0x8142, 0x8175, 0x8176, 0x8141, 0x8145,  // 。「」、・
    0x8392,                                  // ヲ
    0x8340, 0x8342, 0x8344, 0x8346, 0x8348,  // ァィゥェォ
    0x8383, 0x8385, 0x8387, 0x8362,          // ャュョッ
    0x815B,                                  // ー
    0x8341, 0x8343, 0x8345, 0x8347, 0x8349,  // アイウエオ
    0x834A, 0x834C, 0x834E, 0x8350, 0x8352,  // カキクケコ
    0x8354, 0x8356, 0x8358, 0x835A, 0x835C,  // サシスセソ
    0x835E, 0x8360, 0x8363, 0x8365, 0x8367,  // タチツテト
    0x8369, 0x836A, 0x836B, 0x836C, 0x836D,  // ナニヌネノ
    0x836E, 0x8371, 0x8374, 0x8377, 0x837A,  // ハヒフヘホ
    0x837D, 0x837E, 0x8380, 0x8381, 0x8382,  // マミムメモ
    0x8384, 0x8386, 0x8388,                  // ヤユヨ
    0x8389, 0x838A, 0x838B, 0x838C, 0x838D,  // ラリルレロ
    0x838F, 0x8393,                          // ワン
};

// In the code page a voiced katakana directly follows its plain letter and a
// semi-voiced one follows the voiced; ヴ is the exception.
constexpr KanaTable MakeMarkedKana(bool semiVoiced) {
    KanaTable t = kPlainKana;
    const auto shift = [&](unsigned first, unsigned last, unsigned by) {
        for (unsigned b = first; b <= last; ++b)
            t[b - kKanaFirst] = static_cast<std::uint16_t>(t[b - kKanaFirst] + by);
    };
    if (semiVoiced) {
        shift(0xCA, 0xCE, 2);  // ﾊ..ﾎ
    } else {
        t[0xB3 - kKanaFirst] = 0x8394;  // ｳ: ヴ
        shift(0xB6, 0xC4, 1);           // ｶ..ﾄ
        shift(0xCA, 0xCE, 1);           // ﾊ..ﾎ
    }
    return t;
}
constexpr KanaTable kVoicedKana = MakeMarkedKana(false);
constexpr KanaTable kSemiVoicedKana = MakeMarkedKana(true);

// Full-width punctuation that follows half-width kana, by second byte (first 0x81).
constexpr NarrowTable MakeNarrowKanaPunctuation() {
    NarrowTable t{};
    t[0x41] = 0xA4;  // 、 to ､
    t[0x42] = 0xA1;  // 。 to ｡
    t[0x43] = ',';   // ，
    t[0x44] = '.';   // ．
    t[0x45] = 0xA5;  // ・ to ･
    t[0x5B] = 0xB0;  // ー to ｰ
    return t;
}
constexpr NarrowTable kNarrowKanaPunctuation = MakeNarrowKanaPunctuation();

const std::uint8_t* Bytes(std::string_view text) {
    return reinterpret_cast<const std::uint8_t*>(text.data());
}

// A rule that narrows the two-byte characters with first byte `first` whose second
// byte has an entry; [low, high] spans those second bytes.
struct NarrowRule {
    std::uint8_t first;
    NarrowTable to;
    std::uint8_t low = 0, high = 0;
};

// A rule that widens the single bytes with an entry; [low, high] spans them.
struct WideRule {
    WideTable to;
    std::uint8_t low = 0, high = 0;
};

template <typename Table>
constexpr void SetSpan(const Table& to, std::uint8_t& low, std::uint8_t& high) {
    low = 0xFF;
    for (unsigned b = 0; b < 256; ++b) {
        if (to[b] == 0) continue;
        if (b < low) low = static_cast<std::uint8_t>(b);
        high = static_cast<std::uint8_t>(b);
    }
}

constexpr NarrowRule MakeNarrowRule(std::uint8_t first, const NarrowTable& to) {
    NarrowRule r{first, to};
    SetSpan(to, r.low, r.high);
    return r;
}

constexpr WideRule MakeWideRule(const WideTable& to) {
    WideRule r{to};
    SetSpan(to, r.low, r.high);
    return r;
}

constexpr NarrowRule kNarrowDigitRule = MakeNarrowRule(0x82, kNarrowDigits);
constexpr NarrowRule kNarrowLetterRule = MakeNarrowRule(0x82, kNarrowLetters);
constexpr NarrowRule kNarrowSymbolRule = MakeNarrowRule(0x81, kNarrowSymbols);
constexpr WideRule kWideDigitRule = MakeWideRule(kWideDigits);
constexpr WideRule kWideLetterRule = MakeWideRule(kWideLetters);
constexpr WideRule kWideSymbolRule = MakeWideRule(kWideSymbols);

// The byte loops look at the text in blocks. A block in which no character the step
// converts can begin is copied as it is; only stretches of the others are walked byte
// by byte. The tests for a block are written so that the compiler makes them a few
// vector compares: they run over every block, the walk only where text changes.
constexpr std::size_t kBlock = 32;
constexpr std::size_t kStretch = 16 * kBlock;  // the longest walk in one go

bool InRange(std::uint8_t b, std::uint8_t low, std::uint8_t high) {
    return static_cast<std::uint8_t>(b - low) <= static_cast<std::uint8_t>(high - low);
}

bool AnyInRange(const std::uint8_t* p, std::uint8_t low, std::uint8_t high) {
    std::uint8_t any = 0;
    for (std::size_t j = 0; j < kBlock; ++j)
        any |= InRange(p[j], low, high);
    return any != 0;
}

// Reads one byte past the block.
bool AnyPairInRange(const std::uint8_t* p, std::uint8_t first, std::uint8_t low,
                    std::uint8_t high) {
    std::uint8_t any = 0;
    for (std::size_t j = 0; j < kBlock; ++j)
        any |= (p[j] == first) & InRange(p[j + 1], low, high);
    return any != 0;
}

// Moves i over the whole blocks before `limit` in which busy(position) finds nothing
// to convert, and returns the end of the stretch to walk from there: the busy blocks
// that follow, or what is left before `limit` when that is less than a block.
template <typename Busy>
std::size_t NextStretch(std::size_t& i, std::size_t limit, Busy busy) {
    while (i + kBlock <= limit && !busy(i))
        i += kBlock;
    std::size_t end = i;
    while (end + kBlock <= limit && end - i < kStretch && busy(end))
        end += kBlock;
    return end == i ? limit : end;
}

// Where the byte loop stands when the walk resumes after skipped blocks: whether the
// byte at i is the second byte of a character, given that at `known` <= i. The byte
// after one that cannot open a character always begins one, so the answer follows
// from the lead-byte run just before i; the walk back never passes `known`, which
// the caller then moves up to i, so that no byte is walked back over twice.
unsigned TrailAt(const LeadByteTable& lead, const std::uint8_t* p, std::size_t i, std::size_t known,
                 bool knownTrail) {
    std::size_t j = i;
    while (j > known && lead[p[j - 1]])
        --j;
    // Through a run of bytes that all open characters, every other one is a second byte.
    const bool trailAtJ = j == known && knownTrail;
    return trailAtJ != ((i - j) % 2 == 1) ? 1 : 0;
}

// The byte loop for a rule that turns two-byte characters into single bytes.
// `trail` tells whether the byte at hand is the second byte of the character before
// it: that is the byte loop's walk without its branches.
bool NarrowPairs(std::string_view text, const NarrowRule& rule, std::string& out) {
    const LeadByteTable& lead = Text().LeadBytes();
    const std::size_t n = text.size();
    const std::uint8_t* p = Bytes(text);
    const auto busy = [&](std::size_t at) {
        return AnyPairInRange(p + at, rule.first, rule.low, rule.high);
    };
    out.clear();
    std::size_t copied = 0, known = 0;
    bool knownTrail = false;
    // Pairs begin before the last byte: a lead byte at the very end stays as it is.
    const std::size_t limit = n == 0 ? 0 : n - 1;
    for (std::size_t i = 0; i < limit;) {
        const std::size_t end = NextStretch(i, limit, busy);
        unsigned trail = TrailAt(lead, p, i, known, knownTrail);
        for (std::size_t j = i; j < end; ++j) {
            const unsigned b = p[j], opens = lead[b] & ~trail & 1;
            trail = opens;
            const std::uint8_t to = rule.to[p[j + 1]];
            if (opens & (b == rule.first) & (to != 0)) {
                if (copied == 0) out.reserve(n);
                out.append(text, copied, j - copied);
                out.push_back(static_cast<char>(to));
                copied = j + 2;
            }
        }
        known = i = end;
        knownTrail = trail != 0;
    }
    if (copied == 0) return false;
    out.append(text, copied);
    return true;
}

// How far the walk over a stretch got: where it stopped (the stretch's end, or one
// byte further when the last character took the byte after it along), whether the
// byte there is the second byte of a character, the end of what it wrote, and
// whether that differs from the bytes it walked over.
struct Walked {
    std::size_t next;
    unsigned trail;
    std::uint8_t* out;
    bool changed;
};

// The frame of a byte loop that widens: passes over the blocks in which busy(at)
// finds nothing; for each stretch [i, end) in between, walk(i, end, trail, out)
// writes its output at out, at most two bytes a byte, and tells how far it got.
// A stretch is walked into a buffer of its own and goes to out only when it
// changed, so that out is written only from the first change on.
template <typename Busy, typename Walk>
bool Widen(std::string_view text, Busy busy, Walk walk, std::string& out) {
    const LeadByteTable& lead = Text().LeadBytes();
    const std::uint8_t* p = Bytes(text);
    const std::size_t n = text.size();
    std::uint8_t walked[2 * kStretch];
    out.clear();
    std::size_t copied = 0, known = 0;
    bool knownTrail = false, changed = false;
    for (std::size_t i = 0; i < n;) {
        const std::size_t end = NextStretch(i, n, busy);
        const Walked w = walk(i, end, TrailAt(lead, p, i, known, knownTrail), walked);
        if (w.changed) {
            if (!changed) out.reserve(n + n / 8);
            changed = true;
            out.append(text, copied, i - copied);
            out.append(reinterpret_cast<const char*>(walked),
                       static_cast<std::size_t>(w.out - walked));
            copied = w.next;
        }
        known = i = w.next;
        knownTrail = w.trail != 0;
    }
    if (!changed) return false;
    out.append(text, copied);
    return true;
}

// What a widening byte loop does with each byte, worked out once per call from the
// platform's lead bytes and the rule: the low 16 bits hold the two bytes it becomes,
// in memory order, so that one store writes them.
constexpr std::uint32_t kOpens = 1u << 16;   // the byte opens a two-byte character
constexpr std::uint32_t kWidens = 1u << 17;  // the byte becomes a two-byte code
using WideEntries = std::array<std::uint32_t, 256>;

WideEntries MakeWideEntries(const LeadByteTable& lead, const WideRule& rule) {
    WideEntries entries{};
    for (unsigned b = 0; b < 256; ++b) {
        const std::uint16_t code = rule.to[b];
        if (lead[b]) {
            entries[b] = kOpens;
        } else if (code != 0) {
            const unsigned char bytes[2] = {static_cast<unsigned char>(code >> 8),
                                            static_cast<unsigned char>(code)};
            std::uint16_t word;
            std::memcpy(&word, bytes, 2);
            entries[b] = kWidens | word;
        }
    }
    return entries;
}

// The byte loop for a rule that turns single bytes into two-byte codes. Every byte
// is written as two bytes, and the output moves on by one or two; masks stand in
// for conditions, which the compiler would make mispredicted branches.
bool WidenSingles(std::string_view text, const WideRule& rule, std::string& out) {
    const WideEntries entries = MakeWideEntries(Text().LeadBytes(), rule);
    const std::uint8_t* p = Bytes(text);
    return Widen(
        text, [&](std::size_t at) { return AnyInRange(p + at, rule.low, rule.high); },
        [&](std::size_t i, std::size_t end, unsigned trail, std::uint8_t* o) {
            unsigned widened = 0;
            for (std::size_t j = i; j < end; ++j) {
                const unsigned b = p[j], e = entries[b];
                const unsigned widen = (e >> 17) & ~trail & 1;
                trail = (e >> 16) & ~trail & 1;
                const unsigned mask = 0u - widen;
                // Widened: the code's bytes. Otherwise the byte itself, and a second
                // byte that the next one overwrites.
                const auto word = static_cast<std::uint16_t>((e & mask) | (b & ~mask));
                std::memcpy(o, &word, 2);
                o += 1 + widen;
                widened |= widen;
            }
            return Walked{end, trail, o, widened != 0};
        },
        out);
}

constexpr char kIdeographicComma[] = "\x81\x41";     // 、
constexpr char kFullWidthComma[] = "\x81\x43";       // ，
constexpr char kIdeographicFullStop[] = "\x81\x42";  // 。
constexpr char kFullWidthFullStop[] = "\x81\x44";    // ．
constexpr char kIdeographicBlank[] = "\x81\x40";     // full-width blank
constexpr char kFullWidthOpenParen[] = "\x81\x69";   // （
constexpr char kFullWidthCloseParen[] = "\x81\x6A";  // ）

bool Replace(std::string_view text, std::string_view old, std::string_view replacement,
             std::string& out) {
    return ReplaceAll(text, old, replacement, false, out);
}

// Two replacements of one character each, the first made before the second looks:
// neither replacement is or makes the other's character, and a character stays a
// character in its place, so the second finds the same characters in the first's
// result as in the text, and one pass over the characters does both. Like the
// search, the pass ends at the first NUL.
bool ReplaceEither(std::string_view text, std::string_view oldA, std::string_view newA,
                   std::string_view oldB, std::string_view newB, std::string& out) {
    const std::string_view searched = text.substr(0, std::min(text.find('\0'), text.size()));
    const std::size_t limit = searched.size();
    BoundaryTracker boundary(text, Text().LeadBytes());
    ByteFinder finder(searched, std::string{oldA[0], oldB[0]});
    out.clear();
    std::size_t copied = 0;
    bool replaced = false;
    for (std::size_t c = finder.Next(0); c < limit; c = finder.Next(c + 1)) {
        const std::string_view rest = searched.substr(c);
        const bool a = rest.starts_with(oldA), b = !a && rest.starts_with(oldB);
        if (!(a || b) || !boundary.IsBoundary(c)) continue;
        if (!replaced) out.reserve(text.size() + text.size() / 8);
        replaced = true;
        out.append(text, copied, c - copied);
        out.append(a ? newA : newB);
        copied = c + (a ? oldA : oldB).size();
        c = copied - 1;
    }
    if (!replaced) return false;
    out.append(text, copied);
    return true;
}

}  // namespace

bool ConvertDigitsInto(std::string_view text, int mode, std::string& out) {
    if (mode == 1) return NarrowPairs(text, kNarrowDigitRule, out);
    if (mode == 2) return WidenSingles(text, kWideDigitRule, out);
    return false;
}

bool ConvertLettersInto(std::string_view text, int mode, std::string& out) {
    if (mode == 1) return NarrowPairs(text, kNarrowLetterRule, out);
    if (mode == 2) return WidenSingles(text, kWideLetterRule, out);
    return false;
}

bool ConvertCommasInto(std::string_view text, int mode, std::string& out) {
    if (mode == 1) return Replace(text, kFullWidthComma, kIdeographicComma, out);
    if (mode == 2) return Replace(text, kIdeographicComma, kFullWidthComma, out);
    return false;
}

bool ConvertFullStopsInto(std::string_view text, int mode, std::string& out) {
    if (mode == 1) return Replace(text, kFullWidthFullStop, kIdeographicFullStop, out);
    if (mode == 2) return Replace(text, kIdeographicFullStop, kFullWidthFullStop, out);
    return false;
}

bool ConvertSymbolsInto(std::string_view text, int mode, std::string& out) {
    if (mode == 1) return NarrowPairs(text, kNarrowSymbolRule, out);
    if (mode == 2) return WidenSingles(text, kWideSymbolRule, out);
    return false;
}

bool ConvertBlanksInto(std::string_view text, int mode, std::string& out) {
    if (mode == 1) return Replace(text, kIdeographicBlank, " ", out);
    if (mode == 2) return Replace(text, " ", kIdeographicBlank, out);
    return false;
}

bool ConvertParenthesesInto(std::string_view text, int mode, std::string& out) {
    if (mode == 1)
        return ReplaceEither(text, kFullWidthOpenParen, "(", kFullWidthCloseParen, ")", out);
    if (mode == 2)
        return ReplaceEither(text, "(", kFullWidthOpenParen, ")", kFullWidthCloseParen, out);
    return false;
}

bool ConvertHiraganaInto(std::string_view text, int mode, std::string& out) {
    if (mode == 1) return HalfWidthKanaInto(text, KanaRowHiragana, out);
    if (mode == 2) return MapLocaleString(text, kLcmapKatakana, out);
    return false;
}

bool ConvertKatakanaInto(std::string_view text, int mode, std::string& out) {
    if (mode == 1) return HalfWidthKanaInto(text, KanaRowKatakana, out);
    if (mode == 2) return FullWidthKanaInto(text, out);
    if (mode == 3) {
        std::string wide;
        if (!FullWidthKanaInto(text, wide)) return MapLocaleString(text, kLcmapHiragana, out);
        if (!MapLocaleString(wide, kLcmapHiragana, out)) out = std::move(wide);
        return true;
    }
    return false;
}

bool FullWidthKanaInto(std::string_view text, std::string& out) {
    const LeadByteTable& lead = Text().LeadBytes();
    // Per byte: bit 0, it opens a two-byte character; bit 1, it is half-width kana.
    std::array<std::uint8_t, 256> kind;
    for (unsigned b = 0; b < 256; ++b)
        kind[b] = lead[b]                                                        ? 1
                  : InRange(static_cast<std::uint8_t>(b), kKanaFirst, kKanaLast) ? 2
                                                                                 : 0;
    const std::uint8_t* p = Bytes(text);
    const std::size_t n = text.size();
    return Widen(
        text, [&](std::size_t at) { return AnyInRange(p + at, kKanaFirst, kKanaLast); },
        [&](std::size_t i, std::size_t end, unsigned trail, std::uint8_t* o) {
            bool changed = false;
            std::size_t j = i;
            while (j < end) {
                const unsigned b = p[j], k = kind[b];
                if ((k >> 1) & ~trail & 1) {
                    const std::uint8_t next = j + 1 < n ? p[j + 1] : 0;
                    const bool voiced = next == kVoicedMark, semiVoiced = next == kSemiVoicedMark;
                    const KanaTable& table = voiced       ? kVoicedKana
                                             : semiVoiced ? kSemiVoicedKana
                                                          : kPlainKana;
                    const std::uint16_t code = table[b - kKanaFirst];
                    o[0] = static_cast<std::uint8_t>(code >> 8);
                    o[1] = static_cast<std::uint8_t>(code);
                    o += 2;
                    j += voiced || semiVoiced ? 2 : 1;  // the mark goes with its letter
                    changed = true;
                    continue;
                }
                trail = k & ~trail & 1;
                *o++ = static_cast<std::uint8_t>(b);
                ++j;
            }
            return Walked{j, trail, o, changed};
        },
        out);
}

namespace {

// The wide lead range of the punctuation pass: 0x80-0x9F and 0xE0-0xFF.
constexpr std::array<bool, 256> MakeWideLead() {
    std::array<bool, 256> t{};
    for (unsigned b = 0x80; b < 256; ++b)
        t[b] = b <= 0x9F || b >= 0xE0;
    return t;
}

// The punctuation pass of HalfWidthKana over t, in place: every replacement makes
// the text shorter, so the pass never writes over a byte it has still to read. The
// pass decides where characters begin by the wide lead range (0x80-0x9F,
// 0xE0-0xFF): walking pair by pair from the start, the walk of LeadByteAt is always
// between characters where the pass stands, so a byte opens a pair exactly when it
// is in that range and no pair opened right before it.
bool NarrowKanaPunctuation(std::string& t) {
    static const ByteSet wideLead(MakeWideLead());
    static const ByteSet halfWidthKana = ByteSet::Of(0xA1, 0xDF);
    static const ByteSet first = ByteSet::Of(0x81, 0x81);
    static const ByteSet second = [] {
        std::array<bool, 256> seconds{};
        for (unsigned b = 0; b < 256; ++b)
            seconds[b] = kNarrowKanaPunctuation[b] != 0;
        return ByteSet(seconds);
    }();
    const std::size_t n = t.size();
    auto* p = reinterpret_cast<std::uint8_t*>(t.data());
    std::size_t written = 0, copied = 0;
    std::size_t lastReplaced = n;  // where the last replaced mark began
    TrailBits trail;
    std::uint64_t kanaBefore = 0;  // the byte before the block is half-width kana
    for (std::size_t at = 0; at < n; at += kBlockBytes) {
        // All of a block is read before anything in it is written.
        const std::size_t room = n - at;
        const std::uint8_t* block = p + at;
        std::uint8_t padded[kBlockBytes + 1] = {};
        if (room <= kBlockBytes) {
            std::memcpy(padded, block, room);
            block = padded;
        }
        const std::uint64_t starts = ~trail.Next(wideLead.Mask(block));
        const std::uint64_t kana = halfWidthKana.Mask(block) & starts;
        const std::uint64_t afterKana = kana << 1 | kanaBefore;
        kanaBefore = kana >> 63;
        std::uint64_t found = first.Mask(block) & starts & second.Mask(block + 1);
        if (room <= kBlockBytes) found &= (std::uint64_t{1} << (room - 1)) - 1;  // a pair fits
        for (; found != 0; found &= found - 1) {
            const auto k = static_cast<std::size_t>(std::countr_zero(found));
            const std::size_t j = at + k;
            // Half-width kana right before, or a mark replaced for the same reason.
            if ((afterKana >> k & 1) == 0 && lastReplaced + 2 != j) continue;
            const std::uint8_t to = kNarrowKanaPunctuation[p[j + 1]];
            std::memmove(p + written, p + copied, j - copied);
            written += j - copied;
            p[written++] = to;
            copied = j + 2;
            lastReplaced = j;
        }
    }
    if (copied == 0) return false;
    std::memmove(p + written, p + copied, n - copied);
    t.resize(written + n - copied);
    return true;
}

}  // namespace

bool HalfWidthKanaInto(std::string_view text, int selector, std::string& out) {
    const bool converted = KanaToHalfWidth(text, selector, out);
    if (!converted) out.assign(text);
    return NarrowKanaPunctuation(out) || converted;
}

// The plain forms.

template <bool (*Step)(std::string_view, int, std::string&)>
std::string Plain(std::string_view text, int mode) {
    return ResultOf(text, [mode](std::string_view t, std::string& o) { return Step(t, mode, o); });
}

std::string ConvertDigits(std::string_view text, int mode) {
    return Plain<ConvertDigitsInto>(text, mode);
}
std::string ConvertLetters(std::string_view text, int mode) {
    return Plain<ConvertLettersInto>(text, mode);
}
std::string ConvertCommas(std::string_view text, int mode) {
    return Plain<ConvertCommasInto>(text, mode);
}
std::string ConvertFullStops(std::string_view text, int mode) {
    return Plain<ConvertFullStopsInto>(text, mode);
}
std::string ConvertSymbols(std::string_view text, int mode) {
    return Plain<ConvertSymbolsInto>(text, mode);
}
std::string ConvertBlanks(std::string_view text, int mode) {
    return Plain<ConvertBlanksInto>(text, mode);
}
std::string ConvertParentheses(std::string_view text, int mode) {
    return Plain<ConvertParenthesesInto>(text, mode);
}
std::string ConvertHiragana(std::string_view text, int mode) {
    return Plain<ConvertHiraganaInto>(text, mode);
}
std::string ConvertKatakana(std::string_view text, int mode) {
    return Plain<ConvertKatakanaInto>(text, mode);
}
std::string FullWidthKana(std::string_view text) {
    return ResultOf(text,
                    [](std::string_view t, std::string& o) { return FullWidthKanaInto(t, o); });
}
std::string HalfWidthKana(std::string_view text, int selector) {
    return Plain<HalfWidthKanaInto>(text, selector);
}

}  // namespace qm
