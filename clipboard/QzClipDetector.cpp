#include "clipboard/QzClipDetector.h"

#include "framework/Exception.h"

namespace qm {

const char TQzClipDetector::kWindowError[] =
    "TQzClipDetector.SetOnClipChange: Cannot Allocate HWnd";

TQzClipDetector::TQzClipDetector(TComponent* owner) : TComponent(owner) {}

TQzClipDetector::~TQzClipDetector() {
    Leave();
}

void TQzClipDetector::Leave() noexcept {
    if (!window_) return;
    ChangeClipboardChain(window_->Handle(), nextViewer_);
    window_.reset();
    nextViewer_ = nullptr;
}

void TQzClipDetector::SetOnClipChange(Event handler) {
    if (!handler) {
        Leave();
        onClipChange_ = nullptr;
        return;
    }
    if (window_) {
        onClipChange_ = std::move(handler);
        return;
    }
    try {
        window_ = std::make_unique<MessageWindow>(
            [this](HWND w, UINT m, WPARAM wp, LPARAM lp) { return HandleMessage(w, m, wp, lp); });
    } catch (const Exception&) {
        throw Exception(kWindowError);
    }
    onClipChange_ = std::move(handler);
    joining_ = true;
    nextViewer_ = SetClipboardViewer(window_->Handle());
    joining_ = false;
}

void TQzClipDetector::ClipChanged() {
    if (onClipChange_) onClipChange_(this);
}

LRESULT TQzClipDetector::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_DRAWCLIPBOARD:
            if (!(ignoreFirst_ && joining_)) {
                // The chain hears of the change even when our handler fails.
                struct PassOn {
                    HWND next;
                    ~PassOn() {
                        if (next) SendMessageA(next, WM_DRAWCLIPBOARD, 0, 0);
                    }
                } passOn{nextViewer_};
                ClipChanged();
                return 0;
            }
            if (nextViewer_) SendMessageA(nextViewer_, WM_DRAWCLIPBOARD, 0, 0);
            return 0;
        case WM_CHANGECBCHAIN:
            if (reinterpret_cast<HWND>(wParam) == nextViewer_) {
                nextViewer_ = reinterpret_cast<HWND>(lParam);
                return 0;
            }
            return nextViewer_ ? SendMessageA(nextViewer_, WM_CHANGECBCHAIN, wParam, lParam) : 0;
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace qm
