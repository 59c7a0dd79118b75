#include "engine/Vector.h"

#include <stdexcept>

namespace qm {

namespace {

VectorLevel Detect() {
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
    // The AVX2 kernels count bits with POPCNT, which every AVX2 processor has; the
    // check also asks the system whether it saves the wide registers.
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("popcnt"))
        return VectorLevel::Avx2;
#endif
    return VectorLevel::Sse2;
}

VectorLevel& Active() {
    static VectorLevel level = Detect();
    return level;
}

}  // namespace

VectorLevel ActiveVectorLevel() {
    return Active();
}

bool VectorLevelAvailable(VectorLevel level) {
    static const VectorLevel best = Detect();
    return level <= best;
}

ForceVectorLevel::ForceVectorLevel(VectorLevel level) : previous_(Active()) {
    if (!VectorLevelAvailable(level)) throw std::invalid_argument("vector level not available");
    Active() = level;
}

ForceVectorLevel::~ForceVectorLevel() {
    Active() = previous_;
}

}  // namespace qm
