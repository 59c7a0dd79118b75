#include "clipboard/QzClipDetector.h"

#include "base/Exception.h"
#include "framework/Messages.h"

namespace qm {

TQzClipDetector::TQzClipDetector(TComponent* owner) : TComponent(owner) {}

TQzClipDetector::~TQzClipDetector() {
    Leave();
}

void TQzClipDetector::Leave() noexcept {
    chain_.Leave();
    window_.reset();
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
        throw Exception(kClipWatchWindowMessage);
    }
    onClipChange_ = std::move(handler);
    joining_ = true;
    chain_.Join(window_->Handle());
    joining_ = false;
}

void TQzClipDetector::ClipChanged() {
    if (onClipChange_) onClipChange_(this);
}

LRESULT TQzClipDetector::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_DRAWCLIPBOARD) return chain_.OtherMessage(window, message, wParam, lParam);
    if (ignoreFirst_ && joining_) {
        chain_.PassOnChange();
        return 0;
    }
    // The chain hears of the change even when our handler fails.
    struct PassOn {
        const ViewerChain& chain;
        ~PassOn() { chain.PassOnChange(); }
    } passOn{chain_};
    ClipChanged();
    return 0;
}

}  // namespace qm
