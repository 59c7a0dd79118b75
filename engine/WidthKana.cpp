#include "engine/WidthKana.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <optional>

#include "engine/Sjis.h"
#include "engine/SjisBlocks.h"
#include "engine/TextServices.h"
#include "engine/Vector.h"
#ifdef QM_AVX2_KERNELS
#include "engine/Avx2.h"
#endif

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
    0x8142, 0x8175, 0x8176, 0x8141,
    0x8145,  // ideographic full stop, corner brackets, ideographic comma, middle dot
    0x8392,  // katakana wo
    0x8340, 0x8342, 0x8344, 0x8346,
    0x8348,                          // small katakana a i u e o
    0x8383, 0x8385, 0x8387, 0x8362,  // small katakana ya yu yo tsu
    0x815B,                          // long vowel mark
    0x8341, 0x8343, 0x8345, 0x8347,
    0x8349,  // katakana a i u e o
    0x834A, 0x834C, 0x834E, 0x8350,
    0x8352,  // katakana ka ki ku ke ko
    0x8354, 0x8356, 0x8358, 0x835A,
    0x835C,  // katakana sa shi su se so
    0x835E, 0x8360, 0x8363, 0x8365,
    0x8367,  // katakana ta chi tsu te to
    0x8369, 0x836A, 0x836B, 0x836C,
    0x836D,  // katakana na ni nu ne no
    0x836E, 0x8371, 0x8374, 0x8377,
    0x837A,  // katakana ha hi fu he ho
    0x837D, 0x837E, 0x8380, 0x8381,
    0x8382,                  // katakana ma mi mu me mo
    0x8384, 0x8386, 0x8388,  // katakana ya yu yo
    0x8389, 0x838A, 0x838B, 0x838C,
    0x838D,          // katakana ra ri ru re ro
    0x838F, 0x8393,  // katakana wa n
};

// In the code page a voiced katakana directly follows its plain letter and a
// semi-voiced one follows the voiced; katakana vu is the exception.
constexpr KanaTable MakeMarkedKana(bool semiVoiced) {
    KanaTable t = kPlainKana;
    const auto shift = [&](unsigned first, unsigned last, unsigned by) {
        for (unsigned b = first; b <= last; ++b)
            t[b - kKanaFirst] = static_cast<std::uint16_t>(t[b - kKanaFirst] + by);
    };
    if (semiVoiced) {
        shift(0xCA, 0xCE, 2);  // half-width ha..half-width ho
    } else {
        t[0xB3 - kKanaFirst] = 0x8394;  // half-width u: katakana vu
        shift(0xB6, 0xC4, 1);           // half-width ka..half-width to
        shift(0xCA, 0xCE, 1);           // half-width ha..half-width ho
    }
    return t;
}
constexpr KanaTable kVoicedKana = MakeMarkedKana(false);
constexpr KanaTable kSemiVoicedKana = MakeMarkedKana(true);

// Full-width punctuation that follows half-width kana, by second byte (first 0x81).
constexpr NarrowTable MakeNarrowKanaPunctuation() {
    NarrowTable t{};
    t[0x41] = 0xA4;  // ideographic comma to half-width ideographic comma
    t[0x42] = 0xA1;  // ideographic full stop to half-width full stop
    t[0x43] = ',';   // full-width comma
    t[0x44] = '.';   // full-width full stop
    t[0x45] = 0xA5;  // katakana middle dot to half-width middle dot
    t[0x5B] = 0xB0;  // long vowel mark to half-width long vowel mark
    return t;
}
constexpr NarrowTable kNarrowKanaPunctuation = MakeNarrowKanaPunctuation();

const std::uint8_t* Bytes(std::string_view text) {
    return reinterpret_cast<const std::uint8_t*>(text.data());
}

// A rule that narrows the two-byte characters with first byte `first` whose second
// byte has an entry.
struct NarrowRule {
    std::uint8_t first;
    NarrowTable to;
};

constexpr NarrowRule kNarrowDigitRule{0x82, kNarrowDigits};
constexpr NarrowRule kNarrowLetterRule{0x82, kNarrowLetters};
constexpr NarrowRule kNarrowSymbolRule{0x81, kNarrowSymbols};

template <typename Table>
std::array<bool, 256> Entries(const Table& to) {
    std::array<bool, 256> has{};
    for (unsigned b = 0; b < 256; ++b)
        has[b] = to[b] != 0;
    return has;
}

