// Which vector instructions the steps use. SSE2 is part of every x86_64 processor
// and the block masks always use it; the steps with AVX2 kernels use them where the
// processor has AVX2, chosen once at run time, so that one build (the static Windows
// program among them) runs on any x86_64. Elsewhere only the first level exists.
#pragma once

namespace qm {

enum class VectorLevel { Sse2, Avx2 };

// The level the steps use: the best this processor has, unless forced lower.
VectorLevel ActiveVectorLevel();

// Whether this processor and build can run the level.
bool VectorLevelAvailable(VectorLevel level);

// While it lives, the steps use `level` (one that is available): tests and fuzz
// targets hold every kernel against the plain steps, whatever the machine prefers.
class ForceVectorLevel {
  public:
    explicit ForceVectorLevel(VectorLevel level);
    ~ForceVectorLevel();
    ForceVectorLevel(const ForceVectorLevel&) = delete;
    ForceVectorLevel& operator=(const ForceVectorLevel&) = delete;

  private:
    VectorLevel previous_;
};

}  // namespace qm

// Functions that use AVX2 are compiled for it one by one, so that the rest of the
// program runs on processors without it; they run only at VectorLevel::Avx2.
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define QM_AVX2_KERNELS 1
#define QM_AVX2 __attribute__((target("avx2,popcnt")))
#endif
