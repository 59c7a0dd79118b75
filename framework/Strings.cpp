#include "framework/Strings.h"

#include "base/Exception.h"

namespace qm {

void TStringList::Check(int index, int limit) const {
    if (index < 0 || index >= limit) throw Exception(ListIndexErrorMessage(index));
}

const std::string& TStringList::Get(int index) const {
    Check(index, Count());
    return items_[static_cast<std::size_t>(index)];
}

void TStringList::Put(int index, std::string s) {
    Check(index, Count());
    items_[static_cast<std::size_t>(index)] = std::move(s);
}

void TStringList::Insert(int index, std::string s) {
    Check(index, Count() + 1);
    items_.insert(items_.begin() + index, std::move(s));
}

void TStringList::Delete(int index) {
    Check(index, Count());
    items_.erase(items_.begin() + index);
}

}  // namespace qm
