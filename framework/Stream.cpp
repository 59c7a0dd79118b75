#include "framework/Stream.h"

#include <algorithm>
#include <cstring>

namespace qm {

std::size_t TMemoryStream::Read(void* buffer, std::size_t count) {
    const auto pos = static_cast<std::size_t>(position_);
    if (pos >= data_.size()) return 0;
    const std::size_t n = std::min(count, data_.size() - pos);
    std::memcpy(buffer, data_.data() + pos, n);
    position_ += static_cast<std::int64_t>(n);
    return n;
}

std::size_t TMemoryStream::Write(const void* buffer, std::size_t count) {
    const auto pos = static_cast<std::size_t>(position_);
    if (data_.size() < pos + count) data_.resize(pos + count);
    std::memcpy(data_.data() + pos, buffer, count);
    position_ += static_cast<std::int64_t>(count);
    return count;
}

}  // namespace qm
