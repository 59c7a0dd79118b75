// A text sixty-four bytes at a time, as bit masks (bit k for byte k of the block):
// which bytes belong to a set, and which are the second bytes of two-byte
// characters. A step tests a whole block in a few instructions and walks only the
// characters it changes; between them it copies, through PieceWriter, in pieces.
#pragma once

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "engine/RowLookup.h"
#include "engine/TextServices.h"
#include "engine/Vector.h"

namespace qm {

constexpr std::size_t kBlockBytes = 64;

// The first position from `from` on among the bits of a text of n bytes, given a
// block at a time: `bits` holds the positions of the block at `block` not given
// yet, and compute(at) puts the next block from `at` on there.
template <typename Compute>
std::size_t NextInBlocks(std::size_t from, std::size_t n, std::size_t& block, std::uint64_t& bits,
                         Compute compute) {
    for (;;) {
        if (from < block + kBlockBytes) {
            if (from > block) bits &= ~std::uint64_t{0} << (from - block);
            if (bits != 0) return block + static_cast<std::size_t>(std::countr_zero(bits));
        }
        if (n - block <= kBlockBytes) return n;
        compute(std::max(block + kBlockBytes, from));
    }
}

// Calls shape.template operator()<Ranges, Bytes>() for the shape of a set of
// `ranges` ranges, each a single byte if `singles`: the masks are compiled for each
// shape, and sets of many single bytes are rare enough to be compared as ranges.
template <typename Shape>
decltype(auto) ForShape(std::size_t ranges, bool singles, Shape&& shape) {
    switch (ranges) {
        case 0:
            return shape.template operator()<0, false>();
        case 1:
            return singles ? shape.template operator()<1, true>()
                           : shape.template operator()<1, false>();
        case 2:
            return singles ? shape.template operator()<2, true>()
                           : shape.template operator()<2, false>();
        case 3:
            return shape.template operator()<3, false>();
        default:
            return shape.template operator()<4, false>();
    }
}

// The block of `room` bytes at p (the text's bytes from there to its end), readable
// one byte past a whole block: p itself when the text goes on that far, otherwise
// its last bytes copied into `padded`, with zeros after them.
using PaddedBlock = std::uint8_t[kBlockBytes + 1];
inline const std::uint8_t* ReadableBlock(const std::uint8_t* p, std::size_t room,
                                         PaddedBlock& padded) {
    if (room > kBlockBytes) return p;
    std::memcpy(padded, p, room);
    std::memset(padded + room, 0, sizeof padded - room);
    return padded;
}

// A set of byte values, tested on a block at once. Up to four ranges of values are
// compared sixteen bytes at a time; a set of more ranges is looked up byte by byte.
// A set of a few ranges is cheap to make, for a step that makes one per call.
class ByteSet {
  public:
    ByteSet() = default;

    explicit ByteSet(const std::array<bool, 256>& members) {
        struct Range {
            unsigned low, high;
        };
        std::vector<Range> ranges;
        for (unsigned b = 0; b < 256;) {
            if (!members[b]) {
                ++b;
                continue;
            }
            unsigned e = b;
            while (e + 1 < 256 && members[e + 1])
                ++e;
            ranges.push_back({b, e});
            b = e + 1;
        }
        // More ranges than are compared at once: the closest ones are compared as one,
        // and the bytes found that way are looked up.
        if (ranges.size() > kMaxRanges) {
            table_ = std::make_shared<const std::array<bool, 256>>(members);
#ifdef QM_AVX2_KERNELS
            std::array<std::uint8_t, 256> marks{};
            for (unsigned b = 0; b < 256; ++b)
                marks[b] = members[b] ? 0xFF : 0;
            auto lookup = std::make_shared<const avx2::RowLookup>(marks, members);
            if (lookup->Telescoped()) lookup_ = std::move(lookup);
#endif
        }
        while (ranges.size() > kMaxRanges) {
            std::size_t closest = 0;
            for (std::size_t r = 1; r + 1 < ranges.size(); ++r) {
                if (ranges[r + 1].low - ranges[r].high <
                    ranges[closest + 1].low - ranges[closest].high)
                    closest = r;
            }
            ranges[closest].high = ranges[closest + 1].high;
            ranges.erase(ranges.begin() + static_cast<std::ptrdiff_t>(closest) + 1);
        }
        for (const Range& r : ranges)
            Add(static_cast<std::uint8_t>(r.low), static_cast<std::uint8_t>(r.high));
    }

    // The bytes low to high.
    static ByteSet Of(std::uint8_t low, std::uint8_t high) {
        ByteSet set;
        set.Add(low, high);
        return set;
    }

