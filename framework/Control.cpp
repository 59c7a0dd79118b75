#include "framework/Control.h"

#include <windowsx.h>

#include "base/Exception.h"
#include "framework/Form.h"
#include "framework/Messages.h"
#include "framework/Property.h"
#include "framework/WinControl.h"

namespace qm {

TShiftState KeyboardShiftState(bool now) {
    const auto down = [now](int key) {
        return (now ? GetAsyncKeyState(key) : GetKeyState(key)) < 0;
    };
    TShiftState s = 0;
    if (down(VK_SHIFT)) s |= ssShift;
    if (down(VK_CONTROL)) s |= ssCtrl;
    if (down(VK_MENU)) s |= ssAlt;
    return s;
}

TShiftState MouseShiftState(WPARAM keys) {
    TShiftState s = 0;
    if (keys & MK_SHIFT) s |= ssShift;
    if (keys & MK_CONTROL) s |= ssCtrl;
    if (keys & MK_LBUTTON) s |= ssLeft;
    if (keys & MK_RBUTTON) s |= ssRight;
    if (keys & MK_MBUTTON) s |= ssMiddle;
    if (GetKeyState(VK_MENU) < 0) s |= ssAlt;
    return s;
}

// TControlCanvas

void TControlCanvas::CreateHandle() {
    FreeHandle();
    if (auto* windowed = dynamic_cast<TWinControl*>(&control_)) {
        window_ = windowed->Handle();
        ownDC_ = GetDC(window_);
        SetHandle(ownDC_);
        return;
    }
    TWinControl* parent = control_.Parent();
    if (!parent || !parent->HandleAllocated()) return;
    window_ = parent->Handle();
    ownDC_ = GetDC(window_);
    SetHandle(ownDC_);
    OffsetViewportOrgEx(ownDC_, control_.Left(), control_.Top(), nullptr);
    IntersectClipRect(ownDC_, 0, 0, control_.Width(), control_.Height());
}

void TControlCanvas::FreeHandle() {
    if (!ownDC_) return;
    SetHandle(nullptr);
    ReleaseDC(window_, ownDC_);
    ownDC_ = nullptr;
    window_ = nullptr;
}

// TControl

TControl::TControl(TComponent* owner) : TComponent(owner) {
    font_.OnChange = [this] {
        if (!takingParentFont_) parentFont_ = false;
        FontChanged();
        if (auto* self = dynamic_cast<TWinControl*>(this)) {
            for (int i = 0; i < self->ControlCount(); ++i)
                self->Controls(i)->ParentFontChanged();
        }
    };
}

TControl::~TControl() {
    if (parent_) parent_->RemoveControl(this);
}

void TControl::SetParent(TWinControl* parent) {
    if (parent == parent_) return;
    for (TControl* p = parent; p; p = p->parent_) {
        if (p == this) throw Exception(kOwnParentMessage);
    }
    if (parent_) parent_->RemoveControl(this);
    if (parent) parent->InsertControl(this);
}

void TControl::SetBounds(int left, int top, int width, int height) {
    if (left == left_ && top == top_ && width == width_ && height == height_) return;
    Invalidate();
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    Invalidate();
    BoundsChanged();
}

RECT TControl::ClientRect() {
    return {0, 0, width_, height_};
}

void TControl::SetClientSize(int width, int height) {
    const RECT client = ClientRect();
    SetBounds(left_, top_, width + (width_ - client.right), height + (height_ - client.bottom));
}

void TControl::SetVisible(bool visible) {
    if (StoreChange(visible_, visible)) VisibleChanged();
}

void TControl::VisibleChanged() {
    // A graphic control shows or hides by repainting its parent's area.
    if (parent_ && parent_->HandleAllocated()) {
        const RECT r = BoundsRect();
        InvalidateRect(parent_->Handle(), &r, TRUE);
    }
}

void TControl::SetEnabled(bool enabled) {
    if (StoreChange(enabled_, enabled)) EnabledChanged();
}

std::string TControl::GetText() {
    return text_;
}

void TControl::SetText(const std::string& text) {
    if (text == GetText()) return;
    text_ = text;
    TextChanged();
}

void TControl::SetColor(TColor color) {
    parentColor_ = false;
    if (color == color_) return;
    color_ = color;
    ColorChanged();
    if (auto* self = dynamic_cast<TWinControl*>(this)) {
        for (int i = 0; i < self->ControlCount(); ++i)
            self->Controls(i)->ParentColorChanged();
    }
}

void TControl::SetParentColor(bool parentColor) {
    parentColor_ = parentColor;
    ParentColorChanged();
}

void TControl::ParentColorChanged() {
    if (!parentColor_ || !parent_) return;
    SetColor(parent_->Color());
    parentColor_ = true;
}

void TControl::SetParentFont(bool parentFont) {
    parentFont_ = parentFont;
    ParentFontChanged();
}

void TControl::ParentFontChanged() {
    if (!parentFont_ || !parent_) return;
    takingParentFont_ = true;
    font_.Assign(parent_->Font());
    takingParentFont_ = false;
}

void TControl::Invalidate() {
    if (parent_ && parent_->HandleAllocated() && visible_) {
        const RECT r = BoundsRect();
        InvalidateRect(parent_->Handle(), &r, TRUE);
    }
}

void TControl::Repaint() {
    Invalidate();
    if (auto* self = dynamic_cast<TWinControl*>(this)) {
        if (self->HandleAllocated()) UpdateWindow(self->Handle());
    } else if (parent_ && parent_->HandleAllocated()) {
        UpdateWindow(parent_->Handle());
    }
}

LRESULT TControl::Perform(UINT message, WPARAM wParam, LPARAM lParam) {
    TMessage m{message, wParam, lParam, 0};
    WndProc(m);
    return m.Result;
}

void TControl::WndProc(TMessage& message) {
    switch (message.Msg) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDOWN:
        case WM_RBUTTONUP:
        case WM_RBUTTONDBLCLK:
        case WM_MBUTTONDOWN:
        case WM_MBUTTONUP:
        case WM_MBUTTONDBLCLK:
        case WM_MOUSEMOVE:
            HandleMouse(message);
            return;
        default:
            DefaultHandler(message);
    }
}

