// The AVX2 masks of the walkers in engine/SjisBlocks.h.
#include "engine/Avx2.h"

#ifdef QM_AVX2_KERNELS

namespace qm {

namespace {

// As Found: the byte-by-byte look of a set of many ranges only at what is left.
QM_AVX2 inline std::uint64_t WantedIn(const ByteSetAvx2& wanted, const ByteSetAvx2* second,
                                      const std::uint8_t* p) {
    std::uint64_t found = wanted.RoughMask(p);
    if (found == 0) return 0;
    if (second) found &= second->RoughMask(p + 1);  // the byte after each
    if (found != 0 && !wanted.Exact()) found = wanted.Exactly(p, found);
    if (found != 0 && second && !second->Exact()) found &= second->Exactly(p + 1, found);
    return found;
}

}  // namespace

QM_AVX2 std::uint64_t StartFinder::FoundAvx2(const std::uint8_t* p) const {
    const ByteSetAvx2 wanted(wanted_);
    if (!pairs_) return WantedIn(wanted, nullptr, p);
    const ByteSetAvx2 second(second_);
    return WantedIn(wanted, &second, p);
}

// Flattened: the shape's loop is compiled for AVX2 only where it is inlined here.
QM_AVX2 __attribute__((flatten)) std::size_t StartFinder::FillAvx2(std::size_t at) {
    // Both sets are made once a call: the second stands in for itself when unused.
    const ByteSetAvx2 wanted(wanted_), second(pairs_ ? second_ : wanted_);
    const ByteSetAvx2* const after = pairs_ ? &second : nullptr;
    // The byte after a block is read too.
    const auto whole = [&](std::size_t blocks) {
        return at < n_ && n_ - at > blocks * kBlockBytes;
    };
    ahead_ = 0;
    aheadAt_ = at;
    // The next block on its own first: where the wanted bytes are common, it holds one.
    std::uint64_t found = 0;
    if (!whole(1)) return at;
    if ((found = WantedIn(wanted, after, p_ + at)) == 0) {
        at += kBlockBytes;
        // Then four blocks to a test while none holds a wanted byte even roughly,
        // which is how most of a text passes a step whose bytes are rare.
        ForShape(wanted.Ranges(), wanted.Singles(), [&]<std::size_t Ranges, bool Bytes>() QM_AVX2 {
            if constexpr (Ranges > 0) {
                for (; whole(4); at += 4 * kBlockBytes) {
                    const std::uint8_t* p = p_ + at;
                    __m256i any = wanted.In<Ranges, Bytes>(avx2::Load(p));
                    for (std::size_t k = 1; k < 8; ++k)
                        any =
                            _mm256_or_si256(any, wanted.In<Ranges, Bytes>(avx2::Load(p + 32 * k)));
                    if (!_mm256_testz_si256(any, any)) break;
                }
            }
        });
        for (; whole(1); at += kBlockBytes) {
            if ((found = WantedIn(wanted, after, p_ + at)) != 0) break;
        }
        aheadAt_ = at;
        if (found == 0) return at;
    }
    const ByteSetAvx2 lead(lead_);
    aheadFound_[0] = found;
    aheadLead_[0] = lead.Mask(p_ + at);
    for (ahead_ = 1; ahead_ < kAhead && n_ - at > (ahead_ + 1) * kBlockBytes; ++ahead_) {
        const std::uint8_t* p = p_ + at + ahead_ * kBlockBytes;
        aheadFound_[ahead_] = WantedIn(wanted, after, p);
        aheadLead_[ahead_] = aheadFound_[ahead_] != 0 ? lead.Mask(p) : 0;
    }
    return at;
}

QM_AVX2 std::uint64_t StartFinder::LeadAvx2(const std::uint8_t* p) const {
    return ByteSetAvx2(lead_).Mask(p);
}

}  // namespace qm

#endif
