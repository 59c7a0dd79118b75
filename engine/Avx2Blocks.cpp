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

QM_AVX2 std::size_t StartFinder::SkipAvx2(std::size_t at) const {
    // Both sets are made once a call: the second stands in for itself when unused.
    const ByteSetAvx2 wanted(wanted_), second(pairs_ ? second_ : wanted_);
    const ByteSetAvx2* const after = pairs_ ? &second : nullptr;
    // The byte after a block is read too.
    while (at < n_ && n_ - at > kBlockBytes && WantedIn(wanted, after, p_ + at) == 0)
        at += kBlockBytes;
    return at;
}

QM_AVX2 std::uint64_t StartFinder::LeadAvx2(const std::uint8_t* p) const {
    return ByteSetAvx2(lead_).Mask(p);
}

}  // namespace qm

#endif
