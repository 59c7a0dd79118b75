// The AVX2 masks of the walkers in engine/SjisBlocks.h.
#include "engine/Avx2.h"

#include <optional>

#ifdef QM_AVX2_KERNELS

namespace qm {

// As Found: the byte-by-byte look of a set of many ranges only at what is left.
QM_AVX2 std::uint64_t StartFinder::FoundAvx2(const std::uint8_t* p) const {
    const ByteSetAvx2 wanted(wanted_);
    std::uint64_t found = wanted.RoughMask(p);
    if (found == 0) return 0;
    std::optional<ByteSetAvx2> second;
    if (pairs_) {
        second.emplace(second_);
        found &= second->RoughMask(p + 1);  // the byte after each
    }
    if (found != 0 && !wanted.Exact()) found = wanted.Exactly(p, found);
    if (found != 0 && second && !second->Exact()) found &= second->Exactly(p + 1, found);
    return found;
}

QM_AVX2 std::uint64_t StartFinder::LeadAvx2(const std::uint8_t* p) const {
    return ByteSetAvx2(lead_).Mask(p);
}

}  // namespace qm

#endif