// The byte loops find the characters their rule converts with StartFinder, block by
// block, and copy the text between them in pieces.

// The byte loop for a rule that turns two-byte characters into single bytes.
bool NarrowPairs(std::string_view text, const NarrowRule& rule, std::string& out) {
    const ByteSet& lead = LeadByteSet();
    // A first byte that opens no character here never begins a pair.
    if (!lead.Contains(rule.first)) return false;
    const std::uint8_t* p = Bytes(text);
    const std::size_t n = text.size();
    StartFinder pairs(text, ByteSet::Of(rule.first, rule.first), lead, ByteSet(Entries(rule.to)));
    PieceWriter writer(text, out);
    std::size_t copied = 0;
    for (std::size_t i = pairs.Next(0); i < n; i = pairs.Next(copied)) {
        writer.Copy(copied, i);
        // Converted characters come in runs (a number, a word): the ones right after
        // a found one go without the finder.
        do {
            writer.Put(static_cast<char>(rule.to[p[i + 1]]));
            i += 2;
        } while (i + 1 < n && p[i] == rule.first && rule.to[p[i + 1]] != 0);
        copied = i;
    }
    if (copied == 0) return false;
    writer.Copy(copied, n);
    return true;
}

// A rule that turns single bytes into two-byte codes, prepared once: the bytes it
// widens (those with an entry that are no lead byte) and each byte's spelling.
struct Widening {
    explicit Widening(const WideTable& to) {
        const ByteSet& lead = LeadByteSet();
        std::array<bool, 256> widened{};
        std::array<std::uint8_t, 256> seconds{};
        for (unsigned b = 0; b < 256; ++b) {
            widened[b] = to[b] != 0 && !lead.Contains(static_cast<std::uint8_t>(b));
            // A byte's spelling as it lies in memory: the byte kept (its second byte is
            // written over by the next), then the byte widened.
            spelling[b] = {static_cast<char>(b), 0};
            spelling[256 + b] = {static_cast<char>(to[b] >> 8), static_cast<char>(to[b])};
            if (!widened[b]) continue;
            seconds[b] = static_cast<std::uint8_t>(to[b]);
            const int first = to[b] >> 8;
            oneFirst = oneFirst && (firstByte < 0 || firstByte == first);
            firstByte = first;
        }
        wanted = ByteSet(widened);
#ifdef QM_AVX2_KERNELS
        secondBytes.emplace(seconds, widened);
#endif
    }

    ByteSet wanted;
    std::array<std::array<char, 2>, 512> spelling{};
    // The vector kernel writes one first byte for every code.
    int firstByte = -1;
    bool oneFirst = true;
#ifdef QM_AVX2_KERNELS
    std::optional<avx2::RowLookup> secondBytes;
#endif
};

// The byte loop for a rule that turns single bytes into two-byte codes. Widened
// bytes are everywhere in text with Latin words in it, too many to find one by one:
// each block's second bytes come from its lead bytes, and a block with widened
// bytes is spelled out whole: by shuffles at AVX2, otherwise byte by byte without a
// branch per byte.
template <typename Masks>
[[gnu::always_inline]] inline bool WidenLoop(std::string_view text, const Widening& rule,
                                             std::string& out) {
    const typename Masks::Set lead(LeadByteSet()), wanted(rule.wanted);
    const std::uint8_t* p = Bytes(text);
    const std::size_t n = text.size();
    out.clear();
    // A block's result is at most twice its size, and the kernel writes past it.
    std::uint8_t buffer[avx2::kStagedBytes + 3 * kBlockBytes];
    std::size_t used = 0;
    bool changed = false;
    TrailBits trail;
    for (std::size_t i = 0; i < n; i += kBlockBytes) {
        const std::size_t room = std::min(n - i, kBlockBytes);
        // The zeros after the text's last bytes are neither lead bytes nor widened.
        PaddedBlock padded;
        const std::uint8_t* block = ReadableBlock(p + i, n - i, padded);
        const std::uint64_t seconds = trail.Next(lead.Mask(block));
        const std::uint64_t hits = wanted.Mask(block) & ~seconds;
        if (hits == 0 && room == kBlockBytes) {
            std::memcpy(buffer + used, block, kBlockBytes);
            used += kBlockBytes;
        } else if (hits == 0) {
            std::memcpy(buffer + used, block, room);
            used += room;
        } else if (Masks::kAvx2 && room == kBlockBytes && rule.oneFirst) {
            changed = true;
#ifdef QM_AVX2_KERNELS
            if constexpr (Masks::kAvx2) {
                used = static_cast<std::size_t>(
                    avx2::WidenBlock(block, hits, static_cast<std::uint8_t>(rule.firstByte),
                                     *rule.secondBytes, buffer + used) -
                    buffer);
            }
#endif
        } else {
            changed = true;
            std::uint64_t rest = hits;
            for (std::size_t k = 0; k < room; ++k, rest >>= 1) {
                const auto wide = static_cast<unsigned>(rest & 1);
                // Looked up, not branched on: widened and kept bytes alternate too
                // often for a branch to be predicted.
                std::memcpy(buffer + used, rule.spelling[wide << 8 | block[k]].data(), 2);
                used += 1 + wide;
            }
        }
        avx2::AppendStaged(buffer, used, out, avx2::kStagedBytes);
    }
    avx2::AppendStaged(buffer, used, out);
    return changed;
}

