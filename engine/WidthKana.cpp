#include "engine/WidthKana.h"

#include <array>
#include <cstdint>
#include <cstring>

#include "engine/Sjis.h"
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
    0x8142, 0x8175, 0x8176, 0x8141, 0x8145,  // punctuation
    0x8392,                                  // wo
    0x8340, 0x8342, 0x8344, 0x8346, 0x8348,  // small a i u e o
    0x8383, 0x8385, 0x8387, 0x8362,          // small ya yu yo tsu
    0x815B,                                  // prolonged sound mark
    0x8341, 0x8343, 0x8345, 0x8347, 0x8349,  // a i u e o
    0x834A, 0x834C, 0x834E, 0x8350, 0x8352,  // ka ki ku ke ko
    0x8354, 0x8356, 0x8358, 0x835A, 0x835C,  // sa shi su se so
    0x835E, 0x8360, 0x8363, 0x8365, 0x8367,  // ta chi tsu te to
    0x8369, 0x836A, 0x836B, 0x836C, 0x836D,  // na ni nu ne no
    0x836E, 0x8371, 0x8374, 0x8377, 0x837A,  // ha hi fu he ho
    0x837D, 0x837E, 0x8380, 0x8381, 0x8382,  // ma mi mu me mo
    0x8384, 0x8386, 0x8388,                  // ya yu yo
    0x8389, 0x838A, 0x838B, 0x838C, 0x838D,  // ra ri ru re ro
    0x838F, 0x8393,                          // wa n
};

// In the code page a voiced katakana directly follows its plain letter and a
// semi-voiced one follows the voiced; vu is the exception.
constexpr KanaTable MakeMarkedKana(bool semiVoiced) {
    KanaTable t = kPlainKana;
    const auto shift = [&](unsigned first, unsigned last, unsigned by) {
        for (unsigned b = first; b <= last; ++b)
            t[b - kKanaFirst] = static_cast<std::uint16_t>(t[b - kKanaFirst] + by);
    };
    if (semiVoiced) {
        shift(0xCA, 0xCE, 2);  // ha .. ho
    } else {
        t[0xB3 - kKanaFirst] = 0x8394;  // u
        shift(0xB6, 0xC4, 1);           // ka .. to
        shift(0xCA, 0xCE, 1);           // ha .. ho
    }
    return t;
}
constexpr KanaTable kVoicedKana = MakeMarkedKana(false);
constexpr KanaTable kSemiVoicedKana = MakeMarkedKana(true);

// Full-width punctuation that follows half-width kana, by second byte (first 0x81).
constexpr NarrowTable MakeNarrowKanaPunctuation() {
    NarrowTable t{};
    t[0x41] = 0xA4;  // ideographic comma
    t[0x42] = 0xA1;  // ideographic full stop
    t[0x43] = ',';
    t[0x44] = '.';
    t[0x45] = 0xA5;  // middle dot
    t[0x5B] = 0xB0;  // prolonged sound mark
    return t;
}
constexpr NarrowTable kNarrowKanaPunctuation = MakeNarrowKanaPunctuation();

const std::uint8_t* Bytes(std::string_view text) {
    return reinterpret_cast<const std::uint8_t*>(text.data());
}

// The byte loop for a rule that turns some two-byte characters with one given first
// byte into single bytes. `trail` tells whether the byte at hand is the second byte
// of the character before it: that is the walk of the byte loop without its
// branches, and it lets the text be copied in runs between conversions.
std::string NarrowPairs(std::string_view text, std::uint8_t first, const NarrowTable& rule) {
    const LeadByteTable& lead = Text().LeadBytes();
    const std::size_t n = text.size();
    const std::uint8_t* p = Bytes(text);
    std::string out(n, '\0');
    char* o = out.data();
    std::size_t copied = 0;
    bool trail = false;
    // A lead byte at the very end has no second byte and stays as it is.
    for (std::size_t i = 0; i + 1 < n; ++i) {
        const std::uint8_t b = p[i];
        const bool opens = lead[b] & !trail;
        trail = opens;
        const std::uint8_t to = rule[p[i + 1]];
        if (opens & (b == first) & (to != 0)) {
            std::memcpy(o, p + copied, i - copied);
            o += i - copied;
            *o++ = static_cast<char>(to);
            copied = i + 2;
        }
    }
    std::memcpy(o, p + copied, n - copied);
    o += n - copied;
    out.resize(static_cast<std::size_t>(o - out.data()));
    return out;
}

// The byte loop for a rule that turns some single bytes into two-byte codes. Every
// byte is written with the second byte of its code behind it, and the output moves
// on by one or two, so that mixed text costs no mispredicted branches.
std::string WidenSingles(std::string_view text, const WideTable& rule) {
    const LeadByteTable& lead = Text().LeadBytes();
    const std::size_t n = text.size();
    const std::uint8_t* p = Bytes(text);
    std::string out(2 * n, '\0');
    auto* o = reinterpret_cast<std::uint8_t*>(out.data());
    bool trail = false;
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint8_t b = p[i];
        const bool single = !trail & !lead[b];
        trail = !trail & lead[b];
        const std::uint16_t code = rule[b];
        const bool widen = single & (code != 0);
        o[0] = widen ? static_cast<std::uint8_t>(code >> 8) : b;
        o[1] = static_cast<std::uint8_t>(code);
        o += 1 + widen;
    }
    out.resize(static_cast<std::size_t>(reinterpret_cast<char*>(o) - out.data()));
    return out;
}

