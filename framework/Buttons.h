// The speed button: a graphic (windowless, never focused) button that paints itself
// on its parent, shows itself pressed while the left button is held on it, and
// raises OnClick when the button is released over it.
#pragma once

#include "framework/Control.h"

namespace qm {

class TSpeedButton : public TGraphicControl {
  public:
    explicit TSpeedButton(TComponent* owner);

    // The left mouse button is held down on the button (and the pointer is on it).
    bool Pressed() const { return pressed_; }

  protected:
    void Paint() override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void TextChanged() override { Invalidate(); }

  private:
    void SetPressed(bool pressed);
    bool pressed_ = false;
    bool tracking_ = false;
};

}  // namespace qm