void TControl::HandleMouse(TMessage& m) {
    const int x = GET_X_LPARAM(m.LParam);
    const int y = GET_Y_LPARAM(m.LParam);
    const TShiftState shift = MouseShiftState(m.WParam);
    auto* windowed = dynamic_cast<TWinControl*>(this);
    DefaultHandler(m);
    switch (m.Msg) {
        case WM_LBUTTONDOWN:
            if (clickFromMouse_) {
                clicked_ = true;
                // Keeps the moves and the release coming while the button is held outside.
                if (windowed) ::SetCapture(windowed->Handle());
            }
            MouseDown(mbLeft, shift, x, y);
            break;
        case WM_LBUTTONDBLCLK:
            // The platform reports the double click in place of the second press.
            if (clickFromMouse_ && windowed) ::SetCapture(windowed->Handle());
            DblClick();
            MouseDown(mbLeft, shift | ssDouble, x, y);
            break;
        case WM_LBUTTONUP: {
            const bool wasClicked = clicked_;
            clicked_ = false;
            if (windowed && clickFromMouse_ && GetCapture() == windowed->Handle()) ReleaseCapture();
            const RECT r = ClientRect();
            const POINT p{x, y};
            if (wasClicked && PtInRect(&r, p)) Click();
            MouseUp(mbLeft, shift, x, y);
            break;
        }
        case WM_MOUSEMOVE:
            MouseMove(shift, x, y);
            break;
    }
    // The right and middle buttons only report their presses (a double click is one)
    // and releases.
    struct Button {
        UINT down, twice, up;
        TMouseButton button;
    };
    for (const Button& b : {Button{WM_RBUTTONDOWN, WM_RBUTTONDBLCLK, WM_RBUTTONUP, mbRight},
                            Button{WM_MBUTTONDOWN, WM_MBUTTONDBLCLK, WM_MBUTTONUP, mbMiddle}}) {
        if (m.Msg == b.down || m.Msg == b.twice) MouseDown(b.button, shift, x, y);
        if (m.Msg == b.up) MouseUp(b.button, shift, x, y);
    }
}

void TControl::DefaultHandler(TMessage& message) {
    message.Result = 0;
}

void TControl::Click() {
    if (OnClick) OnClick(this);
}

void TControl::DblClick() {
    if (OnDblClick) OnDblClick(this);
}

void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (OnMouseDown) OnMouseDown(this, button, shift, x, y);
}

void TControl::MouseMove(TShiftState shift, int x, int y) {
    if (OnMouseMove) OnMouseMove(this, shift, x, y);
}

void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    if (OnMouseUp) OnMouseUp(this, button, shift, x, y);
}

POINT TControl::ClientToScreen(POINT point) {
    if (auto* self = dynamic_cast<TWinControl*>(this)) {
        ::ClientToScreen(self->Handle(), &point);
        return point;
    }
    if (!parent_) return point;
    return parent_->ClientToScreen({point.x + left_, point.y + top_});
}

POINT TControl::ScreenToClient(POINT point) {
    if (auto* self = dynamic_cast<TWinControl*>(this)) {
        ::ScreenToClient(self->Handle(), &point);
        return point;
    }
    if (!parent_) return point;
    const POINT p = parent_->ScreenToClient(point);
    return {p.x - left_, p.y - top_};
}

void TControl::Loaded() {
    ParentFontChanged();
    ParentColorChanged();
}

// TGraphicControl

TGraphicControl::TGraphicControl(TComponent* owner) : TControl(owner), canvas_(*this) {
    clickFromMouse_ = true;
}

TGraphicControl::~TGraphicControl() = default;

void TGraphicControl::PaintOn(HDC dc) {
    canvas_.FreeHandle();
    canvas_.Font().Assign(Font());
    const CanvasOnDC lent(canvas_, dc);
    Paint();
}

TForm* GetParentForm(TControl* control) {
    while (control && control->Parent())
        control = control->Parent();
    return dynamic_cast<TForm*>(control);
}

}  // namespace qm
