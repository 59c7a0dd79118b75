#include "clipboard/QzClipDetector.h"

#include "base/Exception.h"
#include "framework/Messages.h"

namespace qm {

void TQzClipDetector::SetOnClipChange(Event handler) {
    if (!handler) {
        LeaveChain();
        onClipChange_ = nullptr;
        return;
    }
    if (InChain()) {
        onClipChange_ = std::move(handler);
        return;
    }
    try {
        MakeWindow();
    } catch (const Exception&) {
        throw Exception(kClipWatchWindowMessage);
    }
    onClipChange_ = std::move(handler);
    joining_ = true;
    JoinChain();
    joining_ = false;
}

void TQzClipDetector::ClipChanged() {
    if (onClipChange_) onClipChange_(this);
}

void TQzClipDetector::Notified() {
    // The chain hears of the change even when our handler fails.
    struct PassOnAfter {
        const TQzClipDetector& detector;
        ~PassOnAfter() { detector.PassOn(); }
    } passOn{*this};
    if (!(ignoreFirst_ && joining_)) ClipChanged();
}

}  // namespace qm
