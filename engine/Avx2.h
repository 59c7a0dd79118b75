// What the AVX2 kernels are built from: the block masks of SjisBlocks.h 32 bytes to
// an instruction, byte tables looked up by shuffles, and the widening and narrowing
// of sixteen bytes at a time by a bit mask, through tables of shuffles. Only for
// functions compiled for AVX2 (QM_AVX2), which run at VectorLevel::Avx2 alone.
#pragma once

#include "engine/Vector.h"

#ifdef QM_AVX2_KERNELS

#include <immintrin.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string>

#include "engine/RowLookup.h"
#include "engine/SjisBlocks.h"

namespace qm {

// The members of a ByteSet among 64 bytes, its ranges held as vectors. The set
// must outlive this.
class ByteSetAvx2 {
  public:
    QM_AVX2 explicit ByteSetAvx2(const ByteSet& set)
        : set_(set),
          ranges_(set.ranges_),
          singles_(set.singles_),
          exact_(!set.table_),
          lookup_(set.lookup_.get()) {
        for (std::size_t r = 0; r < set.ranges_; ++r) {
            low_[r] = _mm256_set1_epi8(static_cast<char>(set.low_[r]));
            span_[r] = _mm256_set1_epi8(static_cast<char>(set.span_[r]));
        }
    }

    // Bit k for byte k of the 64 bytes at p.
    QM_AVX2 std::uint64_t Mask(const std::uint8_t* p) const {
        const std::uint64_t rough = RoughMask(p);
        return exact_ || rough == 0 ? rough : Exactly(p, rough);
    }

    // As ByteSet's: the members, and for a set of many ranges some bytes close to
    // them, which Exactly sorts out.
    // Flattened: the shape's mask is compiled for AVX2 only where it is inlined here.
    QM_AVX2 __attribute__((flatten)) std::uint64_t RoughMask(const std::uint8_t* p) const {
        return ForShape(ranges_, singles_, [&]<std::size_t Ranges, bool Bytes>() QM_AVX2 {
            if constexpr (Ranges == 0) {
                return std::uint64_t{0};
            } else {
                return Both<Ranges, Bytes>(p);
            }
        });
    }
    bool Exact() const { return exact_; }
    // The members among the rough bits: by shuffles where the set has them.
    QM_AVX2 std::uint64_t Exactly(const std::uint8_t* p, std::uint64_t rough) const {
        if (!lookup_) return set_.Exactly(p, rough);
        return rough & (Members(p) | static_cast<std::uint64_t>(Members(p + 32)) << 32);
    }

    // The rough members among the 32 bytes of v as bytes of all ones, for a set of
    // this shape (ForShape). Bytes: every range is a single byte, compared for
    // equality.
    template <std::size_t Ranges, bool Bytes>
    QM_AVX2 __m256i In(__m256i v) const {
        __m256i in = _mm256_setzero_si256();
        for (std::size_t r = 0; r < Ranges; ++r) {
            if (Bytes) {
                in = _mm256_or_si256(in, _mm256_cmpeq_epi8(v, low_[r]));
                continue;
            }
            // b - low <= span, unsigned: the minimum of the two is the first.
            const __m256i d = _mm256_sub_epi8(v, low_[r]);
            in = _mm256_or_si256(in, _mm256_cmpeq_epi8(_mm256_min_epu8(d, span_[r]), d));
        }
        return in;
    }
    std::size_t Ranges() const { return ranges_; }
    bool Singles() const { return singles_; }

  private:
    // The stores of a kernel may alias a set, so what the masks depend on is kept
    // here, where they cannot.
    QM_AVX2 std::uint32_t Members(const std::uint8_t* p) const {
        const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
        return static_cast<std::uint32_t>(_mm256_movemask_epi8((*lookup_)(v)));
    }

