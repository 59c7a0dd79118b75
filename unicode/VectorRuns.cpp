#include "unicode/VectorRuns.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

#include <immintrin.h>

// Everything that runs AVX2 is marked for it, function by function, and runs only
// after the processor was asked: the rest of the program stays plain x86-64.
#define QM_AVX2 __attribute__((target("avx2,bmi,popcnt")))

namespace qm::runs {

namespace {

constexpr std::ptrdiff_t kBlock = 64;
// A block reads a few bytes past its end (the three-byte sequences of its last
// bytes), and writes up to kSpareBytes past what it gives.
constexpr std::ptrdiff_t kReach = kBlock + kSpareBytes;
constexpr std::uint64_t kEven = 0x5555555555555555u;
// How far ahead of a walk its input is asked for: about 30 blocks. Half a kilobyte
// ahead, the walk over a long text took half as long again as over one in cache.
constexpr int kAhead = 2048;

std::uint64_t Below(unsigned n) {
    return n >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << n) - 1;
}

// For each mask of eight bytes, the positions of its bytes in order.
constexpr auto kPack = [] {
    std::array<std::array<std::uint8_t, 8>, 256> table{};
    for (unsigned m = 0; m < 256; ++m) {
        unsigned n = 0;
        for (unsigned k = 0; k < 8; ++k) {
            if (m >> k & 1) table[m][n++] = static_cast<std::uint8_t>(k);
        }
    }
    return table;
}();

// Pieces of code page 932 as UTF-8, by a key that tells for each byte whether it
// is a trail byte (dropped) and whether it takes three bytes of UTF-8 (an entry):
// for each byte of the result, the byte of the piece it takes (0..7), or
// 0x80 + 4 x k + i for byte i of the k-th entry; the number of bytes of the
// result; the entries.
template <unsigned Keys>
struct Merges {
    alignas(16) std::uint8_t from[Keys][16];
    std::uint8_t length[Keys];
    std::uint8_t entries[Keys];
};
template <unsigned Keys, unsigned Bytes, typename Trail, typename Entry>
constexpr Merges<Keys> MakeMerges(Trail trail, Entry entry) {
    Merges<Keys> table{};
    for (unsigned key = 0; key < Keys; ++key) {
        unsigned n = 0, entries = 0;
        for (unsigned k = 0; k < Bytes; ++k) {
            if (trail(key, k)) continue;
            if (entry(key, k)) {
                for (unsigned i = 0; i < 3; ++i)
                    table.from[key][n++] = static_cast<std::uint8_t>(0x80 + 4 * entries + i);
                ++entries;
            } else {
                table.from[key][n++] = static_cast<std::uint8_t>(k);
            }
        }
        table.length[key] = static_cast<std::uint8_t>(n);
        table.entries[key] = static_cast<std::uint8_t>(entries);
    }
    return table;
}
// Eight bytes, by whether the byte before them is a lead byte (bit 0) and which of
// them are (bits 1..8).
constexpr auto kMerge =
    MakeMerges<512, 8>([](unsigned key, unsigned k) { return key >> k & 1; },
                       [](unsigned key, unsigned k) { return key >> (k + 1) & 1; });
// Four bytes with half-width katakana, by which of them take an entry (bits 0..3:
// a lead byte or a byte of katakana) and which are a trail byte (bits 4..7).
constexpr auto kMerge4 =
    MakeMerges<256, 4>([](unsigned key, unsigned k) { return key >> (k + 4) & 1; },
                       [](unsigned key, unsigned k) { return key >> k & 1; });

QM_AVX2 __m256i Load(const unsigned char* p) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

// A block of ASCII alone (a fifth of the blocks of the manual pages) as it is.
QM_AVX2 void Store(char*& w, __m256i low, __m256i high) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(w), low);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(w + 32), high);
    w += 64;
}

// Bit k for each byte k of the block whose byte is set in the two halves.
QM_AVX2 std::uint64_t Bits(__m256i low, __m256i high) {
    return static_cast<unsigned>(_mm256_movemask_epi8(low)) |
           static_cast<std::uint64_t>(static_cast<unsigned>(_mm256_movemask_epi8(high))) << 32;
}

QM_AVX2 __m256i Is(__m256i v, char mask, char value) {
    return _mm256_cmpeq_epi8(_mm256_and_si256(v, _mm256_set1_epi8(mask)), _mm256_set1_epi8(value));
}

// 0x81..0x9F and 0xE0..0xFC, the bytes that open a two-byte character. Flipping
// bit 5 puts the two ranges end to end, 0xA1..0xDC; less 0x21 they are the signed
// bytes up to -69.
QM_AVX2 __m256i IsLeadRange(__m256i v) {
    const __m256i s =
        _mm256_sub_epi8(_mm256_xor_si256(v, _mm256_set1_epi8(0x20)), _mm256_set1_epi8(0x21));
    return _mm256_cmpgt_epi8(_mm256_set1_epi8(-68), s);
}

