// A second, smaller clipboard viewer with a single event for every change. It joins
// the viewer chain only while a handler is assigned, and by default ignores the
// notification the platform sends while it joins.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>

#include "clipboard/ViewerChain.h"
#include "framework/Component.h"
#include "framework/MessageWindow.h"

namespace qm {

class TQzClipDetector : public TComponent {
  public:
    using Event = std::function<void(TComponent* sender)>;

    explicit TQzClipDetector(TComponent* owner);
    ~TQzClipDetector() override;

    bool IgnoreFirst() const { return ignoreFirst_; }
    void SetIgnoreFirst(bool ignore) { ignoreFirst_ = ignore; }

    const Event& OnClipChange() const { return onClipChange_; }
    // Assigning a handler joins the chain; assigning none leaves it.
    void SetOnClipChange(Event handler);

    bool InChain() const { return window_ != nullptr; }
    HWND NextViewer() const { return chain_.Next(); }

  protected:
    virtual void ClipChanged();

  private:
    LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Leave() noexcept;

    bool ignoreFirst_ = true;
    bool joining_ = false;
    Event onClipChange_;
    ViewerChain chain_;
    std::unique_ptr<MessageWindow> window_;
};

}  // namespace qm