    template <std::size_t Ranges, bool Bytes>
    QM_AVX2 std::uint64_t Both(const std::uint8_t* p) const {
        return Half<Ranges, Bytes>(p) | static_cast<std::uint64_t>(Half<Ranges, Bytes>(p + 32))
                                            << 32;
    }

    template <std::size_t Ranges, bool Bytes>
    QM_AVX2 std::uint32_t Half(const std::uint8_t* p) const {
        const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
        return static_cast<std::uint32_t>(_mm256_movemask_epi8(In<Ranges, Bytes>(v)));
    }

    const ByteSet& set_;
    const std::size_t ranges_;
    const bool singles_, exact_;
    const avx2::RowLookup* lookup_;
    __m256i low_[ByteSet::kMaxRanges], span_[ByteSet::kMaxRanges];
};

namespace avx2 {

// The kernels write their blocks into a small buffer on the stack, with room past
// kStagedBytes for the blocks of one more turn, and hand it to the output a page at
// a time: one append for many blocks. With `atLeast`, only a buffer that full goes.
constexpr std::size_t kStagedBytes = 4096;
inline void AppendStaged(const std::uint8_t* buffer, std::size_t& used, std::string& out,
                         std::size_t atLeast = 0) {
    if (used < atLeast) return;
    out.append(reinterpret_cast<const char*>(buffer), used);
    used = 0;
}

QM_AVX2 inline __m256i Load(const std::uint8_t* p) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

// Every byte b.
QM_AVX2 inline __m256i Splat(unsigned b) {
    return _mm256_set1_epi8(static_cast<char>(b));
}

QM_AVX2 inline void Store(std::uint8_t* p, __m256i v) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v);
}

// Bit k of m as byte k, all ones or all zeros.
QM_AVX2 inline __m256i BitsToBytes(std::uint32_t m) {
    const __m256i spread =
        _mm256_shuffle_epi8(_mm256_set1_epi32(static_cast<int>(m)),
                            _mm256_setr_epi8(0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 2, 2,
                                             2, 2, 2, 2, 2, 2, 3, 3, 3, 3, 3, 3, 3, 3));
    const __m256i bit = _mm256_set1_epi64x(static_cast<long long>(0x8040201008040201));
    return _mm256_cmpeq_epi8(_mm256_and_si256(spread, bit), bit);
}

// For each 8-bit mask m: the shuffle that spreads eight pairs of bytes (first,
// second) into the first byte of every pair and the second byte of those whose bit
// is set, in order; and the shuffle that gathers the bytes whose bit is set.
struct ShuffleTables {
    std::uint8_t widen[256][16];
    std::uint64_t keep[256];
};

constexpr ShuffleTables MakeShuffleTables() {
    ShuffleTables t{};
    for (unsigned m = 0; m < 256; ++m) {
        unsigned w = 0, kept = 0;
        for (unsigned k = 0; k < 8; ++k) {
            t.widen[m][w++] = static_cast<std::uint8_t>(2 * k);
            if (m >> k & 1) {
                t.widen[m][w++] = static_cast<std::uint8_t>(2 * k + 1);
                t.keep[m] |= static_cast<std::uint64_t>(k) << (8 * kept++);
            }
        }
        while (w < 16)
            t.widen[m][w++] = 0x80;  // a zero byte
    }
    return t;
}

alignas(64) inline constexpr ShuffleTables kShuffles = MakeShuffleTables();

// Writes the sixteen characters of first and second at w: the first byte of each,
// followed by its second byte where bit k of wide is set. Writes sixteen bytes past
// the result at most; returns its end.
QM_AVX2 inline std::uint8_t* StoreWidened(std::uint8_t* w, __m128i first, __m128i second,
                                          std::uint32_t wide) {
    const __m128i pairs[2] = {_mm_unpacklo_epi8(first, second), _mm_unpackhi_epi8(first, second)};
    for (int g = 0; g < 2; ++g) {
        const unsigned m = wide >> (8 * g) & 0xFF;
        const __m128i order = _mm_loadu_si128(reinterpret_cast<const __m128i*>(kShuffles.widen[m]));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(w), _mm_shuffle_epi8(pairs[g], order));
        w += 8 + std::popcount(m);
    }
    return w;
}