// 0xA1..0xDF, half-width katakana: less 0x21 they are the signed bytes up to -66.
QM_AVX2 __m256i IsKanaRange(__m256i v) {
    return _mm256_cmpgt_epi8(_mm256_set1_epi8(-65), _mm256_sub_epi8(v, _mm256_set1_epi8(0x21)));
}

QM_AVX2 __m256i Widen(const unsigned char* p) {
    return _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
}

// For each byte k of a block, the character of a three-byte sequence that starts
// there: (b0 & 0x0F) << 12 | (b1 & 0x3F) << 6 | (b2 & 0x3F).
QM_AVX2 void Characters(const unsigned char* p, std::uint16_t* c) {
    const __m256i six = _mm256_set1_epi16(0x3F);
    for (unsigned k = 0; k < 64; k += 16) {
        const __m256i first = _mm256_slli_epi16(Widen(p + k), 12);
        const __m256i second = _mm256_slli_epi16(_mm256_and_si256(Widen(p + k + 1), six), 6);
        const __m256i third = _mm256_and_si256(Widen(p + k + 2), six);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(c + k),
                            _mm256_or_si256(_mm256_or_si256(first, second), third));
    }
}

// The fallback's entry, out of the way of the loops that hardly ever need it.
__attribute__((noinline, cold)) std::uint32_t Ask(Fallback other, std::uint32_t key) {
    return other.entry(other.context, key);
}

// Calls piece(k) for the pieces of eight bytes that hold the first n bytes of a
// block: all eight, unrolled, unless the walk stops inside the block.
template <typename Piece>
QM_AVX2 void EachPiece(unsigned n, Piece piece) {
    if (n > 56) {
        for (unsigned k = 0; k < 64; k += 8)
            piece(k);
    } else {
        for (unsigned k = 0; k < n; k += 8)
            piece(k);
    }
}

// Writes a piece's bytes at o with the UTF-8 of its entries from `next` in between,
// by its key in `table`, and moves both on.
template <unsigned Keys>
QM_AVX2 void Merge(const Merges<Keys>& table, unsigned key, __m128i bytes, char*& o,
                   const std::uint32_t*& next) {
    const __m128i from = _mm_load_si128(reinterpret_cast<const __m128i*>(table.from[key]));
    const __m128i three = _mm_loadu_si128(reinterpret_cast<const __m128i*>(next));
    // Indices with the high bit set give 0; the other source has it flipped.
    const __m128i merged =
        _mm_or_si128(_mm_shuffle_epi8(bytes, from),
                     _mm_shuffle_epi8(three, _mm_xor_si128(from, _mm_set1_epi8('\x80'))));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(o), merged);
    o += table.length[key];
    next += table.entries[key];
}

// Where a block stops being convertible: its first n bytes convert, `first` marks
// the characters that open there, and the walk goes on after them only when whole.
// To UTF-8 `kana` marks the bytes of half-width katakana, one character each (of
// the whole block: past n too).
struct Cut {
    unsigned n;
    std::uint64_t first;
    bool whole;
    std::uint64_t kana = 0;
};

// Where a block of UTF-8 stops being convertible to code page 932, from the bytes
// that are ASCII, that open a three-byte sequence and that go on one.
inline Cut CutToCp932(std::uint64_t ascii, std::uint64_t first, std::uint64_t more) {
    // A character that runs past the block goes to the next one.
    const std::uint64_t past = first & (std::uint64_t{3} << 62);
    Cut c{past ? static_cast<unsigned>(std::countr_zero(past)) : 64, first, true};
    const std::uint64_t expected = first << 1 | first << 2;
    const std::uint64_t wrong = (more ^ expected) | ~(ascii | first | more);
    if (wrong != 0) {
        // The character that holds the first byte out of place starts there, or
        // at the first byte of a sequence just before.
        const auto b = static_cast<unsigned>(std::countr_zero(wrong));
        const unsigned start = !(expected >> b & 1) ? b : (first >> (b - 1) & 1) ? b - 1 : b - 2;
        if (start < c.n) {
            c.n = start;
            c.whole = false;
        }
    }
    return c;
}

