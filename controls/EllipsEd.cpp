#include "controls/EllipsEd.h"

#include <algorithm>

#include "base/Characters.h"
#include "framework/GdiObject.h"
#include "framework/Property.h"

namespace qm {

namespace {

char AsciiUpper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

}  // namespace

// TEllipsesButton

TEllipsesButton::TEllipsesButton(TComponent* owner) : TSpeedButton(owner) {
    SetCursor(IDC_ARROW);
}

void TEllipsesButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (button == mbLeft) held_ = true;
    TSpeedButton::MouseDown(button, shift, x, y);
    if (button == mbLeft) Repaint();
}

void TEllipsesButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    if (button == mbLeft) held_ = false;
    TSpeedButton::MouseUp(button, shift, x, y);
    if (button == mbLeft) Repaint();
}

void TEllipsesButton::Click() {
    held_ = false;
    Repaint();
    // The edit holds the mouse until the release has been handled; a picker opened
    // from here must have it now, or it could not be used with the mouse.
    if (TWinControl* edit = Parent();
        edit && edit->HandleAllocated() && GetCapture() == edit->Handle())
        ReleaseCapture();
    TSpeedButton::Click();
}

void TEllipsesButton::Paint() {
    TSpeedButton::Paint();
    TCanvas& c = Canvas();
    const RECT client = ClientRect();
    const int w = client.right;
    const int h = client.bottom;
    c.Brush().SetStyle(bsSolid);
    if (!held_) {
        // A flat face: the frame's dark top-left edge painted over, a light one inside.
        c.Pen().SetColor(clBtnFace);
        c.MoveTo(0, h - 2);
        c.LineTo(0, 0);
        c.LineTo(w - 1, 0);
        c.Pen().SetColor(clWhite);
        c.MoveTo(1, h - 3);
        c.LineTo(1, 1);
        c.LineTo(w - 2, 1);
    } else {
        c.Brush().SetColor(clBtnFace);
        c.FillRect(client);
        c.Pen().SetColor(clBtnShadow);
        c.Rectangle(0, 0, w, h);
    }
    const int q = w / 4;
    const int r = std::max(q / 4, 1);
    const int cy = std::max(h / 2, 1);
    c.Pen().SetColor(clBlack);
    c.Brush().SetColor(clBlack);
    for (const int x : {q + 1, 2 * q + 1, 3 * q + 1})
        c.Ellipse(x - r, cy - r, x + r, cy + r);
}

// TEllipsesEdit

TEllipsesEdit::TEllipsesEdit(TComponent* owner) : TEdit(owner), button_(new TEllipsesButton(this)) {
    button_->SetBounds(0, 0, 0, 0);
    button_->SetParent(this);
    button_->OnClick = [this](TComponent*) { ButtonClick(); };
    SetColor(clWhite);
    activeColor_ = Color();
    deactiveColor_ = Color();
    LayoutButton();
}

void TEllipsesEdit::CreateParams(TCreateParams& p) {
    TEdit::CreateParams(p);
    // Only a multi-line edit has a formatting rectangle, which keeps the text off
    // the button.
    if (MultiLineWindow()) p.Style |= ES_MULTILINE;
}

void TEllipsesEdit::CreateWnd() {
    TEdit::CreateWnd();
    AdjustHeight();
}

void TEllipsesEdit::PaintWindow(HDC dc) {
    // The platform's edit clips the context to its text area and leaves it so; the
    // button is painted on the same context afterwards.
    SavedDC saved(dc);
    TEdit::PaintWindow(dc);
}

void TEllipsesEdit::Loaded() {
    TEdit::Loaded();
    loaded_ = true;
    activeColor_ = Color();
    SetColor(deactiveColor_);
}

void TEllipsesEdit::SetEditStyle(TEditStyle style) {
    if (style == editStyle_) return;
    editStyle_ = style;
    RecreateWnd();
    LayoutButton();
}

void TEllipsesEdit::SetDeactiveColor(TColor color) {
    deactiveColor_ = color;
    if (loaded_ && !Focused()) SetColor(color);
}

void TEllipsesEdit::SetFirstCharUpper(bool value) {
    if (StoreChange(firstCharUpper_, value)) CapitaliseText();
}

int TEllipsesEdit::RuleHeight() {
    WindowDC screen(nullptr);
    TEXTMETRICA system{};
    TEXTMETRICA font{};
    {
        SelectedObject selected(screen.Get(), GetStockObject(SYSTEM_FONT));
        GetTextMetricsA(screen.Get(), &system);
    }
    {
        SelectedObject selected(screen.Get(), Font().Handle());
        GetTextMetricsA(screen.Get(), &font);
    }
    if (BorderStyle() == bsNone) return font.tmHeight;
    int height = font.tmHeight + std::min(system.tmHeight, font.tmHeight) / 4 +
                 4 * GetSystemMetrics(SM_CYBORDER) - 1;
    if (Ctl3D()) height += 2;
    return height;
}

void TEllipsesEdit::BoundsChanged() {
    TEdit::BoundsChanged();
    AdjustHeight();
}

void TEllipsesEdit::FontChanged() {
    TEdit::FontChanged();
    AdjustHeight();
}

void TEllipsesEdit::AdjustHeight() {
    const int height = RuleHeight();
    // A new height comes back here as a size change, which then lays out the button.
    if (height != Height())
        SetHeight(height);
    else
        LayoutButton();
}