// Writes the bytes of v whose bit in keep is set, in order. Writes up to eight
// bytes past the result; returns its end.
QM_AVX2 inline std::uint8_t* StoreKept(std::uint8_t* w, __m256i v, std::uint32_t keep) {
    const __m128i halves[2] = {_mm256_castsi256_si128(v), _mm256_extracti128_si256(v, 1)};
    for (int h = 0; h < 2; ++h) {
        const unsigned m0 = keep >> (16 * h) & 0xFF, m1 = keep >> (16 * h + 8) & 0xFF;
        const __m128i order =
            _mm_set_epi64x(static_cast<long long>(kShuffles.keep[m1] + 0x0808080808080808),
                           static_cast<long long>(kShuffles.keep[m0]));
        const __m128i kept = _mm_shuffle_epi8(halves[h], order);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(w), kept);
        w += std::popcount(m0);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(w), _mm_unpackhi_epi64(kept, kept));
        w += std::popcount(m1);
    }
    return w;
}

// The block masks for the loops written once for every level (SjisBlocks.h).
struct Avx2Masks {
    static constexpr bool kAvx2 = true;
    using Set = ByteSetAvx2;
};

// One block of 64 bytes of a widening step: the bytes whose bit in wide is set
// become `first` followed by their entry in seconds. Writes up to 144 bytes at w;
// returns the end of the result.
QM_AVX2 inline std::uint8_t* WidenBlock(const std::uint8_t* block, std::uint64_t wide,
                                        std::uint8_t first, const RowLookup& seconds,
                                        std::uint8_t* w) {
    for (int h = 0; h < 2; ++h) {
        const __m256i v = Load(block + 32 * h);
        const auto bits = static_cast<std::uint32_t>(wide >> (32 * h));
        const __m256i firsts =
            _mm256_blendv_epi8(v, _mm256_set1_epi8(static_cast<char>(first)), BitsToBytes(bits));
        const __m256i second = seconds(v);
        w = StoreWidened(w, _mm256_castsi256_si128(firsts), _mm256_castsi256_si128(second),
                         bits & 0xFFFF);
        w = StoreWidened(w, _mm256_extracti128_si256(firsts, 1),
                         _mm256_extracti128_si256(second, 1), bits >> 16);
    }
    return w;
}

// The full-width forms of the half-width kana, by half-width byte: their first
// byte, and their second byte plain, voiced and semi-voiced.
struct KanaWidening {
    RowLookup first, plain, voiced, semiVoiced;
};