// Where a block of code page 932 stops being convertible to UTF-8, from the bytes
// that stand alone (ASCII) and that may open a two-byte character (`range`).
inline Cut CutToUtf8(std::uint64_t ascii, std::uint64_t range) {
    // In a run of bytes that may open a character, every other one does, from the
    // run's first: the runs that start on an even byte are found by adding their
    // starts, which carries through each of them.
    const std::uint64_t starts = range & ~(range << 1);
    const std::uint64_t even = range & ~(range + (starts & kEven));
    const std::uint64_t first = (even & kEven) | (range & ~even & ~kEven);
    const unsigned n = first >> 63 ? 63 : 64;
    // Bytes that stand alone must be ASCII.
    const std::uint64_t wrong = ~(ascii | first | first << 1) & Below(n);
    if (wrong == 0) return Cut{n, first, true};
    return Cut{static_cast<unsigned>(std::countr_zero(wrong)), first, false};
}

// A cut that stopped at a byte that stands alone again, with half-width katakana
// (`kanaRange`, 0xA1..0xDF, but for trail bytes) taken as well.
inline Cut CutWithKana(const Cut& c, std::uint64_t ascii, std::uint64_t range,
                       std::uint64_t kanaRange) {
    const std::uint64_t kana = kanaRange & ~(c.first << 1);
    if (kana == 0) return c;
    Cut k = CutToUtf8(ascii | kana, range);
    k.kana = kana;
    return k;
}

// Each Japanese character of a block is one table look-up; the block is then
// written in pieces of eight bytes by byte shuffles, with no branch per character
// or per change between ASCII and Japanese. To code page 932 the code goes over
// the last two bytes of its sequence in a copy of the block and the shuffles drop
// the first; to UTF-8 the shuffles take the ASCII from the block and three bytes
// for each lead byte from the characters looked up. The first n bytes of the
// block are taken, `first` marks where their characters start; returns the number
// of bytes taken: n, or the start of the first character without a code, where
// the pieces stop.
// To code page 932, with the two bytes of each character by its code.
struct ToCp932 {
    const std::uint16_t* pairBytes;
    Fallback other;

    QM_AVX2 Cut At(__m256i low, __m256i high, std::uint64_t ascii) const {
        return CutToCp932(ascii, Bits(Is(low, '\xF0', '\xE0'), Is(high, '\xF0', '\xE0')),
                          Bits(Is(low, '\xC0', '\x80'), Is(high, '\xC0', '\x80')));
    }

    QM_AVX2 unsigned Block(const unsigned char* p, const Cut& c, char*& w) const {
        unsigned n = c.n;
        std::uint64_t first = c.first;
        // A copy of the block with each code over the last two bytes of its sequence.
        alignas(32) unsigned char block[64 + 3];
        _mm256_store_si256(reinterpret_cast<__m256i*>(block), Load(p));
        _mm256_store_si256(reinterpret_cast<__m256i*>(block + 32), Load(p + 32));
        // A block holds at most 21 whole characters. Looking up that many every time
        // costs less than the mispredicted end of a loop over the characters there
        // are: the spare turns look up a hiragana of their own at index 64 and write
        // past the block's bytes. Unrolled, the turns drop the loop's own counter and
        // branch: GCC left them in a loop, which ran a sixth more instructions.
        std::uint16_t characters[64 + 1];
        Characters(p, characters);
        characters[64] = 0x3042;
        std::uint64_t at = first, lacking = 0;
#pragma GCC unroll 21
        for (unsigned i = 0; i < 21; ++i) {
            const std::uint64_t bit = at & (0 - at);
            const auto k = static_cast<unsigned>(std::countr_zero(at));
            at &= at - 1;
            const auto two = static_cast<std::uint16_t>(pairBytes[characters[k]]);
            // No lead byte is 0: a code the table lacks, or one of one byte.
            lacking |= (two & 0xFF) == 0 ? bit : 0;
            std::memcpy(block + k + 1, &two, 2);
        }
        // In order, the characters the table lacks, as they may be lent stand-ins,
        // and those of one byte (half-width katakana), which drop the byte before it.
        std::uint64_t dropped = 0;
        for (; lacking != 0; lacking &= lacking - 1) {
            const auto k = static_cast<unsigned>(std::countr_zero(lacking));
            auto two = pairBytes[characters[k]];
            if (two == 0) two = static_cast<std::uint16_t>(Ask(other, characters[k]));
            if (two == 0) {
                n = k;
                first &= Below(k);
                break;
            }
            std::memcpy(block + k + 1, &two, 2);
            dropped |= (two & 0xFF) == 0 ? std::uint64_t{2} << k : 0;
        }
        const std::uint64_t keep = Below(n) & ~first & ~dropped;
        const auto piece = [&block, keep, &w](unsigned k) QM_AVX2 {
            const auto m = static_cast<std::uint8_t>(keep >> k);
            const __m128i bytes = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(block + k));
            const __m128i order =
                _mm_loadl_epi64(reinterpret_cast<const __m128i*>(kPack[m].data()));
            _mm_storel_epi64(reinterpret_cast<__m128i*>(w), _mm_shuffle_epi8(bytes, order));
            w += std::popcount(m);
        };
        EachPiece(n, piece);
        return n;
    }
};

