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
        if (next_) Send(WM_DRAWCLIPBOARD, 0, 0);
    }

    // WM_CHANGECBCHAIN: `leaving` leaves and `after` took its place.
    LRESULT Repair(WPARAM leaving, LPARAM after) {
        if (reinterpret_cast<HWND>(leaving) == next_) {
            next_ = reinterpret_cast<HWND>(after);
            return 0;
        }
        return next_ ? Send(WM_CHANGECBCHAIN, leaving, after) : 0;
    }

    // Every message but the change notice: the chain's repairs, and the platform's
    // handling of the rest.
    LRESULT OtherMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_CHANGECBCHAIN) return Repair(wParam, lParam);
        return DefWindowProcA(window, message, wParam, lParam);
    }

    // How long a viewer further down may keep us waiting: a hung one must not freeze
    // us, nor through us every viewer before us.
    static constexpr UINT kPassOnTimeoutMs = 3000;

  private:
    LRESULT Send(UINT message, WPARAM wParam, LPARAM lParam) const {
        DWORD_PTR result = 0;
        SendMessageTimeoutA(next_, message, wParam, lParam, SMTO_ABORTIFHUNG, kPassOnTimeoutMs,
                            &result);
        return static_cast<LRESULT>(result);
    }

    HWND window_ = nullptr;
    HWND next_ = nullptr;
};

}  // namespace qm