// One block of 64 bytes, 65 readable, of the kana widening: each letter at a bit of
// `letters` becomes its full-width form, voiced or semi-voiced by the mark right
// after it, which goes with it; a letter at the last bit takes the byte after the
// block, which is the caller's to pass over. Writes up to 144 bytes at w; returns
// the end of the result.
QM_AVX2 inline std::uint8_t* WidenKanaBlock(const std::uint8_t* block, std::uint64_t letters,
                                            const KanaWidening& kana, std::uint8_t* w) {
    const __m256i voicedMark = Splat(0xDE), semiVoicedMark = Splat(0xDF);
    std::uint64_t marks = 0;
    for (int h = 0; h < 2; ++h) {
        const __m256i v = Load(block + 32 * h);
        const __m256i mark =
            _mm256_or_si256(_mm256_cmpeq_epi8(v, voicedMark), _mm256_cmpeq_epi8(v, semiVoicedMark));
        marks |= static_cast<std::uint64_t>(static_cast<std::uint32_t>(_mm256_movemask_epi8(mark)))
                 << (32 * h);
    }
    // A letter and its mark make two bytes in place; a letter alone is widened.
    const std::uint64_t joined = letters << 1 & marks;
    const std::uint64_t wide = letters & ~(joined >> 1);
    __m256i secondBefore = _mm256_setzero_si256();
    for (int h = 0; h < 2; ++h) {
        const __m256i v = Load(block + 32 * h);
        const __m256i next = Load(block + 32 * h + 1);
        __m256i second = kana.plain(v);
        second = _mm256_blendv_epi8(second, kana.voiced(v), _mm256_cmpeq_epi8(next, voicedMark));
        second =
            _mm256_blendv_epi8(second, kana.semiVoiced(v), _mm256_cmpeq_epi8(next, semiVoicedMark));
        __m256i first = _mm256_blendv_epi8(
            v, kana.first(v), BitsToBytes(static_cast<std::uint32_t>(letters >> (32 * h))));
        const __m256i secondOfBefore =
            _mm256_alignr_epi8(second, _mm256_permute2x128_si256(second, secondBefore, 0x03), 15);
        first = _mm256_blendv_epi8(first, secondOfBefore,
                                   BitsToBytes(static_cast<std::uint32_t>(joined >> (32 * h))));
        secondBefore = second;
        const auto bits = static_cast<std::uint32_t>(wide >> (32 * h));
        w = StoreWidened(w, _mm256_castsi256_si128(first), _mm256_castsi256_si128(second),
                         bits & 0xFFFF);
        w = StoreWidened(w, _mm256_extracti128_si256(first, 1), _mm256_extracti128_si256(second, 1),
                         bits >> 16);
    }
    return w;
}