// To UTF-8: the UTF-8 of the block's characters is looked up first, into `utf8`,
// and shuffled in with the ASCII between them.
struct ToUtf8 {
    const std::uint32_t* pairUtf8;
    const std::uint32_t* singleUtf8;

    QM_AVX2 Cut At(__m256i low, __m256i high, std::uint64_t ascii) const {
        const std::uint64_t range = Bits(IsLeadRange(low), IsLeadRange(high));
        const Cut c = CutToUtf8(ascii, range);
        if (c.whole) return c;
        return CutWithKana(c, ascii, range, Bits(IsKanaRange(low), IsKanaRange(high)));
    }

    // The block stops before the first entry that is no three bytes of UTF-8: a
    // character of two bytes goes on in the plain loop, a code without one stops
    // there too. Returns the entries kept.
    __attribute__((noinline)) static unsigned Lacking(unsigned& n, std::uint64_t entries,
                                                      const std::uint32_t* utf8) {
        unsigned i = 0;
        for (std::uint64_t at = entries; at != 0; at &= at - 1, ++i) {
            if ((utf8[i] & kThreeBytes) == 0) {
                n = static_cast<unsigned>(std::countr_zero(at));
                return i;
            }
        }
        return i;
    }

    QM_AVX2 unsigned Block(const unsigned char* p, Cut c, char*& w) const {
        if (c.kana != 0) return KanaBlock(p, c, w);
        std::uint32_t utf8[36];
        unsigned count = 0;
        // One AND a character finds whether any entry is no three bytes of UTF-8,
        // where a test and branch for each cost a tenth of the walk.
        std::uint32_t opened = kThreeBytes;
        if (c.first == kEven) {
            // 32 two-byte characters (Japanese prose) are written as they are looked
            // up, with no mask to walk and no pieces: there the walk had taken half
            // as long again as the plain loop. Only when an entry is no three bytes
            // of UTF-8 do the pieces write the block again.
#pragma GCC unroll 32
            for (unsigned i = 0; i < 32; ++i) {
                std::uint16_t code;
                std::memcpy(&code, p + 2 * i, 2);
                const std::uint32_t three = pairUtf8[code];
                opened &= three;
                utf8[i] = three;
                std::memcpy(w + 3 * i, &three, 4);
            }
            if (opened != 0) {
                w += 96;
                return 64;
            }
        } else {
            for (std::uint64_t at = c.first; at != 0; at &= at - 1) {
                const auto k = static_cast<unsigned>(std::countr_zero(at));
                std::uint16_t code;
                std::memcpy(&code, p + k, 2);
                const std::uint32_t three = pairUtf8[code];
                opened &= three;
                utf8[count++] = three;
            }
        }
        unsigned n = c.n;
        std::uint64_t first = c.first;
        if (opened == 0) [[unlikely]] {
            count = Lacking(n, first, utf8);
            first &= Below(n);
        }
        // The last piece's window reads up to three entries past the block's own.
        _mm_storeu_si128(reinterpret_cast<__m128i*>(utf8 + count), _mm_setzero_si128());
        // Each piece by its lead bytes and the byte before it (no lead byte is last).
        const std::uint64_t keys = first << 1;
        char* o = w;
        const std::uint32_t* next = utf8;
        const auto piece = [&](unsigned k) QM_AVX2 {
            Merge(kMerge, static_cast<unsigned>(keys >> k & 0x1FF),
                  _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p + k)), o, next);
        };
        EachPiece(n, piece);
        // Every lead byte gives three bytes for two: n + 1 for each.
        w += n + static_cast<unsigned>(std::popcount(first));
        return n;
    }

    // A block with half-width katakana, in pieces of four bytes: a byte of katakana
    // gives three for one, and its entry is found by the byte alone. When each of
    // them stopped the walk, text of them (the filter's katakana to half-width)
    // went back more slowly than with the plain loop.
    QM_AVX2 __attribute__((noinline)) unsigned KanaBlock(const unsigned char* p, Cut c,
                                                         char*& w) const {
        std::uint32_t utf8[64 + 4];
        unsigned count = 0;
        std::uint32_t opened = kThreeBytes;
        const std::uint64_t entries = (c.first | c.kana) & Below(c.n);
        for (std::uint64_t at = entries; at != 0; at &= at - 1) {
            const auto k = static_cast<unsigned>(std::countr_zero(at));
            std::uint16_t code;
            std::memcpy(&code, p + k, 2);
            // A lead byte has no entry of its own, nor a code that opens with a byte of
            // katakana: one of the two is 0.
            const std::uint32_t three = pairUtf8[code] | singleUtf8[p[k]];
            opened &= three;
            utf8[count++] = three;
        }
        unsigned n = c.n;
        if (opened == 0) [[unlikely]]
            count = Lacking(n, entries, utf8);
        const std::uint64_t first = c.first & Below(n), kana = c.kana & Below(n);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(utf8 + count), _mm_setzero_si128());
        const std::uint64_t keys = first | kana, trails = first << 1;
        char* o = w;
        const std::uint32_t* next = utf8;
        for (unsigned k = 0; k < n; k += 4) {
            const auto key = static_cast<unsigned>((keys >> k & 0xF) | (trails >> k & 0xF) << 4);
            std::uint32_t four;
            std::memcpy(&four, p + k, 4);
            Merge(kMerge4, key, _mm_cvtsi32_si128(static_cast<int>(four)), o, next);
        }
        // A lead byte gives three bytes for two, a byte of katakana three for one.
        w += n + static_cast<unsigned>(std::popcount(first) + 2 * std::popcount(kana));
        return n;
    }
};