    // Some single bytes (up to four).
    static ByteSet Of(std::string_view bytes) {
        ByteSet set;
        for (const char c : bytes) {
            if (!set.Contains(static_cast<std::uint8_t>(c)))
                set.Add(static_cast<std::uint8_t>(c), static_cast<std::uint8_t>(c));
        }
        return set;
    }

    bool Contains(std::uint8_t b) const {
        if (table_) return (*table_)[b];
        for (std::size_t r = 0; r < ranges_; ++r) {
            if (static_cast<std::uint8_t>(b - low_[r]) <= span_[r]) return true;
        }
        return false;
    }

    // The members among the 64 bytes at p.
    std::uint64_t Mask(const std::uint8_t* p) const {
        const std::uint64_t mask = RoughMask(p);
        return table_ ? Exactly(p, mask) : mask;
    }

    // Whether RoughMask gives the members only.
    bool Exact() const {
        return !table_;
    }

    // The members among the 64 bytes at p, and, for a set of many ranges, some other
    // bytes close to them.
    std::uint64_t RoughMask(const std::uint8_t* p) const {
        return ForShape(ranges_, singles_, [&]<std::size_t Ranges, bool Bytes>() {
            if constexpr (Ranges == 0) {
                return std::uint64_t{0};
            } else {
                return RangeMask<Ranges, Bytes>(p);
            }
        });
    }

    // The bits of rough (from RoughMask) whose bytes are members.
    std::uint64_t Exactly(const std::uint8_t* p, std::uint64_t rough) const {
        std::uint64_t exact = 0;
        for (std::uint64_t m = rough; m != 0; m &= m - 1) {
            const int k = std::countr_zero(m);
            if (Contains(p[k])) exact |= std::uint64_t{1} << k;
        }
        return exact;
    }

  private:
    friend class ByteSetAvx2;  // the same masks, 32 bytes to an instruction
    static constexpr std::size_t kMaxRanges = 4;

    // False when the set has too many ranges already.
    bool Add(std::uint8_t low, std::uint8_t high) {
        if (ranges_ == kMaxRanges) return false;
        low_[ranges_] = low;
        span_[ranges_] = static_cast<std::uint8_t>(high - low);
        singles_ = singles_ && low == high;
        ++ranges_;
        return true;
    }

    // Bytes: every range is a single byte, compared for equality.
    template <std::size_t Ranges, bool Bytes>
    std::uint64_t RangeMask(const std::uint8_t* p) const {
#ifdef __SSE2__
        __m128i low[Ranges], span[Ranges];
        for (std::size_t r = 0; r < Ranges; ++r) {
            low[r] = _mm_set1_epi8(static_cast<char>(low_[r]));
            span[r] = _mm_set1_epi8(static_cast<char>(span_[r]));
        }
        std::uint64_t mask = 0;
        for (std::size_t part = 0; part < kBlockBytes; part += 16) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + part));
            __m128i in = _mm_setzero_si128();
            for (std::size_t r = 0; r < Ranges; ++r) {
                if (Bytes) {
                    in = _mm_or_si128(in, _mm_cmpeq_epi8(v, low[r]));
                    continue;
                }
                // b - low <= span, unsigned: the minimum of the two is the first.
                const __m128i d = _mm_sub_epi8(v, low[r]);
                in = _mm_or_si128(in, _mm_cmpeq_epi8(_mm_min_epu8(d, span[r]), d));
            }
            mask |= static_cast<std::uint64_t>(static_cast<std::uint16_t>(_mm_movemask_epi8(in)))
                    << part;
        }
        return mask;
#else
        std::uint64_t mask = 0;
        for (std::size_t k = 0; k < kBlockBytes; ++k) {
            bool in = false;
            for (std::size_t r = 0; r < Ranges; ++r)
                in |= static_cast<std::uint8_t>(p[k] - low_[r]) <= span_[r];
            mask |= static_cast<std::uint64_t>(in) << k;
        }
        return mask;
#endif
    }

    std::size_t ranges_ = 0;
    std::array<std::uint8_t, kMaxRanges> low_{}, span_{};
    bool singles_ = true;  // every range is one byte
    // A set of more ranges than are compared at once; shared, since finders copy sets.
    std::shared_ptr<const std::array<bool, 256>> table_;
#ifdef QM_AVX2_KERNELS
    // Its members by shuffles, when they lie within eight rows of sixteen values.
    std::shared_ptr<const avx2::RowLookup> lookup_;
#endif
};

