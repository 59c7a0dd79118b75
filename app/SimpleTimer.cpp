#include "app/SimpleTimer.h"

#include "framework/SerialRegistry.h"

namespace qm {

namespace {

SerialRegistry<TSimpleTimer>& LiveTimers() {
    static SerialRegistry<TSimpleTimer> timers(0xFFFFFFFF);
    return timers;
}

}  // namespace

// TSimpleTimer

TSimpleTimer::TSimpleTimer() {
    TSimpleTimerHandler::Acquire();
    id_ = LiveTimers().Add(this);
}

TSimpleTimer::TSimpleTimer(std::uint32_t interval, TSimpleTimerEvent onTimer)
    : interval_(interval), onTimer_(std::move(onTimer)) {
    TSimpleTimerHandler::Acquire();
    id_ = LiveTimers().Add(this);
}

TSimpleTimer::~TSimpleTimer() {
    if (enabled_) Stop(true);
    LiveTimers().Remove(static_cast<std::uint32_t>(id_));
    TSimpleTimerHandler::Release();
}

void TSimpleTimer::SetEnabled(bool enabled) {
    if (enabled) {
        Start();
    } else {
        Stop(true);
    }
}

void TSimpleTimer::SetInterval(std::uint32_t interval) {
    if (interval == interval_) return;
    interval_ = interval;
    if (!enabled_) return;
    if (interval_ != 0) {
        Start();
    } else {
        Stop(false);
    }
}

void TSimpleTimer::SetOnTimer(TSimpleTimerEvent onTimer) {
    onTimer_ = std::move(onTimer);
    if (!onTimer_ && enabled_) Stop(false);
}

bool TSimpleTimer::Start() {
    if (interval_ == 0) return false;
    if (enabled_) Stop(true);
    TSimpleTimerHandler* handler = TSimpleTimerHandler::Instance();
    const bool started = handler && SetTimer(handler->Handle(), id_, interval_, nullptr) != 0;
    if (started) enabled_ = true;
    return started;
}

bool TSimpleTimer::Stop(bool disable) {
    if (disable) enabled_ = false;
    TSimpleTimerHandler* handler = TSimpleTimerHandler::Instance();
    return handler && KillTimer(handler->Handle(), id_) != FALSE;
}

TSimpleTimer* TSimpleTimer::Find(UINT_PTR id) {
    if (id > 0xFFFFFFFF) return nullptr;
    return LiveTimers().Find(static_cast<std::uint32_t>(id));
}

// TSimpleTimerHandler

TSimpleTimerHandler::TSimpleTimerHandler() : window_(HandleMessage) {}

TSimpleTimerHandler::~TSimpleTimerHandler() = default;

LRESULT TSimpleTimerHandler::HandleMessage(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
    if (message != WM_TIMER) return DefWindowProcA(window, message, wParam, lParam);
    TSimpleTimer* timer = TSimpleTimer::Find(wParam);
    if (!timer || !timer->OnTimer()) return 0;
    // The callback may destroy its own timer: it runs from a copy.
    const TSimpleTimerEvent onTimer = timer->OnTimer();
    onTimer(timer);
    return 0;
}

}  // namespace qm