// The walk either way: a block of ASCII alone is copied as it is; any other is cut
// where the way's At finds a byte out of place, and its Block converts what comes
// before.
template <typename Way>
QM_AVX2 __attribute__((flatten)) const unsigned char* Walk(const unsigned char* p,
                                                           const unsigned char* limit, char*& out,
                                                           Way way) {
    char* w = out;  // in a register: the bytes written through it could be its own
    while (limit - p >= kReach) {
        // The block's address hangs on the blocks before it, which leaves the
        // processor's own look-ahead behind: asking for the text ahead took a
        // tenth off the walk to code page 932 on 80 MB.
        _mm_prefetch(reinterpret_cast<const char*>(p) + kAhead, _MM_HINT_T0);
        const __m256i low = Load(p), high = Load(p + 32);
        const std::uint64_t ascii = ~Bits(low, high);
        if (ascii == ~std::uint64_t{0}) {
            Store(w, low, high);
            p += 64;
            continue;
        }
        Cut c = way.At(low, high, ascii);
        c.first &= Below(c.n);
        const unsigned taken = way.Block(p, c, w);
        p += taken;
        if (!c.whole || taken < c.n) break;
    }
    out = w;
    return p;
}

// Both ways on processors with AVX-512 and its byte permutations and compression
// (VBMI, VBMI2), where a block has no per-character loop: its characters are
// compressed side by side, one gather looks up all their codes or UTF-8, and
// expansions and compressions put the result in place with the ASCII between.
// GCC 12's AVX-512 headers start many results from a deliberately undefined
// vector, which its own warning then takes for a fault.
#if !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#pragma GCC diagnostic ignored "-Wuninitialized"
#endif
#define QM_AVX512 \
    __attribute__((target("avx512f,avx512bw,avx512vl,avx512vbmi,avx512vbmi2,bmi,bmi2,popcnt")))

// A vector's lanes: Times x i + Plus.
template <typename Lane, unsigned Times, unsigned Plus>
constexpr auto kLanes = [] {
    std::array<Lane, 64 / sizeof(Lane)> lanes{};
    for (unsigned i = 0; i < lanes.size(); ++i)
        lanes[i] = static_cast<Lane>(Times * i + Plus);
    return lanes;
}();
// The upper halves of 32-bit lanes, in order.
alignas(64) constexpr auto kUpper = kLanes<std::uint16_t, 2, 1>;
// For bytes, in 16-bit lanes: the first two bytes of the i-th sequence of three,
// the second byte low; and its last byte.
alignas(64) constexpr auto kLeading = kLanes<std::uint16_t, 0x0303, 0x0001>;
alignas(64) constexpr auto kLast = kLanes<std::uint16_t, 3, 2>;
alignas(64) constexpr auto kInOrder32 = kLanes<std::uint32_t, 1, 0>;

QM_AVX512 __m512i Masked(__m512i v, char mask) {
    return _mm512_and_si512(v, _mm512_set1_epi8(mask));
}

