#include "framework/Memo.h"

namespace qm {

TMemo::TMemo(TComponent* owner) : TEdit(owner) {
    width_ = 185;
    height_ = 89;
}

void TMemo::CreateParams(TCreateParams& p) {
    TEdit::CreateParams(p);
    // Lines break at the box's width, so no line scrolls sideways.
    p.Style &= ~static_cast<DWORD>(ES_AUTOHSCROLL);
    p.Style |= ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL | WS_VSCROLL;
}

}  // namespace qm
