#include "framework/Buttons.h"
#include "framework/Property.h"

namespace qm {

TSpeedButton::TSpeedButton(TComponent* owner) : TGraphicControl(owner) {
    width_ = 23;
    height_ = 22;
}

void TSpeedButton::SetPressed(bool pressed) {
    if (StoreChange(pressed_, pressed)) Repaint();
}

void TSpeedButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (button == mbLeft) {
        tracking_ = true;
        SetPressed(true);
    }
    TGraphicControl::MouseDown(button, shift, x, y);
}

void TSpeedButton::MouseMove(TShiftState shift, int x, int y) {
    if (tracking_) {
        const RECT r = ClientRect();
        SetPressed(PtInRect(&r, POINT{x, y}) != FALSE);
    }
    TGraphicControl::MouseMove(shift, x, y);
}

void TSpeedButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    if (button == mbLeft) {
        tracking_ = false;
        SetPressed(false);
    }
    TGraphicControl::MouseUp(button, shift, x, y);
}

void TSpeedButton::Paint() {
    TCanvas& c = Canvas();
    RECT r = ClientRect();
    UINT state = DFCS_BUTTONPUSH;
    if (pressed_) state |= DFCS_PUSHED;
    if (!Enabled()) state |= DFCS_INACTIVE;
    DrawFrameControl(c.Handle(), &r, DFC_BUTTON, state);
    const std::string caption = Caption();
    if (caption.empty()) return;
    c.Brush().SetStyle(bsClear);
    c.Font().SetColor(Enabled() ? clBtnText : SystemColor(COLOR_GRAYTEXT));
    if (pressed_) OffsetRect(&r, 1, 1);
    DrawTextA(c.Handle(), caption.c_str(), static_cast<int>(caption.size()), &r,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

}  // namespace qm
