// A member of the clipboard-viewer chain that turns the chain's notifications into
// events: one for every change, one when the clipboard then holds text, one when it
// holds a bitmap. It keeps the chain intact by passing every notification on and by
// following the chain's repair messages. One instance per process.
#pragma once

#include "clipboard/ClipboardViewer.h"

namespace qm {

class TWatchClipBoard : public TClipboardViewer {
  public:
    // Empties the clipboard and joins the chain. Raises when another instance is
    // registered ("only one TWatchClipBoard can be placed.", in Japanese) or the clipboard
    // cannot be opened.
    explicit TWatchClipBoard(TComponent* owner);
    ~TWatchClipBoard() override;

    bool Watch() const { return watch_; }
    void SetWatch(bool watch) { watch_ = watch; }

    Event OnAddBitmap;
    Event OnAddText;
    Event OnChange;

    static const char kSecondInstanceError[];

  private:
    void Notified() override;
    void RaiseEvents();
    void Leave() noexcept;

    bool watch_ = false;
    bool notRegistered_ = false;
};

}  // namespace qm