// The block masks of a ByteSet, for the loops written once for every vector level
// (engine/Vector.h): a loop is a template over its masks, always inlined into a
// function of its own for each level, which is compiled for that level. The AVX2
// masks are engine/Avx2.h's.
struct Sse2Masks {
    static constexpr bool kAvx2 = false;
    // A set's masks: Set(set).Mask(p).
    class Set {
      public:
        explicit Set(const ByteSet& set) : set_(set) {}
        std::uint64_t Mask(const std::uint8_t* p) const { return set_.Mask(p); }

      private:
        const ByteSet& set_;
    };
};

// Which bytes of consecutive blocks are second bytes of two-byte characters, when
// the walk from the first byte takes every lead byte that begins a character
// together with the byte after it, whatever that byte is.
//
// The walk's answer for a block follows from its lead bytes with a few word
// operations. After a byte that is not a lead byte a character begins; in a run of
// lead bytes that begins a character, the bytes at an odd distance from the run's
// first byte are second bytes, and so is the byte right after the run when the run
// is odd in length. Adding each run's first bit to the lead bits clears exactly the
// runs that begin on an odd bit, which sorts every byte after a lead byte by the
// parity of its run's beginning.
class TrailBits {
  public:
    // firstIsTrail: the first byte of the first block is a second byte.
    explicit TrailBits(bool firstIsTrail = false) : carry_(firstIsTrail ? 1 : 0) {}

    // The second bytes of the next block, given its lead bytes.
    std::uint64_t Next(std::uint64_t lead) {
        constexpr std::uint64_t kEven = 0x5555555555555555;
        lead &= ~carry_;  // a lead byte that is a second byte begins no run
        const std::uint64_t follows = lead << 1 | carry_;
        const std::uint64_t oddStarts = lead & ~kEven & ~follows;
        const std::uint64_t sums = oddStarts + lead;
        // A run begun on an odd bit that reaches the last bit carries out of the word:
        // its length to the block's end is odd, and the next block starts on a
        // second byte.
        carry_ = sums < lead ? 1 : 0;
        return (kEven ^ (sums << 1)) & follows;
    }

    // Whether the byte after the last block is a second byte.
    bool NextIsTrail() const { return carry_ != 0; }

  private:
    std::uint64_t carry_;
};

// The positions of a text where a character begins with a wanted byte, and, when a
// set of second bytes is given, the byte after it is one of those, in rising order.
// Characters begin where the walk from the first byte (or from the last restart)
// puts them, `lead` telling which bytes take the byte after them.
//
// Blocks are tested for wanted bytes first; only a block that has one needs the
// walk. The walk's state at such a block comes from the block before when that was
// walked, and otherwise from the run of lead bytes just before the block: after a
// byte that is no lead byte a character begins, and through a run of lead bytes
// every other byte begins one. The look back never passes the last block walked,
// so every byte is looked at a bounded number of times.
class StartFinder {
  public:
    StartFinder(std::string_view text, const ByteSet& wanted, const ByteSet& lead)
        : p_(reinterpret_cast<const std::uint8_t*>(text.data())),
          n_(text.size()),
          wanted_(wanted),
          lead_(lead) {
        Compute(0);
    }

    StartFinder(std::string_view text, const ByteSet& wanted, const ByteSet& lead,
                const ByteSet& second)
        : p_(reinterpret_cast<const std::uint8_t*>(text.data())),
          n_(text.size()),
          wanted_(wanted),
          lead_(lead),
          second_(second),
          pairs_(true) {
        Compute(0);
    }

    // The first such position at or after `from`, or the text's size. `from` must
    // not decrease between calls, and never go below the last restart.
    std::size_t Next(std::size_t from) {
        return NextInBlocks(from, n_, block_, bits_, [&](std::size_t at) { Compute(at); });
    }

    // The walk begins afresh at `at`: a character begins there whatever the bytes
    // before it say. Later questions are about positions from `at` on.
    void Restart(std::size_t at) {
        known_ = at;
        knownTrail_ = false;
        Compute(at);
    }

