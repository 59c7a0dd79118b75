// The vector levels this processor runs, lowest first: a test of steps with vector
// kernels runs once at each, the level forced.
#pragma once

#include <string>
#include <vector>

#include "engine/Vector.h"

namespace qm::testing {

inline std::vector<VectorLevel> AvailableVectorLevels() {
    std::vector<VectorLevel> levels;
    for (const VectorLevel level : {VectorLevel::Sse2, VectorLevel::Avx2}) {
        if (VectorLevelAvailable(level)) levels.push_back(level);
    }
    return levels;
}

inline std::string LevelName(VectorLevel level) {
    return level == VectorLevel::Avx2 ? "AVX2" : "SSE2";
}

}  // namespace qm::testing
