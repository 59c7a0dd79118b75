// A second, smaller clipboard viewer with a single event for every change. It joins
// the viewer chain only while a handler is assigned, and by default ignores the
// notification the platform sends while it joins.
#pragma once

#include "clipboard/ClipboardViewer.h"

namespace qm {

class TQzClipDetector : public TClipboardViewer {
  public:
    explicit TQzClipDetector(TComponent* owner) : TClipboardViewer(owner) {}
    // Leaves while the handler it may call is still there.
    ~TQzClipDetector() override { LeaveChain(); }

    bool IgnoreFirst() const { return ignoreFirst_; }
    void SetIgnoreFirst(bool ignore) { ignoreFirst_ = ignore; }

    const Event& OnClipChange() const { return onClipChange_; }
    // Assigning a handler joins the chain; assigning none leaves it.
    void SetOnClipChange(Event handler);

    bool InChain() const { return WindowHandle() != nullptr; }

  protected:
    virtual void ClipChanged();

  private:
    void Notified() override;

    bool ignoreFirst_ = true;
    bool joining_ = false;
    Event onClipChange_;
};

}  // namespace qm