#ifdef QM_AVX2_KERNELS
QM_AVX2 bool WidenSinglesAvx2(std::string_view text, const Widening& rule, std::string& out) {
    return WidenLoop<avx2::Avx2Masks>(text, rule, out);
}
#endif

bool WidenSingles(std::string_view text, const Widening& rule, std::string& out) {
#ifdef QM_AVX2_KERNELS
    if (ActiveVectorLevel() == VectorLevel::Avx2) return WidenSinglesAvx2(text, rule, out);
#endif
    return WidenLoop<Sse2Masks>(text, rule, out);
}

// A widening as ReplaceAll makes it: it looks no further than the first NUL.
bool WidenUpToNul(std::string_view text, const Widening& rule, std::string& out) {
    const std::size_t limit = std::min(text.find('\0'), text.size());
    if (!WidenSingles(text.substr(0, limit), rule, out)) return false;
    out.append(text.substr(limit));
    return true;
}

constexpr char kIdeographicComma[] = "\x81\x41";     // ideographic comma
constexpr char kFullWidthComma[] = "\x81\x43";       // full-width comma
constexpr char kIdeographicFullStop[] = "\x81\x42";  // ideographic full stop
constexpr char kFullWidthFullStop[] = "\x81\x44";    // full-width full stop
constexpr char kIdeographicBlank[] = "\x81\x40";     // full-width blank
constexpr char kFullWidthOpenParen[] = "\x81\x69";   // full-width left parenthesis
constexpr char kFullWidthCloseParen[] = "\x81\x6A";  // full-width right parenthesis

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
    const ByteSet firsts = ByteSet::Of(std::string{oldA[0], oldB[0]});
    StartFinder found = oldA.size() > 1 && oldB.size() > 1
                            ? StartFinder(searched, firsts, LeadByteSet(),
                                          ByteSet::Of(std::string{oldA[1], oldB[1]}))
                            : StartFinder(searched, firsts, LeadByteSet());
    PieceWriter writer(text, out);
    std::size_t copied = 0;
    bool replaced = false;
    for (std::size_t c = found.Next(0); c < limit; c = found.Next(c + 1)) {
        const std::string_view rest = searched.substr(c);
        const bool a = rest.starts_with(oldA), b = !a && rest.starts_with(oldB);
        if (!(a || b)) continue;
        replaced = true;
        writer.Copy(copied, c);
        writer.Put(a ? newA : newB);
        copied = c + (a ? oldA : oldB).size();
        c = copied - 1;
    }
    if (!replaced) return false;
    writer.Copy(copied, text.size());
    return true;
}

}  // namespace

bool ConvertDigits(std::string_view text, int mode, std::string& out) {
    static const Widening wide(kWideDigits);
    if (mode == 1) return NarrowPairs(text, kNarrowDigitRule, out);
    if (mode == 2) return WidenSingles(text, wide, out);
    return false;
}

bool ConvertLetters(std::string_view text, int mode, std::string& out) {
    static const Widening wide(kWideLetters);
    if (mode == 1) return NarrowPairs(text, kNarrowLetterRule, out);
    if (mode == 2) return WidenSingles(text, wide, out);
    return false;
}

