// What the two clipboard viewers share: a message window of their own in the
// clipboard-viewer chain. Every message but the change notice goes to the chain;
// the notice goes to Notified, which must pass it on to the next viewer.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>

#include "clipboard/ViewerChain.h"
#include "framework/Component.h"
#include "framework/MessageWindow.h"

namespace qm {

class TClipboardViewer : public TComponent {
  public:
    using Event = std::function<void(TComponent* sender)>;

    // Each viewer leaves in its own destructor already, before what Notified uses
    // is gone.
    ~TClipboardViewer() override { LeaveChain(); }

    HWND WindowHandle() const { return window_ ? window_->Handle() : nullptr; }
    HWND NextViewer() const { return chain_.Next(); }

  protected:
    explicit TClipboardViewer(TComponent* owner) : TComponent(owner) {}

    // Raises Exception when the platform refuses the window.
    void MakeWindow();
    // The platform sends a change notice meanwhile.
    void JoinChain() { chain_.Join(window_->Handle()); }
    void LeaveChain() noexcept;

    virtual void Notified() = 0;
    void PassOn() const { chain_.PassOnChange(); }

  private:
    LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    ViewerChain chain_;
    std::unique_ptr<MessageWindow> window_;
};

}  // namespace qm