// The codes of 32 characters (16-bit lanes, at least 1 each): each gather reads an
// entry and the one before it, so that no read goes past the table. The second
// gather is made even for a block of 16 characters or fewer: a branch on the count
// mispredicts so often on Japanese text that it cost more than the gather.
QM_AVX512 __m512i Codes(__m512i characters, const std::uint16_t* pairBytes) {
    const __m512i one = _mm512_set1_epi32(1);
    const __m512i low =
        _mm512_sub_epi32(_mm512_cvtepu16_epi32(_mm512_castsi512_si256(characters)), one);
    const __m512i codesLow = _mm512_i32gather_epi32(low, pairBytes, 2);
    const __m512i high =
        _mm512_sub_epi32(_mm512_cvtepu16_epi32(_mm512_extracti64x4_epi64(characters, 1)), one);
    const __m512i codesHigh = _mm512_i32gather_epi32(high, pairBytes, 2);
    return _mm512_permutex2var_epi16(codesLow, _mm512_load_si512(kUpper.data()), codesHigh);
}

// Ends a block before its i-th character (n and first cut back).
void EndBefore(unsigned i, unsigned& n, std::uint64_t& first) {
    std::uint64_t at = first;
    for (unsigned k = 0; k < i; ++k)
        at &= at - 1;
    n = static_cast<unsigned>(std::countr_zero(at));
    first &= Below(n);
}

// Asks the fallback for the codes of a block's characters it lacks (bits of
// `missing`); false when one has none: the block then ends before it.
__attribute__((noinline, cold)) bool AskFor(Fallback other, std::uint16_t* codes,
                                            const std::uint16_t* characters, std::uint32_t missing,
                                            unsigned& n, std::uint64_t& first) {
    for (; missing != 0; missing &= missing - 1) {
        const auto i = static_cast<unsigned>(std::countr_zero(missing));
        codes[i] = static_cast<std::uint16_t>(other.entry(other.context, characters[i]));
        if (codes[i] != 0) continue;
        EndBefore(i, n, first);
        return false;
    }
    return true;
}

// Where a block's walk ends: the bytes it took, and whether the walk goes on.
struct Step {
    unsigned taken;
    bool goesOn;
};

// The walk either way on AVX-512, as Walk on AVX2: a block of ASCII alone is
// copied as it is, any other goes to the way's Block.
template <typename Way>
QM_AVX512 __attribute__((flatten)) const unsigned char* Walk512(const unsigned char* p,
                                                                const unsigned char* limit,
                                                                char*& out, const Way& way) {
    char* w = out;
    while (limit - p >= kReach) {
        _mm_prefetch(reinterpret_cast<const char*>(p) + kAhead, _MM_HINT_T0);
        const __m512i v = _mm512_loadu_si512(p);
        const std::uint64_t high = _mm512_movepi8_mask(v);
        if (high == 0) {
            _mm512_storeu_si512(w, v);
            w += 64;
            p += 64;
            continue;
        }
        const Step step = way.Block(p, v, high, w);
        p += step.taken;
        if (!step.goesOn) break;
    }
    out = w;
    return p;
}

// To code page 932: one compression puts a block's three-byte sequences side by
// side, two byte permutations make the characters, one gather looks up their
// codes, one expansion writes each code over the last two bytes of its sequence
// and one compression drops the first bytes.
struct ToCp932Avx512 {
    const std::uint16_t* pairBytes;
    Fallback other;

    QM_AVX512 Step Block(const unsigned char*, __m512i v, std::uint64_t high, char*& w) const {
        const Cut c =
            CutToCp932(~high, _mm512_cmpeq_epi8_mask(Masked(v, '\xF0'), _mm512_set1_epi8('\xE0')),
                       _mm512_cmpeq_epi8_mask(Masked(v, '\xC0'), _mm512_set1_epi8('\x80')));
        unsigned n = c.n;
        std::uint64_t first = c.first & Below(n);
        // For each character its first two bytes (b1, b0) and its last in 16-bit
        // lanes: (b0 & 0x0F) << 12 | (b1 & 0x3F) << 6 | (b2 & 0x3F).
        const __m512i sequences = _mm512_maskz_compress_epi8(first | first << 1 | first << 2, v);
        const __m512i two = _mm512_permutexvar_epi8(_mm512_load_si512(kLeading.data()), sequences);
        const __m512i third =
            _mm512_maskz_permutexvar_epi8(kEven, _mm512_load_si512(kLast.data()), sequences);
        const __m512i characters = _mm512_or_si512(
            _mm512_or_si512(_mm512_slli_epi16(_mm512_and_si512(two, _mm512_set1_epi16(0x0F00)), 4),
                            _mm512_slli_epi16(_mm512_and_si512(two, _mm512_set1_epi16(0x3F)), 6)),
            _mm512_and_si512(third, _mm512_set1_epi16(0x3F)));
        const auto count = static_cast<unsigned>(std::popcount(first));
        __m512i codes = Codes(_mm512_max_epu16(characters, _mm512_set1_epi16(1)), pairBytes);
        const auto missing = static_cast<std::uint32_t>(
            _mm512_cmpeq_epi16_mask(codes, _mm512_setzero_si512()) & Below(count));
        bool whole = true;
        if (missing != 0) {
            alignas(64) std::uint16_t code[32];
            alignas(64) std::uint16_t character[32];
            _mm512_store_si512(code, codes);
            _mm512_store_si512(character, characters);
            whole = AskFor(other, code, character, missing, n, first);
            codes = _mm512_load_si512(code);
        }
        // No lead byte is 0: a code of one byte (half-width katakana) drops the
        // byte before it as well.
        const auto single =
            static_cast<std::uint32_t>(_mm512_testn_epi16_mask(codes, _mm512_set1_epi16(0xFF)));
        const std::uint64_t keep = Below(n) & ~first & ~(_pdep_u64(single, first) << 1);
        const __m512i coded = _mm512_mask_expand_epi8(v, first << 1 | first << 2, codes);
        const auto length = static_cast<unsigned>(std::popcount(keep));
        _mm512_mask_storeu_epi8(w, Below(length), _mm512_maskz_compress_epi8(keep, coded));
        w += length;
        return {n, c.whole && whole};
    }
};

