#include "unicode/HugePages.h"

#include <cstdint>

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace qm {

void AdviseHugePages([[maybe_unused]] void* data, [[maybe_unused]] std::size_t bytes) {
#ifdef __linux__
    // Only the huge pages that lie wholly inside the buffer; the advice is a hint,
    // and a system without them goes on with small pages.
    constexpr std::uintptr_t kHuge = std::uintptr_t{1} << 21;
    if (bytes < 2 * kHuge) return;
    const auto begin = (reinterpret_cast<std::uintptr_t>(data) + kHuge - 1) & ~(kHuge - 1);
    const auto end = (reinterpret_cast<std::uintptr_t>(data) + bytes) & ~(kHuge - 1);
    if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#endif
}

}  // namespace qm
