// Live objects by small serial numbers, for platform messages that carry a number
// where an object is meant (a timer, a tray icon, a menu entry): a number is not
// handed out again while its object lives, so a message for an object that has gone
// finds nothing instead of a newcomer at the same address.
#pragma once

#include <cstdint>
#include <unordered_map>

#include "base/Exception.h"
#include "framework/Messages.h"

namespace qm {

template <typename Object>
class SerialRegistry {
  public:
    // Numbers run from 1 to last and then start again at 1, skipping live ones.
    explicit SerialRegistry(std::uint32_t last) : last_(last) {}

    std::uint32_t Add(Object* object) {
        if (objects_.size() >= last_) throw Exception(kNoFreeIdentifierMessage);
        do {
            next_ = next_ % last_ + 1;
        } while (objects_.count(next_));
        objects_[next_] = object;
        return next_;
    }
    void Remove(std::uint32_t id) { objects_.erase(id); }
    Object* Find(std::uint32_t id) const {
        const auto it = objects_.find(id);
        return it == objects_.end() ? nullptr : it->second;
    }

  private:
    std::unordered_map<std::uint32_t, Object*> objects_;
    std::uint32_t last_;
    std::uint32_t next_ = 0;
};

}  // namespace qm
