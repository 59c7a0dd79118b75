#include "clipboard/WatchClipBoard.h"

#include <string>

#include "base/Exception.h"
#include "clipboard/Clipboard.h"
#include "framework/Application.h"

namespace qm {

// "only one TWatchClipBoard can be placed."
const char TWatchClipBoard::kSecondInstanceError[] =
    "TWatchClipBoard\x82\xcd\x82\xd0\x82\xc6\x82\xc2\x82\xb5\x82\xa9\x94\x7a\x92\x75\x82\xc5\x82"
    "\xab\x82\xdc\x82\xb9"
    "\x82\xf1\x81\x42";

namespace {

TWatchClipBoard* g_registered = nullptr;

}  // namespace

TWatchClipBoard::TWatchClipBoard(TComponent* owner) : TClipboardViewer(owner) {
    if (g_registered) {
        notRegistered_ = true;
        throw Exception(kSecondInstanceError);
    }
    g_registered = this;
    try {
        // Whatever the clipboard held when the program started is not the user's new copy.
        ClearClipboard();
        MakeWindow();
        // Joining sends one notification at once; Watch is still off, so it raises nothing.
        JoinChain();
    } catch (...) {
        Leave();
        throw;
    }
    watch_ = true;
}

TWatchClipBoard::~TWatchClipBoard() {
    Leave();
}

void TWatchClipBoard::Leave() noexcept {
    LeaveChain();
    if (!notRegistered_ && g_registered == this) g_registered = nullptr;
}

void TWatchClipBoard::RaiseEvents() {
    // Each format is asked for when its event is due, after the handlers before it ran.
    if (OnChange) OnChange(this);
    if (OnAddText && ClipboardHasFormat(CF_TEXT)) OnAddText(this);
    if (OnAddBitmap && ClipboardHasFormat(CF_BITMAP)) OnAddBitmap(this);
}

void TWatchClipBoard::Notified() {
    std::string error;
    bool failed = false;
    if (watch_) {
        try {
            RaiseEvents();
        } catch (const std::exception& e) {
            failed = true;
            error = TApplication::ExceptionText(e);
        }
    }
    // The chain hears of the change whatever became of our handlers, and before any
    // box of ours can hold it up; the viewer before us waits on this message until we
    // return.
    PassOn();
    if (failed) Application().ShowErrorLater(error);
}

}  // namespace qm
