// Lightweight timers without a window of their own. Every timer of the process runs
// on one shared hidden window, TSimpleTimerHandler, which lives from the first
// timer's construction to the last one's destruction and calls the callback of the
// timer a tick belongs to.
//
// A platform timer identifier is a small serial number, not the timer's address: the
// shared window looks it up among the live timers, so that a tick still queued for a
// timer that has gone meanwhile is dropped, and an identifier is never handed to a
// second timer while ticks for the first could still be on their way.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>

#include "app/SharedWindow.h"
#include "framework/MessageWindow.h"

namespace qm {

class TSimpleTimer;

using TSimpleTimerEvent = std::function<void(TSimpleTimer* sender)>;

class TSimpleTimer {
  public:
    // Interval 1000 ms, no callback, not running.
    TSimpleTimer();
    // Not running either.
    TSimpleTimer(std::uint32_t interval, TSimpleTimerEvent onTimer);
    ~TSimpleTimer();
    TSimpleTimer(const TSimpleTimer&) = delete;
    TSimpleTimer& operator=(const TSimpleTimer&) = delete;

    // The platform timer identifier on the shared window.
    UINT_PTR Id() const { return id_; }

    // True while the timer is meant to run; it may be paused meanwhile (see
    // SetInterval and SetOnTimer).
    bool Enabled() const { return enabled_; }
    // True starts the timer (Start), False stops it for good.
    void SetEnabled(bool enabled);
    std::uint32_t Interval() const { return interval_; }
    // The same value changes nothing. Another one, while enabled, starts a full new
    // period; 0 pauses the platform timer but leaves the timer enabled.
    void SetInterval(std::uint32_t interval);
    const TSimpleTimerEvent& OnTimer() const { return onTimer_; }
    // An empty callback pauses an enabled timer (it stays enabled); setting one again
    // does not resume it, a new interval does.
    void SetOnTimer(TSimpleTimerEvent onTimer);

    // Starts a full new period; False (and nothing changed) when the interval is 0 or
    // the platform refuses the timer.
    bool Start();
    // Kills the platform timer, and with disable also clears Enabled; answers whether
    // the platform had the timer.
    bool Stop(bool disable);

    // The live timer with that identifier, or null.
    static TSimpleTimer* Find(UINT_PTR id);

  private:
    UINT_PTR id_ = 0;
    bool enabled_ = false;
    std::uint32_t interval_ = 1000;
    TSimpleTimerEvent onTimer_;
};

// The hidden window all timers share; at most one per process, there while a timer is.
class TSimpleTimerHandler : public SharedWindow<TSimpleTimerHandler> {
  public:
    ~TSimpleTimerHandler();

    HWND Handle() const { return window_.Handle(); }

  private:
    friend class SharedWindow<TSimpleTimerHandler>;
    friend class TSimpleTimer;
    TSimpleTimerHandler();
    static LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    MessageWindow window_;
};

}  // namespace qm