// One block of 64 bytes of the kana narrowing, 65 bytes readable: each pair that
// begins at a bit of `pairs` becomes the letter of its second byte followed by the
// mark, if any, of that second byte. The spelling of a second byte is looked up in
// one byte: the letter less 0xA6 in the low six bits, the mark (0 none, 1 voiced, 2
// semi-voiced) in the high two. The second byte of a pair at the last bit lies past
// the block and is the caller's. With skipFirst the block's first byte, the second
// byte of the block before's last pair, is left out. Writes up to 72 bytes at w;
// returns the end of the result.
QM_AVX2 inline std::uint8_t* NarrowKanaBlock(const std::uint8_t* block, std::uint64_t pairs,
                                             bool skipFirst, const RowLookup& spelling,
                                             std::uint8_t* w) {
    const __m256i marks = _mm256_setr_epi8(
        0, static_cast<char>(0xDE), static_cast<char>(0xDF), 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
        0, static_cast<char>(0xDE), static_cast<char>(0xDF), 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
    const std::uint64_t seconds = pairs << 1;
    __m256i markBefore = _mm256_setzero_si256();
    for (int h = 0; h < 2; ++h) {
        const __m256i v = Load(block + 32 * h);
        const __m256i firstV = BitsToBytes(static_cast<std::uint32_t>(pairs >> (32 * h)));
        const __m256i secondV = BitsToBytes(static_cast<std::uint32_t>(seconds >> (32 * h)));
        // The spelling of the byte after each byte: the letter goes where the pair
        // begins, the mark one byte further on.
        const __m256i next = spelling(Load(block + 32 * h + 1));
        const __m256i letter = _mm256_add_epi8(_mm256_and_si256(next, _mm256_set1_epi8(0x3F)),
                                               _mm256_set1_epi8(static_cast<char>(0xA6)));
        const __m256i markHere = _mm256_shuffle_epi8(
            marks, _mm256_and_si256(_mm256_srli_epi16(next, 6), _mm256_set1_epi8(3)));
        const __m256i mark =
            _mm256_alignr_epi8(markHere, _mm256_permute2x128_si256(markHere, markBefore, 0x03), 15);
        markBefore = markHere;
        __m256i out = _mm256_blendv_epi8(v, letter, firstV);
        out = _mm256_blendv_epi8(out, mark, secondV);
        // A second byte without a mark goes.
        const __m256i gone =
            _mm256_and_si256(secondV, _mm256_cmpeq_epi8(mark, _mm256_setzero_si256()));
        auto keep = ~static_cast<std::uint32_t>(_mm256_movemask_epi8(gone));
        if (h == 0 && skipFirst) keep &= ~1u;
        w = StoreKept(w, out, keep);
    }
    return w;
}

// One block of 64 bytes of a mapping that keeps lengths: the bytes whose bit in
// singles is set become their entry in `to`; the 64 bytes are written at w.
QM_AVX2 inline void MapSinglesBlock(const std::uint8_t* block, std::uint64_t singles,
                                    const RowLookup& to, std::uint8_t* w) {
    for (int h = 0; h < 2; ++h) {
        const __m256i v = Load(block + 32 * h);
        const auto bits = static_cast<std::uint32_t>(singles >> (32 * h));
        Store(w + 32 * h, bits ? _mm256_blendv_epi8(v, to(v), BitsToBytes(bits)) : v);
    }
}

// The pairs of a map with one first byte whose entries all keep their length and
// their first byte `to`: second bytes are looked up, a new second byte of 0 means no
// entry. The look-up holds for the second bytes from `low` to `high`.
struct PairRow {
    std::uint8_t first, to, low, high;
    RowLookup seconds;
    // Where the entries' second bytes are those from usedLow to usedHigh but for
    // `hole` (usedLow less 1 when none), and each becomes itself plus `delta`, plus
    // `step` more from `split` on: the kana rows, computed without the look-up.
    bool shifted = false;
    std::uint8_t usedLow = 0, usedHigh = 0, hole = 0, split = 0, delta = 0, step = 0;
};

// What MapRowsBlock carries from one block to the next: the pairs found in the last
// half, whose second bytes are the first of the next half, and whether any was;
// all zeros before the first block.
struct RowCarry {
    __m256i hit, second, any;
};

// A PairRow's bytes, each in every byte of a vector, made once a text.
struct RowVectors {
    QM_AVX2 void Set(const PairRow& r) {
        row = &r;
        shifted = r.shifted;
        first = Splat(r.first);
        to = Splat(r.to);
        low = Splat(r.shifted ? r.usedLow : r.low);
        span = Splat(r.shifted ? r.usedHigh - r.usedLow : r.high - r.low);
        hole = Splat(r.hole);
        split = Splat(r.split);
        delta = Splat(r.delta);
        step = Splat(r.step);
    }
    const PairRow* row;
    bool shifted;
    __m256i first, to, low, span, hole, split, delta, step;
};

// One block of 64 bytes, 65 readable, of a map whose every entry is one of `rows`
// (none with a second byte of 0 in reach of its look-up): the pairs that begin at a
// bit of `pairs` and have an entry are written over a copy of the block at w. A
// pair at the last bit writes its second byte into the next block's copy, through
// the carry.
QM_AVX2 inline void MapRowsBlock(const std::uint8_t* block, std::uint64_t pairs,
                                 const RowVectors* rows, std::size_t rowCount, RowCarry& carry,
                                 std::uint8_t* w) {
    const __m256i zero = _mm256_setzero_si256();
    for (int h = 0; h < 2; ++h) {
        const __m256i v = Load(block + 32 * h);
        const __m256i next = Load(block + 32 * h + 1);
        const __m256i starts = BitsToBytes(static_cast<std::uint32_t>(pairs >> (32 * h)));
        __m256i out = v, hits = zero, seconds = zero;
        for (std::size_t r = 0; r < rowCount; ++r) {
            const RowVectors& row = rows[r];
            const __m256i d = _mm256_sub_epi8(next, row.low);
            __m256i candidates = _mm256_and_si256(
                _mm256_and_si256(starts, _mm256_cmpeq_epi8(_mm256_min_epu8(d, row.span), d)),
                _mm256_cmpeq_epi8(v, row.first));
            if (row.shifted)
                candidates = _mm256_andnot_si256(_mm256_cmpeq_epi8(next, row.hole), candidates);
            // Most rows have no pair in most halves: the look-up is spared.
            if (_mm256_testz_si256(candidates, candidates)) continue;
            __m256i second, hit = candidates;
            if (row.shifted) {
                const __m256i later = _mm256_cmpeq_epi8(_mm256_max_epu8(next, row.split), next);
                second = _mm256_add_epi8(_mm256_add_epi8(next, row.delta),
                                         _mm256_and_si256(later, row.step));
            } else {
                second = row.row->seconds(next);
                hit = _mm256_andnot_si256(_mm256_cmpeq_epi8(second, zero), candidates);
            }
            out = _mm256_blendv_epi8(out, row.to, hit);
            hits = _mm256_or_si256(hits, hit);
            seconds = _mm256_or_si256(seconds, _mm256_and_si256(second, hit));
        }
        // The second bytes go one byte further on.
        const __m256i secondHit =
            _mm256_alignr_epi8(hits, _mm256_permute2x128_si256(hits, carry.hit, 0x03), 15);
        const __m256i secondByte =
            _mm256_alignr_epi8(seconds, _mm256_permute2x128_si256(seconds, carry.second, 0x03), 15);
        Store(w + 32 * h, _mm256_blendv_epi8(out, secondByte, secondHit));
        carry.hit = hits;
        carry.second = seconds;
        carry.any = _mm256_or_si256(carry.any, hits);
    }
}

// Writes over the block's bytes at w the pairs of `pairs` that begin with the row's
// first byte and have an entry, but for one at the last bit, whose second byte lies
// past the block; returns the pairs it did not write.
QM_AVX2 inline std::uint64_t MapPairsBlock(const std::uint8_t* block, std::uint64_t pairs,
                                           const PairRow& row, std::uint8_t* w) {
    const __m256i first = _mm256_set1_epi8(static_cast<char>(row.first));
    const __m256i low = _mm256_set1_epi8(static_cast<char>(row.low));
    const __m256i span = _mm256_set1_epi8(static_cast<char>(row.high - row.low));
    const __m256i zero = _mm256_setzero_si256();
    const std::uint64_t candidates = pairs & ~(std::uint64_t{1} << 63);
    std::uint64_t done = 0;
    __m256i hitBefore = zero, secondBefore = zero;
    for (int h = 0; h < 2; ++h) {
        const __m256i v = Load(block + 32 * h);
        const __m256i next = Load(block + 32 * h + 1);
        const __m256i second = row.seconds(next);
        const __m256i d = _mm256_sub_epi8(next, low);
        const __m256i covered = _mm256_cmpeq_epi8(_mm256_min_epu8(d, span), d);
        const __m256i entry = _mm256_andnot_si256(_mm256_cmpeq_epi8(second, zero), covered);
        const __m256i hit = _mm256_and_si256(
            _mm256_and_si256(BitsToBytes(static_cast<std::uint32_t>(candidates >> (32 * h))),
                             _mm256_cmpeq_epi8(v, first)),
            entry);
        // The second bytes go one byte further on.
        const __m256i secondHit =
            _mm256_alignr_epi8(hit, _mm256_permute2x128_si256(hit, hitBefore, 0x03), 15);
        const __m256i secondByte =
            _mm256_alignr_epi8(second, _mm256_permute2x128_si256(second, secondBefore, 0x03), 15);
        __m256i out = Load(w + 32 * h);
        out = _mm256_blendv_epi8(out, _mm256_set1_epi8(static_cast<char>(row.to)), hit);
        out = _mm256_blendv_epi8(out, secondByte, secondHit);
        Store(w + 32 * h, out);
        hitBefore = hit;
        secondBefore = second;
        done |= static_cast<std::uint64_t>(static_cast<std::uint32_t>(_mm256_movemask_epi8(hit)))
                << (32 * h);
    }
    return pairs & ~done;
}

}  // namespace avx2
}  // namespace qm

#endif