bool ConvertCommas(std::string_view text, int mode, std::string& out) {
    if (mode == 1) return Replace(text, kFullWidthComma, kIdeographicComma, out);
    if (mode == 2) return Replace(text, kIdeographicComma, kFullWidthComma, out);
    return false;
}

bool ConvertFullStops(std::string_view text, int mode, std::string& out) {
    if (mode == 1) return Replace(text, kFullWidthFullStop, kIdeographicFullStop, out);
    if (mode == 2) return Replace(text, kIdeographicFullStop, kFullWidthFullStop, out);
    return false;
}

bool ConvertSymbols(std::string_view text, int mode, std::string& out) {
    static const Widening wide(kWideSymbols);
    if (mode == 1) return NarrowPairs(text, kNarrowSymbolRule, out);
    if (mode == 2) return WidenSingles(text, wide, out);
    return false;
}

bool ConvertBlanks(std::string_view text, int mode, std::string& out) {
    // Every blank of the text, one character each, becomes the full-width blank.
    static const Widening wide = [] {
        WideTable blank{};
        blank[' '] = 0x8140;
        return Widening(blank);
    }();
    if (mode == 1) return Replace(text, kIdeographicBlank, " ", out);
    if (mode == 2) return WidenUpToNul(text, wide, out);
    return false;
}

bool ConvertParentheses(std::string_view text, int mode, std::string& out) {
    if (mode == 1)
        return ReplaceEither(text, kFullWidthOpenParen, "(", kFullWidthCloseParen, ")", out);
    // Brackets are single characters that no replacement makes: one widening.
    static const Widening wide = [] {
        WideTable brackets{};
        brackets['('] = 0x8169;
        brackets[')'] = 0x816A;
        return Widening(brackets);
    }();
    if (mode == 2) return WidenUpToNul(text, wide, out);
    return false;
}

bool ConvertHiragana(std::string_view text, int mode, std::string& out) {
    if (mode == 1) return HalfWidthKana(text, KanaRowHiragana, out);
    if (mode == 2) return MapLocaleString(text, kLcmapKatakana, out);
    return false;
}

namespace {

// The steps that make two passes take a long text in pieces that end after a line
// feed, so that the second pass reads each piece's result while it is still in the
// cache, not all of it again from memory. A character begins after a line feed, in
// every pass alike, and no pass looks back over one. `piece` writes a piece's whole
// result and says whether it changed anything; with `upToNul`, the text ends at its
// first NUL, and a text that does is changed.
template <typename Piece>
bool InPieces(std::string_view text, bool upToNul, std::string& out, Piece piece) {
    constexpr std::size_t kPiece = 256 * 1024;
    out.clear();
    std::string part;
    bool changed = false;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t lineFeed = text.find('\n', at + kPiece);
        std::size_t end = lineFeed == std::string_view::npos ? text.size() : lineFeed + 1;
        const void* nul = upToNul ? std::memchr(text.data() + at, '\0', end - at) : nullptr;
        if (nul) end = static_cast<std::size_t>(static_cast<const char*>(nul) - text.data());
        changed = piece(text.substr(at, end - at), part) || changed;
        out += part;
        if (nul) return true;
        at = end;
    }
    return changed;
}

constexpr std::size_t kTwoPassesWhole = 512 * 1024;  // shorter texts go whole

// Katakana to hiragana: half-width kana are widened first, and the mapping sees the
// text up to its first NUL only.
bool KatakanaToHiragana(std::string_view text, std::string& out) {
    std::string wide;
    if (!FullWidthKana(text, wide)) return MapLocaleString(text, kLcmapHiragana, out);
    if (!MapLocaleString(wide, kLcmapHiragana, out)) out = std::move(wide);
    return true;
}

}  // namespace

bool ConvertKatakana(std::string_view text, int mode, std::string& out) {
    if (mode == 1) return HalfWidthKana(text, KanaRowKatakana, out);
    if (mode == 2) return FullWidthKana(text, out);
    if (mode == 3) {
        if (text.size() <= kTwoPassesWhole) return KatakanaToHiragana(text, out);
        return InPieces(text, true, out, [](std::string_view piece, std::string& part) {
            if (KatakanaToHiragana(piece, part)) return true;
            part.assign(piece);
            return false;
        });
    }
    return false;
}

