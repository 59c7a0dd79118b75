// The one hidden window that every component of a kind shares (the timers', the tray
// icons'): made for the first component that acquires it, destroyed when the last one
// releases it, or at program end if a component outlives main.
#pragma once

#include <memory>

namespace qm {

// Handler derives from SharedWindow<Handler>, keeps its constructor private and
// befriends SharedWindow<Handler>.
template <class Handler>
class SharedWindow {
  public:
    // The shared window's handler, or null while no component holds it.
    static Handler* Instance() { return Slot().get(); }
    int RefCount() const { return refCount_; }

    SharedWindow(const SharedWindow&) = delete;
    SharedWindow& operator=(const SharedWindow&) = delete;

  protected:
    SharedWindow() = default;
    ~SharedWindow() = default;

    // Creates the window when there is none and adds a reference to it.
    static void Acquire() {
        auto& handler = Slot();
        if (!handler) handler.reset(new Handler());
        ++Counted(*handler).refCount_;
    }

    // Removes a reference (not below 0); the last one destroys the window.
    static void Release() {
        auto& handler = Slot();
        if (!handler) return;
        int& count = Counted(*handler).refCount_;
        if (count > 0) --count;
        if (count == 0) handler.reset();
    }

  private:
    static std::unique_ptr<Handler>& Slot() {
        static std::unique_ptr<Handler> handler;
        return handler;
    }
    static SharedWindow& Counted(Handler& handler) { return handler; }

    int refCount_ = 0;
};

}  // namespace qm
