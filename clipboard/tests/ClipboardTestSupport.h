// Helpers for tests that run a real clipboard-viewer chain inside the test process.
#pragma once

#include <windows.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <string>

#include "clipboard/Clipboard.h"
#include "framework/Application.h"
#include "framework/MessageWindow.h"

namespace qm {

inline bool PumpUntil(const std::function<bool()>& done, int milliseconds = 3000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        Application().ProcessMessages();
        Sleep(5);
    }
    return true;
}

inline void Settle() {
    PumpUntil([] { return false; }, 300);
}

// Another member of the chain, behaving as a well-mannered viewer does.
class OtherViewer {
  public:
    OtherViewer()
        : window_([this](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
              if (m == WM_DRAWCLIPBOARD) {
                  ++draws;
                  if (next_) SendMessageA(next_, m, wp, lp);
                  return 0;
              }
              if (m == WM_CHANGECBCHAIN) {
                  if (reinterpret_cast<HWND>(wp) == next_) {
                      next_ = reinterpret_cast<HWND>(lp);
                  } else if (next_) {
                      SendMessageA(next_, m, wp, lp);
                  }
                  return 0;
              }
              return DefWindowProcA(w, m, wp, lp);
          }) {
        next_ = SetClipboardViewer(window_.Handle());
    }
    ~OtherViewer() { Leave(); }
    void Leave() {
        if (joined_) ChangeClipboardChain(window_.Handle(), next_);
        joined_ = false;
    }
    HWND Handle() const { return window_.Handle(); }
    HWND Next() const { return next_; }
    int draws = 0;

  private:
    MessageWindow window_;
    HWND next_ = nullptr;
    bool joined_ = true;
};

inline void PutText(const std::string& text) {
    ClipboardOpening opening;
    opening.EmptyOnce();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    memcpy(GlobalLock(block), text.c_str(), text.size() + 1);
    GlobalUnlock(block);
    SetClipboardData(CF_TEXT, block);
}

}  // namespace qm
