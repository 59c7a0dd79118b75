// Controls: the visible components of a form. A control has a parent (a windowed
// control that contains it), bounds relative to that parent, a caption, a colour and a
// font, and raises mouse and click events. A graphic control has no window of its own
// and paints on its parent's canvas; windowed controls are in WinControl.h.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "framework/Canvas.h"
#include "framework/Component.h"

namespace qm {

class TControl;
class TWinControl;
class TForm;

// One window message on its way through a control; Result is the answer.
struct TMessage {
    UINT Msg;
    WPARAM WParam;
    LPARAM LParam;
    LRESULT Result;
};

// A parent hands the notifications its child windows send it (WM_COMMAND, WM_NOTIFY,
// WM_CTLCOLOR*, WM_DRAWITEM, scroll bar messages) back to the child's object as
// CN_BASE + the message.
constexpr UINT CN_BASE = 0xBC00;
constexpr UINT CN_COMMAND = CN_BASE + WM_COMMAND;
constexpr UINT CN_NOTIFY = CN_BASE + WM_NOTIFY;
constexpr UINT CN_DRAWITEM = CN_BASE + WM_DRAWITEM;
constexpr UINT CN_HSCROLL = CN_BASE + WM_HSCROLL;
constexpr UINT CN_VSCROLL = CN_BASE + WM_VSCROLL;
constexpr UINT CN_CTLCOLORMSGBOX = CN_BASE + WM_CTLCOLORMSGBOX;
constexpr UINT CN_CTLCOLORSTATIC = CN_BASE + WM_CTLCOLORSTATIC;

enum TMouseButton { mbLeft, mbRight, mbMiddle };

// Keys and buttons held at the moment of an event.
enum TShiftStateFlag : unsigned {
    ssShift = 1,
    ssAlt = 2,
    ssCtrl = 4,
    ssLeft = 8,
    ssRight = 16,
    ssMiddle = 32,
    ssDouble = 64,
};
using TShiftState = unsigned;

// Shift, Ctrl and Alt as the keyboard state of the current message has them, or, when
// now, as they are at this moment (what the message queue saw may be older).
TShiftState KeyboardShiftState(bool now = false);
// The MK_ flags of a mouse message, plus Alt from the keyboard state.
TShiftState MouseShiftState(WPARAM keys);

using TNotifyEvent = std::function<void(TComponent* sender)>;
using TMouseEvent =
    std::function<void(TComponent* sender, TMouseButton button, TShiftState shift, int x, int y)>;
using TMouseMoveEvent = std::function<void(TComponent* sender, TShiftState shift, int x, int y)>;
using TKeyEvent = std::function<void(TComponent* sender, WORD& key, TShiftState shift)>;
using TKeyPressEvent = std::function<void(TComponent* sender, char& key)>;

// A control's canvas outside painting: it takes a device context of the control's
// window (or, for a graphic control, of its parent's, moved and clipped to the
// control) on first use and keeps it until the next paint or until the window goes.
class TControlCanvas : public TCanvas {
  public:
    explicit TControlCanvas(TControl& control) : control_(control) {}
    ~TControlCanvas() override { FreeHandle(); }
    void FreeHandle();

  protected:
    void CreateHandle() override;

  private:
    TControl& control_;
    HWND window_ = nullptr;
    HDC ownDC_ = nullptr;
};

class TControl : public TComponent {
  public:
    explicit TControl(TComponent* owner);
    ~TControl() override;

    TWinControl* Parent() const { return parent_; }
    // Moves the control into another container (null: out of any).
    virtual void SetParent(TWinControl* parent);

    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    virtual void SetBounds(int left, int top, int width, int height);
    void SetLeft(int left) { SetBounds(left, top_, width_, height_); }
    void SetTop(int top) { SetBounds(left_, top, width_, height_); }
    void SetWidth(int width) { SetBounds(left_, top_, width, height_); }
    void SetHeight(int height) { SetBounds(left_, top_, width_, height); }
    RECT BoundsRect() const { return {left_, top_, left_ + width_, top_ + height_}; }
    virtual RECT ClientRect();
    int ClientWidth() { return ClientRect().right; }
    int ClientHeight() { return ClientRect().bottom; }
    // Sets the outer size so that the client area gets the given size.
    void SetClientSize(int width, int height);

    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);

    // Caption and Text are one property, as the window text is one.
    std::string Caption() { return GetText(); }
    std::string Text() { return GetText(); }
    void SetCaption(const std::string& text) { SetText(text); }
    virtual std::string GetText();
    virtual void SetText(const std::string& text);

    TColor Color() const { return color_; }
    void SetColor(TColor color);
    bool ParentColor() const { return parentColor_; }
    void SetParentColor(bool parentColor);
    TFont& Font() { return font_; }
    bool ParentFont() const { return parentFont_; }
    void SetParentFont(bool parentFont);
    // A standard cursor (IDC_ARROW, IDC_IBEAM, ...) over the control; null keeps the
    // window class's cursor.
    LPCSTR Cursor() const { return cursor_; }
    void SetCursor(LPCSTR cursor) { cursor_ = cursor; }

    // Repaints the control's area later, or at once.
    virtual void Invalidate();
    void Repaint();

    // Runs a message through the control's handling and returns the answer.
    LRESULT Perform(UINT message, WPARAM wParam, LPARAM lParam);
    virtual void WndProc(TMessage& message);

    POINT ClientToScreen(POINT point);
    POINT ScreenToClient(POINT point);

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseMoveEvent OnMouseMove;
    TMouseEvent OnMouseUp;

    void Loaded() override;

  protected:
    // The platform's handling of a message the control leaves alone; a graphic
    // control has none.
    virtual void DefaultHandler(TMessage& message);

    // The events, raised by these; a derived control adds its behaviour around them.
    virtual void Click();
    virtual void DblClick();
    virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseMove(TShiftState shift, int x, int y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);

    // Told after a property changed.
    virtual void TextChanged() { Invalidate(); }
    virtual void ColorChanged() { Invalidate(); }
    virtual void FontChanged() { Invalidate(); }
    virtual void EnabledChanged() { Invalidate(); }
    virtual void VisibleChanged();
    virtual void BoundsChanged() {}
    // The parent's colour or font changed, or the control got a new parent.
    void ParentColorChanged();
    void ParentFontChanged();

    // A press and release of the left button inside the control is a click
    // (controls without a platform click notification).
    bool clickFromMouse_ = false;
    std::string text_;
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    bool visible_ = true;

  private:
    friend class TWinControl;
    void HandleMouse(TMessage& message);

    TWinControl* parent_ = nullptr;
    bool enabled_ = true;
    TColor color_ = clBtnFace;
    bool parentColor_ = true;
    TFont font_;
    bool parentFont_ = true;
    bool takingParentFont_ = false;
    LPCSTR cursor_ = nullptr;
    bool clicked_ = false;
};

// A control without a window: drawn by Paint on its parent's canvas, which the
// parent hands it moved to the control's top-left corner and clipped to its bounds.
class TGraphicControl : public TControl {
  public:
    explicit TGraphicControl(TComponent* owner);
    ~TGraphicControl() override;
    TCanvas& Canvas() { return canvas_; }

  protected:
    virtual void Paint() {}

  private:
    friend class TWinControl;
    void PaintOn(HDC dc);
    TControlCanvas canvas_;
};

// The form a control stands on (its top-level parent), or null.
TForm* GetParentForm(TControl* control);

}  // namespace qm