namespace {

#ifdef QM_AVX2_KERNELS
const avx2::KanaWidening& KanaWideningTables() {
    static const avx2::KanaWidening tables = [] {
        std::array<std::uint8_t, 256> first{}, plain{}, voiced{}, semiVoiced{};
        std::array<bool, 256> letter{};
        for (unsigned b = kKanaFirst; b <= kKanaLast; ++b) {
            letter[b] = true;
            first[b] = static_cast<std::uint8_t>(kPlainKana[b - kKanaFirst] >> 8);
            plain[b] = static_cast<std::uint8_t>(kPlainKana[b - kKanaFirst]);
            voiced[b] = static_cast<std::uint8_t>(kVoicedKana[b - kKanaFirst]);
            semiVoiced[b] = static_cast<std::uint8_t>(kSemiVoicedKana[b - kKanaFirst]);
        }
        return avx2::KanaWidening{
            {first, letter}, {plain, letter}, {voiced, letter}, {semiVoiced, letter}};
    }();
    return tables;
}
#endif

// The half-width kana of the text where characters begin, a block at a time: every
// block's second bytes come from its lead bytes, since the trail bytes of most
// Japanese characters are bytes of the half-width kana's range too. A block of
// many letters is widened whole at AVX2; a letter at a block's end takes the mark
// after it, and the next block begins after the mark.
template <typename Masks>
[[gnu::always_inline]] inline bool FullWidthKanaLoop(std::string_view text, std::string& out) {
    static const ByteSet kana = [] {
        std::array<bool, 256> bytes{};
        for (unsigned b = kKanaFirst; b <= kKanaLast; ++b)
            bytes[b] = !LeadByteSet().Contains(static_cast<std::uint8_t>(b));
        return ByteSet(bytes);
    }();
    const typename Masks::Set lead(LeadByteSet()), letters(kana);
    const std::uint8_t* p = Bytes(text);
    const std::size_t n = text.size();
    PieceWriter writer(text, out);
    TrailBits trail;
    bool changed = false;
    std::size_t copied = 0;
    for (std::size_t i = 0; i < n;) {
        PaddedBlock padded;
        const std::uint8_t* block = ReadableBlock(p + i, n - i, padded);
        std::uint64_t found = letters.Mask(block) & ~trail.Next(lead.Mask(block));
        if (n - i < kBlockBytes) found &= (std::uint64_t{1} << (n - i)) - 1;
        std::size_t next = i + kBlockBytes;
        if (found == 0) {  // most blocks of most texts
            i = next;
            continue;
        }
        // The byte after the block goes with a letter at its end.
        if (found >> 63 && n > next && (p[next] == kVoicedMark || p[next] == kSemiVoicedMark))
            ++next;
#ifdef QM_AVX2_KERNELS
        if constexpr (Masks::kAvx2) {
            // A few letters go faster one by one.
            if (n - i > kBlockBytes && std::popcount(found) >= 4) {
                writer.Copy(copied, i);
                auto* w = reinterpret_cast<std::uint8_t*>(writer.Reserve(2 * kBlockBytes + 16));
                writer.Wrote(static_cast<std::size_t>(
                    avx2::WidenKanaBlock(block, found, KanaWideningTables(), w) - w));
                copied = next;
                changed = true;
                found = 0;
            }
        }
#endif
        for (; found != 0; found &= found - 1) {
            // A mark after a letter is no letter: it never comes up here.
            const std::size_t j = i + static_cast<std::size_t>(std::countr_zero(found));
            const std::uint8_t after = j + 1 < n ? p[j + 1] : 0;
            const bool voiced = after == kVoicedMark, semiVoiced = after == kSemiVoicedMark;
            const KanaTable& table = voiced       ? kVoicedKana
                                     : semiVoiced ? kSemiVoicedKana
                                                  : kPlainKana;
            const std::uint16_t code = table[p[j] - kKanaFirst];
            writer.Copy(copied, j);
            writer.Put(static_cast<char>(code >> 8), static_cast<char>(code), 2);
            copied = j + (voiced || semiVoiced ? 2 : 1);  // the mark goes with its letter
            changed = true;
        }
        i = next;
    }
    if (!changed) return false;
    writer.Copy(copied, n);
    return true;
}

#ifdef QM_AVX2_KERNELS
QM_AVX2 bool FullWidthKanaAvx2(std::string_view text, std::string& out) {
    return FullWidthKanaLoop<avx2::Avx2Masks>(text, out);
}
#endif

}  // namespace

