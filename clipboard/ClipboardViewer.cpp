#include "clipboard/ClipboardViewer.h"

namespace qm {

void TClipboardViewer::MakeWindow() {
    window_ = std::make_unique<MessageWindow>(
        [this](HWND w, UINT m, WPARAM wp, LPARAM lp) { return HandleMessage(w, m, wp, lp); });
}

void TClipboardViewer::LeaveChain() noexcept {
    chain_.Leave();
    window_.reset();
}

LRESULT TClipboardViewer::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_DRAWCLIPBOARD) return chain_.OtherMessage(window, message, wParam, lParam);
    Notified();
    return 0;
}

}  // namespace qm
