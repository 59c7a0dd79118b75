// The AVX2 masks of the walkers in engine/SjisBlocks.h.
#include "engine/Avx2.h"

#ifdef QM_AVX2_KERNELS

namespace qm {

QM_AVX2 std::uint64_t StartFinder::FoundAvx2(const std::uint8_t* p) const {
    std::uint64_t found = ByteSetAvx2(wanted_).Mask(p);
    if (pairs_ && found != 0) found &= ByteSetAvx2(second_).Mask(p + 1);  // the byte after each
    return found;
}

QM_AVX2 std::uint64_t StartFinder::LeadAvx2(const std::uint8_t* p) const {
    return ByteSetAvx2(lead_).Mask(p);
}

}  // namespace qm

#endif
