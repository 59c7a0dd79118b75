// The setters of properties that act (notify, repaint, remake a window) only when
// the value really changes.
#pragma once

#include <utility>

namespace qm {

// Stores `value` in `field`; whether that changed it.
template <typename T, typename V>
bool StoreChange(T& field, V&& value) {
    if (field == value) return false;
    field = std::forward<V>(value);
    return true;
}

}  // namespace qm
