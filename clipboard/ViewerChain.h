// A window's place in the clipboard-viewer chain: the viewer after it, to which every
// change notice is passed on, and the chain's repair when a viewer leaves.
#pragma once

#include <windows.h>

namespace qm {

class ViewerChain {
  public:
    // Joins the chain at its head; the platform sends a change notice meanwhile.
    void Join(HWND window) {
        window_ = window;
        next_ = SetClipboardViewer(window);
    }
    void Leave() noexcept {
        if (window_) ChangeClipboardChain(window_, next_);
        window_ = next_ = nullptr;
    }
    HWND Next() const { return next_; }

    void PassOnChange() const {
        if (next_) SendMessageA(next_, WM_DRAWCLIPBOARD, 0, 0);
    }

    // WM_CHANGECBCHAIN: `leaving` leaves and `after` took its place.
    LRESULT Repair(WPARAM leaving, LPARAM after) {
        if (reinterpret_cast<HWND>(leaving) == next_) {
            next_ = reinterpret_cast<HWND>(after);
            return 0;
        }
        return next_ ? SendMessageA(next_, WM_CHANGECBCHAIN, leaving, after) : 0;
    }

  private:
    HWND window_ = nullptr;
    HWND next_ = nullptr;
};

}  // namespace qm