// To UTF-8: a block's codes are compressed side by side and gathered at once, and
// each half of the block is widened to a 16-bit slot a byte: an ASCII byte's slot
// keeps it, a lead byte's takes the first two bytes of its character's UTF-8 and
// the second byte's the third, all in one expansion; one compression then drops
// the slots' unused bytes.
struct ToUtf8Avx512 {
    const std::uint32_t* pairUtf8;
    const std::uint32_t* singleUtf8;

    // The UTF-8 of 32 codes (16-bit lanes, the table's index each), in two gathers
    // of 16 whatever the count, as for the way there.
    QM_AVX512 void LookUp(__m512i codes, __m512i& low, __m512i& high) const {
        const auto* table = reinterpret_cast<const int*>(pairUtf8);
        low =
            _mm512_i32gather_epi32(_mm512_cvtepu16_epi32(_mm512_castsi512_si256(codes)), table, 4);
        high = _mm512_i32gather_epi32(_mm512_cvtepu16_epi32(_mm512_extracti64x4_epi64(codes, 1)),
                                      table, 4);
    }

    QM_AVX512 Step Block(const unsigned char* p, __m512i v, std::uint64_t high, char*& w) const {
        // 0x81..0x9F and 0xE0..0xFC.
        const std::uint64_t range =
            _mm512_cmple_epu8_mask(_mm512_sub_epi8(v, _mm512_set1_epi8('\x81')),
                                   _mm512_set1_epi8(0x1E)) |
            _mm512_cmple_epu8_mask(_mm512_sub_epi8(v, _mm512_set1_epi8('\xE0')),
                                   _mm512_set1_epi8(0x1C));
        const Cut c = CutToUtf8(~high, range);
        if (!c.whole) {
            // A block with half-width katakana goes as on AVX2: here a byte's slot
            // of two bytes has no room for its three.
            Cut k = CutWithKana(c, ~high, range,
                                _mm512_cmplt_epu8_mask(_mm512_sub_epi8(v, _mm512_set1_epi8('\xA1')),
                                                       _mm512_set1_epi8(0x3F)));
            if (k.kana != 0) {
                k.first &= Below(k.n);
                const unsigned taken = ToUtf8{pairUtf8, singleUtf8}.KanaBlock(p, k, w);
                return {taken, k.whole && taken == k.n};
            }
        }
        unsigned n = c.n;
        // The first half ends before a lead byte at 31, so that no character spans
        // the two halves; the block is cut short where the second would hold more
        // than 32 bytes.
        const unsigned middle = c.first >> 31 & 1 ? 31 : 32;
        if (n > middle + 32) n = c.first >> (middle + 31) & 1 ? middle + 31 : middle + 32;
        std::uint64_t first = c.first & Below(n);
        const auto count = static_cast<unsigned>(std::popcount(first));
        const __m512i codes = _mm512_maskz_compress_epi8(first | first << 1, v);
        __m512i low, rest;
        LookUp(codes, low, rest);
        // Entries that are no three bytes of UTF-8: 0 where the table lacks the code,
        // or a character of two bytes (then with its byte 0xFF in its trail byte's
        // slot, to be left out).
        const __m512i three = _mm512_set1_epi32(kThreeBytes);
        const auto odd = static_cast<std::uint32_t>(
            (_mm512_testn_epi32_mask(low, three) |
             static_cast<std::uint32_t>(_mm512_testn_epi32_mask(rest, three)) << 16) &
            Below(count));
        bool whole = true;
        std::uint64_t marks = 0;
        if (odd != 0) [[unlikely]] {
            const auto missing = static_cast<std::uint32_t>(
                (_mm512_cmpeq_epi32_mask(low, _mm512_setzero_si512()) |
                 static_cast<std::uint32_t>(_mm512_cmpeq_epi32_mask(rest, _mm512_setzero_si512()))
                     << 16) &
                Below(count));
            // The block ends before a code without a character in UTF-8 of two or
            // three bytes.
            if (missing != 0) {
                EndBefore(static_cast<unsigned>(std::countr_zero(missing)), n, first);
                whole = false;
            }
            // Bit 6 of an entry's third byte is set in a byte 0xFF alone.
            const __m512i mark = _mm512_set1_epi32(0x400000);
            marks =
                _pdep_u64(_mm512_test_epi32_mask(low, mark) |
                              static_cast<std::uint32_t>(_mm512_test_epi32_mask(rest, mark)) << 16,
                          first)
                << 1;
        }
        const auto half = [&](unsigned start, unsigned end, __m512i utf8) QM_AVX512 {
            const auto slots = static_cast<std::uint32_t>(Below(end - start));
            const auto leads = static_cast<std::uint32_t>(first >> start) & slots;
            const __m512i bytes = _mm512_cvtepu8_epi16(
                _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + start)));
            const __m512i words = _mm512_mask_expand_epi16(bytes, leads | leads << 1, utf8);
            // The low byte of each slot, and the high one of a lead byte's too.
            const auto dropped = static_cast<std::uint32_t>(marks >> start);
            const std::uint64_t keep =
                _pdep_u64(slots & ~dropped, kEven) | _pdep_u64(leads, kEven << 1);
            const auto length = static_cast<unsigned>(std::popcount(keep));
            _mm512_mask_storeu_epi8(w, Below(length), _mm512_maskz_compress_epi8(keep, words));
            w += length;
        };
        half(0, std::min(n, middle), low);
        if (n > middle) {
            const auto before = static_cast<int>(std::popcount(first & Below(middle)));
            half(middle, n,
                 _mm512_permutex2var_epi32(low,
                                           _mm512_add_epi32(_mm512_load_si512(kInOrder32.data()),
                                                            _mm512_set1_epi32(before)),
                                           rest));
        }
        return {n, c.whole && whole};
    }
};
#if !defined(__clang__)
#pragma GCC diagnostic pop
#endif

