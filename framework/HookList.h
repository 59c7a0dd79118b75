// Handlers that see messages before their window does, each removed by the id that
// adding it gave.
#pragma once

#include <utility>
#include <vector>

namespace qm {

template <class Hook>
class HookList {
  public:
    using Entries = std::vector<std::pair<int, Hook>>;

    int Add(Hook hook) {
        hooks_.emplace_back(nextId_, std::move(hook));
        return nextId_++;
    }

    void Remove(int id) {
        std::erase_if(hooks_, [id](const auto& h) { return h.first == id; });
    }

    // The hooks in the order they were added, as a copy to call them from: a hook may
    // add or remove hooks, itself included, while it runs.
    Entries Snapshot() const { return hooks_; }

  private:
    Entries hooks_;
    int nextId_ = 1;
};

}  // namespace qm