  private:
    void Compute(std::size_t at) {
        std::uint64_t found = 0, lead = 0;
        bool masked = false;  // found and lead hold the block at `at`
#ifdef QM_AVX2_KERNELS
        if (avx2_) masked = Ahead(at, found, lead);
#endif
        block_ = std::min(at, n_);
        bits_ = 0;
        if (at >= n_) return;
        const std::size_t room = n_ - at;
        if (!masked) {
            PaddedBlock padded;
            const std::uint8_t* p = ReadableBlock(p_ + at, room, padded);
#ifdef QM_AVX2_KERNELS
            found = avx2_ ? FoundAvx2(p) : Found(p);
#else
            found = Found(p);
#endif
            if (room < kBlockBytes) found &= (std::uint64_t{1} << room) - 1;
            // The last byte of the text has no byte after it.
            if (pairs_ && room <= kBlockBytes) found &= ~(std::uint64_t{1} << (room - 1));
            if (found == 0) return;
#ifdef QM_AVX2_KERNELS
            lead = avx2_ ? LeadAvx2(p) : lead_.Mask(p);
#else
            lead = lead_.Mask(p);
#endif
        }
        TrailBits trail(TrailAt(at));
        bits_ = found & ~trail.Next(lead);
        known_ = at + std::min(room, kBlockBytes);
        knownTrail_ = trail.NextIsTrail();
    }

#ifdef QM_AVX2_KERNELS
    // The first whole block from `at` on (`at` is moved there) with a wanted byte,
    // and its wanted and lead bytes, from the blocks masked ahead; false at the
    // text's last block. Where the wanted bytes are common, one call to the kernel
    // masks several blocks; where they are rare, it passes over the blocks between.
    bool Ahead(std::size_t& at, std::uint64_t& found, std::uint64_t& lead) {
        for (;;) {
            if (at < aheadAt_ || (at - aheadAt_) % kBlockBytes != 0 ||
                (at - aheadAt_) / kBlockBytes >= ahead_) {
                at = FillAvx2(at);
                if (ahead_ == 0) return false;
            }
            const std::size_t k = (at - aheadAt_) / kBlockBytes;
            if (aheadFound_[k] != 0) {
                found = aheadFound_[k];
                lead = aheadLead_[k];
                return true;
            }
            at += kBlockBytes;
        }
    }
#endif

    // The wanted bytes of the block at p (65 bytes readable) that the pair test lets
    // through.
    std::uint64_t Found(const std::uint8_t* p) const {
        std::uint64_t found = wanted_.RoughMask(p);
        if (pairs_ && found != 0) found &= second_.RoughMask(p + 1);  // the byte after each
        if (found != 0 && !wanted_.Exact()) found = wanted_.Exactly(p, found);
        if (found != 0 && pairs_ && !second_.Exact()) found &= second_.Exactly(p + 1, found);
        return found;
    }

#ifdef QM_AVX2_KERNELS
    // The same and the lead bytes, 32 bytes to an instruction (engine/Avx2Blocks.cpp).
    QM_AVX2 std::uint64_t FoundAvx2(const std::uint8_t* p) const;
    // Passes over the whole blocks from `at` on without a wanted byte, and masks
    // up to kAhead whole blocks from the first with one, which it returns: the
    // blocks masked ahead. None at the text's last block, which it returns then.
    QM_AVX2 std::size_t FillAvx2(std::size_t at);
    QM_AVX2 std::uint64_t LeadAvx2(const std::uint8_t* p) const;
    bool avx2_ = ActiveVectorLevel() == VectorLevel::Avx2;
    static constexpr std::size_t kAhead = 4;
    std::size_t aheadAt_ = 0, ahead_ = 0;  // the blocks masked ahead
    std::uint64_t aheadFound_[kAhead] = {}, aheadLead_[kAhead] = {};
#endif

    // Whether the byte at `at` (no earlier than known_) is a second byte.
    bool TrailAt(std::size_t at) const {
        std::size_t j = at;
        while (j > known_ && lead_.Contains(p_[j - 1]))
            --j;
        const bool trailAtJ = j == known_ && knownTrail_;
        return trailAtJ != ((at - j) % 2 == 1);
    }

    const std::uint8_t* p_;
    std::size_t n_;
    ByteSet wanted_, lead_;
    ByteSet second_;  // pairs_: the bytes that may follow a wanted byte
    bool pairs_ = false;
    std::size_t block_ = 0;    // the block whose positions are in bits_
    std::uint64_t bits_ = 0;   // wanted positions of the block not given yet
    std::size_t known_ = 0;    // the walk is known at this position...
    bool knownTrail_ = false;  // ...and this is whether a second byte stands there
};

// The CR bytes of a text, by the same blocks: with no lead bytes every byte begins
// a character, so no walk is kept. In a text form each ends a line. Most blocks of a
// text hold one, so a block is masked on the spot rather than through a finder.
class LineEnds {
  public:
    explicit LineEnds(std::string_view text)
        : p_(reinterpret_cast<const std::uint8_t*>(text.data())), n_(text.size()) {
        Compute(0);
    }