// A way's walk at a level; at Plain none.
template <typename Avx2Way, typename Avx512Way>
const unsigned char* WalkAt(Level level, const unsigned char* p, const unsigned char* limit,
                            char*& w, Avx2Way avx2, Avx512Way avx512) {
    switch (level) {
        case Level::Plain:
            return p;
        case Level::Avx2:
            return Walk(p, limit, w, avx2);
        case Level::Avx512:
            return Walk512(p, limit, w, avx512);
    }
    return p;
}

}  // namespace

bool Runs(Level level) {
    static const bool avx2 = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi") &&
               __builtin_cpu_supports("popcnt");
    }();
    static const bool avx512 =
        avx2 && __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
        __builtin_cpu_supports("avx512vl") && __builtin_cpu_supports("avx512vbmi") &&
        __builtin_cpu_supports("avx512vbmi2") && __builtin_cpu_supports("bmi2");
    switch (level) {
        case Level::Plain:
            return true;
        case Level::Avx2:
            return avx2;
        case Level::Avx512:
            return avx512;
    }
    return false;
}

Level Best() {
    // On AMD's first processors with AVX-512 (family 19h, Zen 4) a gather of 16 lanes
    // takes about 20 cycles, masked or not, and a byte compression about 6: there the
    // AVX-512 walk to code page 932 took a quarter longer than the AVX2 one, and the
    // walk back as long or a little longer.
    static const bool slowGathers = [] {
        __builtin_cpu_init();
        return __builtin_cpu_is("amdfam19h");
    }();
    if (Runs(Level::Avx512) && !slowGathers) return Level::Avx512;
    return Runs(Level::Avx2) ? Level::Avx2 : Level::Plain;
}

const unsigned char* Utf8ToCp932(Level level, const unsigned char* p, const unsigned char* limit,
                                 char*& w, const std::uint16_t* pairBytes, Fallback other) {
    return WalkAt(level, p, limit, w, ToCp932{pairBytes, other}, ToCp932Avx512{pairBytes, other});
}

const unsigned char* Cp932ToUtf8(Level level, const unsigned char* p, const unsigned char* limit,
                                 char*& w, const std::uint32_t* pairUtf8,
                                 const std::uint32_t* singleUtf8) {
    return WalkAt(level, p, limit, w, ToUtf8{pairUtf8, singleUtf8},
                  ToUtf8Avx512{pairUtf8, singleUtf8});
}

}  // namespace qm::runs
