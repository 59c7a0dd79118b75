#include "framework/Form.h"

#include <algorithm>
#include <climits>

#include "framework/Application.h"
#include "framework/Property.h"
#include "framework/StdCtrls.h"

namespace qm {

namespace {

template <typename Visit>
void ForEachDescendant(TWinControl* parent, const Visit& visit) {
    for (int i = 0; i < parent->ControlCount(); ++i) {
        TControl* c = parent->Controls(i);
        visit(c);
        if (auto* w = dynamic_cast<TWinControl*>(c)) ForEachDescendant(w, visit);
    }
}

}  // namespace

TForm::TForm(TComponent* owner) : TWinControl(owner) {
    visible_ = false;
    left_ = 0;
    top_ = 0;
    width_ = 320;
    height_ = 240;
    controlParent_ = true;
}

TForm::~TForm() {
    // The components go while the form is whole (a tray icon unhooks itself from it),
    // then the windows.
    DestroyComponents();
    DestroyHandle();
    if (Application().MainForm() == this) Application().SetMainForm(nullptr);
}

void TForm::SetBorderStyle(TFormBorderStyle style) {
    if (StoreChange(borderStyle_, style)) RecreateWnd();
}

void TForm::CreateParams(TCreateParams& p) {
    TWinControl::CreateParams(p);
    p.Style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    p.ExStyle = WS_EX_CONTROLPARENT;
    if (borderStyle_ == bsDialog) {
        p.Style |= DS_MODALFRAME;
        p.ExStyle |= WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;
    } else {
        p.Style |= WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
    }
    if (!Enabled()) p.Style |= WS_DISABLED;
    // Owned by the application's window, which stands for the program.
    p.WndParent = Application().Handle();
    p.WinClassName = "QuillmothForm";
}

void TForm::CreateWnd() {
    TWinControl::CreateWnd();
    if (visible_) ShowWindow(Handle(), SW_SHOW);
}

void TForm::VisibleChanged() {
    if (visible_) {
        ShowWindow(Handle(), SW_SHOW);
        if (OnShow) OnShow(this);
    } else if (HandleAllocated()) {
        ShowWindow(Handle(), SW_HIDE);
        if (OnHide) OnHide(this);
    }
}

void TForm::Show() {
    SetVisible(true);
    BringToFront();
}

void TForm::MakeFullyVisible() {
    // A garbage position may lie near the ends of the integer range.
    const auto clampToInt = [](long long v) {
        return static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX));
    };
    const RECT bounds{Left(), Top(), clampToInt(static_cast<long long>(Left()) + Width()),
                      clampToInt(static_cast<long long>(Top()) + Height())};
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoA(MonitorFromRect(&bounds, MONITOR_DEFAULTTONEAREST), &info)) return;
    const RECT& work = info.rcWork;
    // Past the right or bottom edge first, so that a form larger than the work area
    // keeps its caption on screen.
    const auto inside = [](int at, int size, LONG low, LONG high) {
        return static_cast<int>(
            std::max<long long>(std::min<long long>(at, static_cast<long long>(high) - size), low));
    };
    const int left = inside(Left(), Width(), work.left, work.right);
    const int top = inside(Top(), Height(), work.top, work.bottom);
    if (left != Left() || top != Top()) SetBounds(left, top, Width(), Height());
}

void TForm::BringToFront() {
    SetWindowPos(Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetForegroundWindow(Handle());
}

bool TForm::CloseQuery() {
    bool canClose = true;
    if (OnCloseQuery) OnCloseQuery(this, canClose);
    return canClose;
}

void TForm::Close() {
    // A second request on the way out (every window of a closing program gets one)
    // would save and end again.
    if (Application().Terminated()) return;
    if (!CloseQuery()) return;
    if (Application().MainForm() == this) {
        Hide();
        Application().Terminate();
    } else {
        Hide();
    }
}

void TForm::SetActiveControl(TWinControl* control) {
    activeControl_ = control;
    if (control && HandleAllocated() && IsWindowVisible(Handle()) && control->CanFocus())
        control->SetFocus();
    UpdateButtonStyles();
}

void TForm::FocusChanged(TWinControl* control) {
    activeControl_ = control;
    UpdateButtonStyles();
}

void TForm::ControlGone(TWinControl* control) {
    if (activeControl_ == control) activeControl_ = nullptr;
}

TButton* TForm::FindButton(bool cancel) {
    TButton* found = nullptr;
    ForEachDescendant(this, [&](TControl* c) {
        auto* b = dynamic_cast<TButton*>(c);
        if (!found && b && (cancel ? b->Cancel() : b->Default()) && b->CanFocus()) found = b;
    });
    return found;
}

TButton* TForm::DefaultButton() {
    return FindButton(false);
}

TButton* TForm::CancelButton() {
    return FindButton(true);
}

void TForm::UpdateButtonStyles() {
    // A focused button is the one Enter clicks and shows the default frame; otherwise
    // the default button does.
    auto* focusedButton = dynamic_cast<TButton*>(activeControl_);
    ForEachDescendant(this, [&](TControl* c) {
        if (auto* b = dynamic_cast<TButton*>(c))
            b->SetActive(focusedButton ? b == focusedButton : b->Default());
    });
}

bool TForm::DialogKey(WORD key) {
    if (key == VK_RETURN) {
        auto* focusedButton = dynamic_cast<TButton*>(activeControl_);
        TButton* target =
            focusedButton && focusedButton->Focused() ? focusedButton : DefaultButton();
        if (!target) return false;
        target->Click();
        return true;
    }
    if (key == VK_ESCAPE) {
        TButton* target = CancelButton();
        if (!target) return false;
        target->Click();
        return true;
    }
    return false;
}

void TForm::Loaded() {
    TWinControl::Loaded();
    for (TComponent* c : std::vector<TComponent*>(Components()))
        c->Loaded();
}

void TForm::WndProc(TMessage& m) {
    switch (m.Msg) {
        case WM_CLOSE:
            Close();
            m.Result = 0;
            return;
        case WM_ACTIVATE:
            if (LOWORD(m.WParam) != WA_INACTIVE && !HIWORD(m.WParam)) {
                // Back to the control that had the focus, else to the first in tab order.
                HWND target = nullptr;
                if (activeControl_ && activeControl_->HandleAllocated() &&
                    activeControl_->CanFocus())
                    target = activeControl_->Handle();
                if (!target) target = GetNextDlgTabItem(Handle(), nullptr, FALSE);
                if (target) {
                    ::SetFocus(target);
                    m.Result = 0;
                    return;
                }
            }
            break;
        default:
            break;
    }
    TWinControl::WndProc(m);
}

}  // namespace qm
