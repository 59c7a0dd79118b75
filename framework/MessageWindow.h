// A hidden window that only receives messages, for components without a window of
// their own (the clipboard viewers, the timers, the tray icons). Its procedure is
// bound to the object at WM_NCCREATE and unbound at WM_NCDESTROY; whatever the
// handler throws goes to the application's error display.
#pragma once

#include <windows.h>

#include <functional>

namespace qm {

class MessageWindow {
  public:
    using Handler = std::function<LRESULT(HWND window, UINT message, WPARAM wParam, LPARAM lParam)>;

    // Raises Exception when the platform refuses the window.
    explicit MessageWindow(Handler handler);
    ~MessageWindow();
    MessageWindow(const MessageWindow&) = delete;
    MessageWindow& operator=(const MessageWindow&) = delete;

    HWND Handle() const { return handle_; }

  private:
    static LRESULT CALLBACK WindowProc(HWND, UINT, WPARAM, LPARAM) noexcept;

    Handler handler_;
    HWND handle_ = nullptr;
};

}  // namespace qm
