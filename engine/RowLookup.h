// A byte table looked up 32 bytes at a time by shuffles, for AVX2 kernels: the
// type is plain data, made anywhere; only its look-up is compiled for AVX2.
#pragma once

#include "engine/Vector.h"

#ifdef QM_AVX2_KERNELS

#include <immintrin.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>

namespace qm::avx2 {

// A byte table looked up 32 bytes at a time, for the bytes with an entry in use;
// other bytes give any value. The rows of sixteen byte values that have entries in
// use are looked up by one shuffle each. Where they lie within eight rows, the
// shuffle of row r reads the byte's distance from the first row less 16 r, which
// is negative, and gives 0, for the rows after the byte's own: with each row's
// entries stored XOR those of the row before, the XOR of all rows' answers is the
// byte's entry. Further apart, each row's answer is taken by a comparison.
class RowLookup {
  public:
    RowLookup(const std::array<std::uint8_t, 256>& values, const std::array<bool, 256>& used) {
        std::size_t firstRow = 16, lastRow = 0;
        for (std::size_t row = 0; row < 16; ++row) {
            for (std::size_t k = 0; k < 16; ++k) {
                if (!used[row * 16 + k]) continue;
                firstRow = std::min(firstRow, row);
                lastRow = row;
            }
        }
        if (firstRow == 16) return;
        telescoped_ = lastRow - firstRow < 8;
        for (std::size_t row = firstRow; row <= lastRow; ++row) {
            high_[rows_] = static_cast<std::uint8_t>(row << 4);
            for (std::size_t k = 0; k < 16; ++k) {
                std::uint8_t entry = values[row * 16 + k];
                if (telescoped_ && row > firstRow) entry ^= values[(row - 1) * 16 + k];
                table_[rows_][k] = table_[rows_][16 + k] = entry;
            }
            ++rows_;
        }
    }

    QM_AVX2 __m256i operator()(__m256i v) const {
        if (telescoped_) {
            // Unrolled for each count of rows: the loop's own upkeep would cost as
            // much as its shuffles.
            return Telescoped(v, std::make_index_sequence<8>());
        }
        __m256i found = _mm256_setzero_si256();
        const __m256i low = _mm256_and_si256(v, _mm256_set1_epi8(0x0F));
        const __m256i high = _mm256_and_si256(v, _mm256_set1_epi8(static_cast<char>(0xF0)));
        for (std::size_t r = 0; r < rows_; ++r) {
            const __m256i in =
                _mm256_cmpeq_epi8(high, _mm256_set1_epi8(static_cast<char>(high_[r])));
            found = _mm256_or_si256(found, _mm256_and_si256(in, _mm256_shuffle_epi8(Row(r), low)));
        }
        return found;
    }

    // Whether every byte of the rows in use is looked up by the XOR of shuffles.
    bool Telescoped() const { return telescoped_; }

  private:
    // The look-up for the count of rows this table has, of one to eight.
    template <std::size_t... Counts>
    QM_AVX2 __m256i Telescoped(__m256i v, std::index_sequence<Counts...>) const {
        __m256i found = _mm256_setzero_si256();
        static_cast<void>(
            ((rows_ == Counts + 1 && (found = Telescope<Counts + 1>(v), true)) || ...));
        return found;
    }

    template <std::size_t Rows>
    QM_AVX2 __m256i Telescope(__m256i v) const {
        const __m256i sixteen = _mm256_set1_epi8(16);
        __m256i found = _mm256_setzero_si256();
        __m256i distance = _mm256_sub_epi8(v, _mm256_set1_epi8(static_cast<char>(high_[0])));
        for (std::size_t r = 0; r < Rows; ++r) {
            found = _mm256_xor_si256(found, _mm256_shuffle_epi8(Row(r), distance));
            distance = _mm256_sub_epi8(distance, sixteen);
        }
        return found;
    }

    QM_AVX2 __m256i Row(std::size_t r) const {
        return _mm256_load_si256(reinterpret_cast<const __m256i*>(table_[r]));
    }

    std::size_t rows_ = 0;
    bool telescoped_ = false;
    std::uint8_t high_[16] = {};
    alignas(32) std::uint8_t table_[16][32] = {};
};

}  // namespace qm::avx2

#endif