bool FullWidthKana(std::string_view text, std::string& out) {
#ifdef QM_AVX2_KERNELS
    if (ActiveVectorLevel() == VectorLevel::Avx2) return FullWidthKanaAvx2(text, out);
#endif
    return FullWidthKanaLoop<Sse2Masks>(text, out);
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
template <typename Masks>
[[gnu::always_inline]] inline bool NarrowKanaPunctuationLoop(std::string& t) {
    static const ByteSet wideLead(MakeWideLead());
    static const ByteSet halfWidthKana = ByteSet::Of(0xA1, 0xDF);
    static const ByteSet first = ByteSet::Of(0x81, 0x81);
    static const ByteSet second = [] {
        std::array<bool, 256> seconds{};
        for (unsigned b = 0; b < 256; ++b)
            seconds[b] = kNarrowKanaPunctuation[b] != 0;
        return ByteSet(seconds);
    }();
    const typename Masks::Set wideLeads(wideLead), kanas(halfWidthKana), firsts(first),
        seconds(second);
    const std::size_t n = t.size();
    auto* p = reinterpret_cast<std::uint8_t*>(t.data());
    std::size_t written = 0, copied = 0;
    TrailBits trail;
    std::uint64_t kanaBefore = 0;      // the byte before the block is half-width kana
    std::uint64_t replacedBefore = 0;  // marks replaced in the last two bytes before it
    for (std::size_t at = 0; at < n; at += kBlockBytes) {
        // All of a block is read before anything in it is written.
        const std::size_t room = n - at;
        PaddedBlock padded;
        const std::uint8_t* block = ReadableBlock(p + at, room, padded);
        const std::uint64_t starts = ~trail.Next(wideLeads.Mask(block));
        const std::uint64_t kana = kanas.Mask(block) & starts;
        const std::uint64_t afterKana = kana << 1 | kanaBefore;
        kanaBefore = kana >> 63;
        // Most first bytes of marks follow no half-width kana: their second bytes are
        // not looked at.
        std::uint64_t found = firsts.Mask(block) & starts;
        if ((found & (afterKana | replacedBefore)) == 0) found = 0;
        if (found != 0) found &= seconds.Mask(block + 1);
        if (room <= kBlockBytes) found &= (std::uint64_t{1} << (room - 1)) - 1;  // a pair fits
        // A mark is replaced right after half-width kana, and right after a mark
        // replaced for the same reason.
        std::uint64_t replaced = found & (afterKana | replacedBefore);
        for (std::uint64_t chained = replaced; chained != 0;) {
            chained = chained << 2 & found & ~replaced;
            replaced |= chained;
        }
        replacedBefore = replaced >> 62;
        for (; replaced != 0; replaced &= replaced - 1) {
            const std::size_t j = at + static_cast<std::size_t>(std::countr_zero(replaced));
            const std::uint8_t to = kNarrowKanaPunctuation[p[j + 1]];
            std::memmove(p + written, p + copied, j - copied);
            written += j - copied;
            p[written++] = to;
            copied = j + 2;
        }
    }
    if (copied == 0) return false;
    std::memmove(p + written, p + copied, n - copied);
    t.resize(written + n - copied);
    return true;
}

#ifdef QM_AVX2_KERNELS
QM_AVX2 bool NarrowKanaPunctuationAvx2(std::string& t) {
    return NarrowKanaPunctuationLoop<avx2::Avx2Masks>(t);
}
#endif

bool NarrowKanaPunctuation(std::string& t) {
#ifdef QM_AVX2_KERNELS
    if (ActiveVectorLevel() == VectorLevel::Avx2) return NarrowKanaPunctuationAvx2(t);
#endif
    return NarrowKanaPunctuationLoop<Sse2Masks>(t);
}

bool HalfWidthKanaPiece(std::string_view text, int selector, std::string& out) {
    const bool converted = KanaToHalfWidth(text, selector, out);
    if (!converted) out.assign(text);
    return NarrowKanaPunctuation(out) || converted;
}

}  // namespace

// The kana walk, then the punctuation pass over what it wrote.
bool HalfWidthKana(std::string_view text, int selector, std::string& out) {
    if (text.size() <= kTwoPassesWhole) return HalfWidthKanaPiece(text, selector, out);
    return InPieces(text, false, out, [selector](std::string_view piece, std::string& part) {
        return HalfWidthKanaPiece(piece, selector, part);
    });
}

}  // namespace qm
