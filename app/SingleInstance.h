// One running instance per program file name, through a named mutex.
#pragma once

#include <windows.h>

#include <string>

namespace qm {

class SingleInstance {
  public:
    // Creates the mutex of that name, or opens the one a running instance holds: in
    // one step, so that two starts at the same moment cannot both miss the other.
    // Raises Exception when no mutex can be had (a kernel object of another kind
    // under the name, no rights): that is no reason to run a second instance.
    explicit SingleInstance(const std::string& name);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // Another instance already holds the name; this one keeps no handle then.
    bool AlreadyRunning() const { return handle_ == nullptr; }

  private:
    HANDLE handle_ = nullptr;
};

}  // namespace qm