    // The first CR at or after `from`, which must not decrease, or the text's size.
    std::size_t Next(std::size_t from) {
        return NextInBlocks(from, n_, block_, bits_, [&](std::size_t at) { Compute(at); });
    }

  private:
    void Compute(std::size_t at) {
        for (;;) {
            block_ = std::min(at, n_);
            bits_ = 0;
            if (at >= n_) return;
            const std::size_t room = n_ - at;
            PaddedBlock padded;
            bits_ = Crs(ReadableBlock(p_ + at, room, padded));
            if (room < kBlockBytes) bits_ &= (std::uint64_t{1} << room) - 1;
            if (bits_ != 0 || room <= kBlockBytes) return;
            at += kBlockBytes;
        }
    }

    static std::uint64_t Crs(const std::uint8_t* p) {
#ifdef __SSE2__
        const __m128i cr = _mm_set1_epi8('\r');
        std::uint64_t mask = 0;
        for (std::size_t part = 0; part < kBlockBytes; part += 16) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + part));
            mask |= static_cast<std::uint64_t>(
                        static_cast<std::uint16_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, cr))))
                    << part;
        }
        return mask;
#else
        std::uint64_t mask = 0;
        for (std::size_t k = 0; k < kBlockBytes; ++k)
            mask |= static_cast<std::uint64_t>(p[k] == '\r') << k;
        return mask;
#endif
    }

    const std::uint8_t* p_;
    std::size_t n_;
    std::size_t block_ = 0;   // the block whose CRs are in bits_
    std::uint64_t bits_ = 0;  // its CRs not given yet
};

// The lead bytes of the platform's code page, as CodePageLeadBytes gives them.
inline const ByteSet& LeadByteSet() {
    static const ByteSet lead(CodePageLeadBytes());
    return lead;
}

// The output of a step that copies most of its input and changes a few characters.
// The pieces in between are gathered in a small buffer, since most of them are too
// short to be worth a call to memcpy each; long pieces go to out directly.
class PieceWriter {
  public:
    // Pieces are copied from text; out is replaced.
    PieceWriter(std::string_view text, std::string& out)
        : begin_(text.data()), end_(text.data() + text.size()), out_(out) {
        out_.clear();
    }
    ~PieceWriter() { Flush(); }
    PieceWriter(const PieceWriter&) = delete;
    PieceWriter& operator=(const PieceWriter&) = delete;

    // The text's bytes [from, to).
    void Copy(std::size_t from, std::size_t to) {
        const char* p = begin_ + from;
        const std::size_t n = to - from;
        // Most pieces are short: sixteen bytes are copied, the ones past n are
        // overwritten later.
        if (n <= kShort && used_ + kShort <= kBuffer &&
            end_ - p >= static_cast<std::ptrdiff_t>(kShort)) {
            std::memcpy(buffer_ + used_, p, kShort);
            used_ += n;
            return;
        }
        CopyLong(p, n);
    }

    void Put(char c) {
        Room(1);
        buffer_[used_++] = c;
    }

    // The first `length` (one or two) of the bytes a and b.
    void Put(char a, char b, std::size_t length) {
        Room(2);
        buffer_[used_] = a;
        buffer_[used_ + 1] = b;
        used_ += length;
    }

    // Room for n bytes (up to a quarter of the buffer) written in place: the caller
    // writes them at the place returned, then counts them with Wrote.
    char* Reserve(std::size_t n) {
        Room(n);
        return buffer_ + used_;
    }
    void Wrote(std::size_t n) { used_ += n; }

    void Put(std::string_view bytes) {
        if (bytes.size() > kBuffer / 4) {
            Flush();
            out_.append(bytes);
            return;
        }
        Room(bytes.size());
        std::memcpy(buffer_ + used_, bytes.data(), bytes.size());
        used_ += bytes.size();
    }

    void Flush() {
        out_.append(buffer_, used_);
        used_ = 0;
    }

  private:
    static constexpr std::size_t kShort = 16, kLine = 64, kBuffer = 4096;

    void CopyLong(const char* p, std::size_t n) {
        if (n <= kBuffer / 4) {
            Room(n);
            std::memcpy(buffer_ + used_, p, n);
            used_ += n;
        } else {
            Flush();
            out_.append(p, n);
        }
    }

    void Room(std::size_t n) {
        if (used_ + n > kBuffer) Flush();
    }

    const char* begin_;
    const char* end_;
    std::string& out_;
    char buffer_[kBuffer];
    std::size_t used_ = 0;
};

}  // namespace qm