constexpr char kIdeographicComma[] = "\x81\x41";     // 、
constexpr char kFullWidthComma[] = "\x81\x43";       // ，
constexpr char kIdeographicFullStop[] = "\x81\x42";  // 。
constexpr char kFullWidthFullStop[] = "\x81\x44";    // ．
constexpr char kIdeographicBlank[] = "\x81\x40";     // full-width blank
constexpr char kFullWidthOpenParen[] = "\x81\x69";   // （
constexpr char kFullWidthCloseParen[] = "\x81\x6A";  // ）

std::string Replace(std::string_view text, std::string_view old, std::string_view replacement) {
    return ReplaceAll(text, old, replacement, false);
}

}  // namespace

std::string ConvertDigits(std::string_view text, int mode) {
    if (mode == 1) return NarrowPairs(text, 0x82, kNarrowDigits);
    if (mode == 2) return WidenSingles(text, kWideDigits);
    return std::string(text);
}

std::string ConvertLetters(std::string_view text, int mode) {
    if (mode == 1) return NarrowPairs(text, 0x82, kNarrowLetters);
    if (mode == 2) return WidenSingles(text, kWideLetters);
    return std::string(text);
}

std::string ConvertCommas(std::string_view text, int mode) {
    if (mode == 1) return Replace(text, kFullWidthComma, kIdeographicComma);
    if (mode == 2) return Replace(text, kIdeographicComma, kFullWidthComma);
    return std::string(text);
}

std::string ConvertFullStops(std::string_view text, int mode) {
    if (mode == 1) return Replace(text, kFullWidthFullStop, kIdeographicFullStop);
    if (mode == 2) return Replace(text, kIdeographicFullStop, kFullWidthFullStop);
    return std::string(text);
}

std::string ConvertSymbols(std::string_view text, int mode) {
    if (mode == 1) return NarrowPairs(text, 0x81, kNarrowSymbols);
    if (mode == 2) return WidenSingles(text, kWideSymbols);
    return std::string(text);
}

std::string ConvertBlanks(std::string_view text, int mode) {
    if (mode == 1) return Replace(text, kIdeographicBlank, " ");
    if (mode == 2) return Replace(text, " ", kIdeographicBlank);
    return std::string(text);
}

std::string ConvertParentheses(std::string_view text, int mode) {
    if (mode == 1)
        return Replace(Replace(text, kFullWidthOpenParen, "("), kFullWidthCloseParen, ")");
    if (mode == 2)
        return Replace(Replace(text, "(", kFullWidthOpenParen), ")", kFullWidthCloseParen);
    return std::string(text);
}

std::string ConvertHiragana(std::string_view text, int mode) {
    if (mode == 1) return HalfWidthKana(text, KanaRowHiragana);
    if (mode == 2) return MapLocaleString(text, kLcmapKatakana);
    return std::string(text);
}

std::string ConvertKatakana(std::string_view text, int mode) {
    if (mode == 1) return HalfWidthKana(text, KanaRowKatakana);
    if (mode == 2) return FullWidthKana(text);
    if (mode == 3) return MapLocaleString(FullWidthKana(text), kLcmapHiragana);
    return std::string(text);
}

std::string FullWidthKana(std::string_view text) {
    const LeadByteTable& lead = Text().LeadBytes();
    const std::size_t n = text.size();
    const std::uint8_t* p = Bytes(text);
    std::string out(2 * n, '\0');
    auto* o = reinterpret_cast<std::uint8_t*>(out.data());
    bool trail = false;
    std::size_t i = 0;
    while (i < n) {
        const std::uint8_t b = p[i];
        const bool single = !trail & !lead[b];
        if (single & (b >= kKanaFirst) & (b <= kKanaLast)) {
            const std::uint8_t next = i + 1 < n ? p[i + 1] : 0;
            const bool voiced = next == kVoicedMark, semiVoiced = next == kSemiVoicedMark;
            const KanaTable& table = voiced       ? kVoicedKana
                                     : semiVoiced ? kSemiVoicedKana
                                                  : kPlainKana;
            const std::uint16_t code = table[b - kKanaFirst];
            o[0] = static_cast<std::uint8_t>(code >> 8);
            o[1] = static_cast<std::uint8_t>(code);
            o += 2;
            i += voiced || semiVoiced ? 2 : 1;  // the mark goes with its letter
            continue;
        }
        trail = !trail & lead[b];
        *o++ = b;
        ++i;
    }
    out.resize(static_cast<std::size_t>(reinterpret_cast<char*>(o) - out.data()));
    return out;
}

std::string HalfWidthKana(std::string_view text, int selector) {
    const std::string t = KanaToHalfWidth(text, selector);
    const std::size_t n = t.size();
    const std::uint8_t* p = Bytes(t);
    std::string out(n, '\0');
    auto* o = reinterpret_cast<std::uint8_t*>(out.data());
    // The punctuation pass decides where characters begin by the wide lead range of
    // LeadByteAt, not by the code page, and so must stay with its walk.
    LeadByteWalker walker(t);
    bool afterKana = false;
    std::size_t i = 0;
    while (i < n) {
        if (walker.At(static_cast<std::ptrdiff_t>(i + 1))) {
            if (afterKana && i + 1 < n && p[i] == 0x81) {
                if (const std::uint8_t to = kNarrowKanaPunctuation[p[i + 1]]) {
                    *o++ = to;
                    i += 2;
                    continue;
                }
            }
            afterKana = false;
            *o++ = p[i];
            if (i + 1 < n) *o++ = p[i + 1];
            i += 2;
        } else {
            const std::uint8_t b = p[i];
            *o++ = b;
            afterKana = b >= 0xA1 && b <= 0xDF;
            ++i;
        }
    }
    out.resize(static_cast<std::size_t>(reinterpret_cast<char*>(o) - out.data()));
    return out;
}

}  // namespace qm
