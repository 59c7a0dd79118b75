// The multi-line edit box: an edit whose text runs over several lines, broken at the
// box's width, with a vertical scroll bar. Enter starts a new line instead of clicking
// the dialog's default button.
#pragma once

#include "framework/StdCtrls.h"

namespace qm {

class TMemo : public TEdit {
  public:
    explicit TMemo(TComponent* owner);

  protected:
    void CreateParams(TCreateParams& params) override;
};

}  // namespace qm
