#include "base/LargePages.h"

#include <cstdint>

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace qm {

void PreferLargePages(std::string& buffer) {
    PreferLargePages(buffer.data(), buffer.capacity());
}

void MoveToLargePages(std::string& buffer, std::size_t capacity) {
    std::string bigger;
    bigger.reserve(capacity);
    PreferLargePages(bigger);
    bigger.append(buffer);
    buffer.swap(bigger);
}

void PreferLargePages([[maybe_unused]] void* data, [[maybe_unused]] std::size_t bytes) {
#ifdef __linux__
    // Only what is worth a large page of 2 MB, and only the whole pages inside the
    // buffer: the allocator's own bytes around it stay as they are.
    constexpr std::uintptr_t kPage = 4096, kLargePage = 2 << 20;
    if (bytes < 2 * kLargePage) return;
    const auto begin = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t first = (begin + kPage - 1) & ~(kPage - 1);
    const std::uintptr_t last = (begin + bytes) & ~(kPage - 1);
    // A hint: where it is refused, the pages are small ones as before.
    madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
#endif
}

}  // namespace qm