bool TEllipsesEdit::WantsButton() {
    switch (editStyle_) {
        case esEllipses:
            return Focused();
        case esAlwaysEllipses:
            return true;
        default:
            return false;
    }
}

void TEllipsesEdit::LayoutButton() {
    if (WantsButton()) {
        const int w = GetSystemMetrics(SM_CXHSCROLL);
        const int outerWidth = Width();
        const int outerHeight = Height();
        // In client coordinates: the button fills the client area's right end.
        if (BorderStyle() == bsNone)
            button_->SetBounds(outerWidth - w, 0, w, outerHeight);
        else if (Ctl3D())
            button_->SetBounds(outerWidth - w - 5, 0, w + 1, outerHeight - 4);
        else
            button_->SetBounds(outerWidth - w - 3, 1, w + 3, outerHeight - 1);
    } else {
        button_->SetWidth(0);
    }
    if (!HandleAllocated()) return;
    const int reserved = ButtonShown() ? button_->Width() + 2 : 0;
    if (MultiLineWindow()) {
        RECT r{0, 0, ClientWidth() - 2 - reserved, ClientHeight() + 1};
        SendMessageA(Handle(), EM_SETRECT, 0, reinterpret_cast<LPARAM>(&r));
    } else if (editStyle_ != esNormal) {
        SendMessageA(Handle(), EM_SETMARGINS, EC_RIGHTMARGIN, MAKELPARAM(0, reserved));
    }
    Invalidate();
}

void TEllipsesEdit::ButtonClick() {
    if (OnButtonClick) OnButtonClick(this);
}

void TEllipsesEdit::KeyDown(WORD& key, TShiftState shift) {
    if (key != VK_RETURN) {
        TEdit::KeyDown(key, shift);
        return;
    }
    // The line break the platform's edit makes of the character that follows is
    // taken back at the next repaint, which this makes sure of.
    key = 0;
    pendingText_ = Text();
    Invalidate();
    // The button's refresh is that repaint: what the click's handler puts into the
    // edit stays.
    if (ButtonShown() && (shift & (ssShift | ssCtrl | ssAlt)) == ssCtrl) button_->Click();
}

bool TEllipsesEdit::WholeTextSelected() {
    // Selection positions are in the edit's own units (bytes on one system,
    // characters on another); the end of its last line is in the same units.
    DWORD start = 0, end = 0;
    const HWND h = Handle();
    SendMessageA(h, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    const auto lines = SendMessageA(h, EM_GETLINECOUNT, 0, 0);
    const auto lastLine = SendMessageA(h, EM_LINEINDEX, static_cast<WPARAM>(lines - 1), 0);
    const auto textEnd =
        lastLine + SendMessageA(h, EM_LINELENGTH, static_cast<WPARAM>(lastLine), 0);
    return start == 0 && static_cast<LRESULT>(end) == textEnd;
}

void TEllipsesEdit::KeyPress(char& key) {
    const auto byte = static_cast<BYTE>(key);
    if (trailByteNext_) {
        // The second byte of a double-byte character is no letter of its own.
        trailByteNext_ = false;
    } else if (IsCodePageLeadByte(byte)) {
        trailByteNext_ = true;
    } else if (firstCharUpper_ && (Text().empty() || WholeTextSelected())) {
        key = AsciiUpper(key);
    }
    TEdit::KeyPress(key);
}

void TEllipsesEdit::CapitaliseText() {
    if (!firstCharUpper_) return;
    std::string text = Text();
    if (text.empty()) return;
    const char first = AsciiUpper(text[0]);
    if (first == text[0]) return;
    text[0] = first;
    SetText(text);
}

void TEllipsesEdit::DoEnter() {
    TEdit::DoEnter();
    LayoutButton();
    // A click that brought the focus places the caret itself.
    if (AutoSelect() && GetKeyState(VK_LBUTTON) >= 0) SelectAll();
    SetColor(activeColor_);
}

void TEllipsesEdit::DoExit() {
    TEdit::DoExit();
    CapitaliseText();
    LayoutButton();
    SetColor(deactiveColor_);
}

void TEllipsesEdit::WndProc(TMessage& m) {
    if (m.Msg == WM_GETDLGCODE) {
        // The platform's edit takes a message passed with this question for a sign
        // that it stands in a dialog box, where its multi-line form sends Tab, Esc
        // and Enter to its parent as dialog commands (Esc posts WM_CLOSE, which would
        // destroy a tab page). It is not asked so; of those keys it wants Enter only,
        // and Tab and Esc go to the form.
        const auto* key = reinterpret_cast<const MSG*>(m.LParam);
        TMessage plain{WM_GETDLGCODE, m.WParam, 0, 0};
        DefaultHandler(plain);
        m.Result = plain.Result;
        if (key && key->message == WM_KEYDOWN) {
            m.Result &= ~DLGC_WANTALLKEYS;
            if (key->wParam == VK_RETURN && editStyle_ != esNormal) m.Result |= DLGC_WANTALLKEYS;
        }
        return;
    }
    if (m.Msg == WM_PAINT && pendingText_) {
        const std::string text = std::move(*pendingText_);
        pendingText_.reset();
        SetText(text);
        SelectAll();
    }
    TEdit::WndProc(m);
}

}  // namespace qm
