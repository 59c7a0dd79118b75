// A hidden window that only receives messages, for components without a window of
// their own (the clipboard viewers, the timers, the tray icons). Its procedure is
// bound to the object at WM_NCCREATE and unbound at WM_NCDESTROY; whatever the
// handler throws goes to the application's error display.
//
// WM_CLOSE, which "close all windows" tools and taskkill post to every window of a
// process, never reaches the default procedure: it would destroy the window behind
// its component's back (a clipboard viewer would vanish without leaving the chain).
#pragma once

#include <windows.h>

#include <functional>

namespace qm {

class MessageWindow {
  public:
    using Handler = std::function<LRESULT(HWND window, UINT message, WPARAM wParam, LPARAM lParam)>;

    // Whether the handler sees WM_CLOSE; otherwise the window ignores it.
    enum class CloseRequests { Ignored, Handled };

    // Raises Exception when the platform refuses the window.
    explicit MessageWindow(Handler handler, CloseRequests close = CloseRequests::Ignored);
    ~MessageWindow();
    MessageWindow(const MessageWindow&) = delete;
    MessageWindow& operator=(const MessageWindow&) = delete;

    HWND Handle() const { return handle_; }

  private:
    static LRESULT CALLBACK WindowProc(HWND, UINT, WPARAM, LPARAM) noexcept;

    Handler handler_;
    CloseRequests close_;
    HWND handle_ = nullptr;
};

}  // namespace qm
