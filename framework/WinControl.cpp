#include "framework/WinControl.h"

#include <windowsx.h>

#include <algorithm>
#include <map>
#include <unordered_map>

#include "base/Exception.h"
#include "framework/Application.h"
#include "framework/Form.h"
#include "framework/Messages.h"
#include "framework/Property.h"

namespace qm {

namespace {

// The control whose window CreateWindowExA is making on this thread: only its window
// may bind at WM_NCCREATE.
thread_local TWinControl* creatingControl = nullptr;

struct WindowClasses {
    std::map<std::string, WNDPROC> byName;
    std::unordered_map<ATOM, WNDPROC> byAtom;
};

WindowClasses& Classes() {
    static WindowClasses classes;
    return classes;
}

// Registers our class once and answers its default handler: the standard control's
// own procedure for a superclass, DefWindowProcA for our own classes.
WNDPROC RegisterWindowClass(const TCreateParams& p, WNDPROC procedure) {
    WindowClasses& classes = Classes();
    if (auto it = classes.byName.find(p.WinClassName); it != classes.byName.end())
        return it->second;
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(wc);
    WNDPROC base = DefWindowProcA;
    if (p.SystemClass) {
        if (!GetClassInfoExA(nullptr, p.SystemClass, &wc))
            throw Exception(WindowClassNotFoundMessage(p.SystemClass));
        base = wc.lpfnWndProc;
        wc.style &= ~CS_GLOBALCLASS;
    } else {
        wc.style = p.ClassStyle;
        wc.hCursor = LoadCursorA(nullptr, p.ClassCursor);
    }
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = procedure;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = p.WinClassName.c_str();
    const ATOM atom = RegisterClassExA(&wc);
    if (!atom) throw Exception(WindowClassNotRegisteredMessage(p.WinClassName));
    classes.byName[p.WinClassName] = base;
    classes.byAtom[atom] = base;
    return base;
}

// The default handler of a window that is not (or no longer) bound to an object:
// before WM_NCCREATE and while the window is being destroyed.
WNDPROC ClassDefault(HWND window) {
    const auto atom = static_cast<ATOM>(GetClassLongPtrA(window, GCW_ATOM));
    const WindowClasses& classes = Classes();
    if (auto it = classes.byAtom.find(atom); it != classes.byAtom.end()) return it->second;
    return DefWindowProcA;
}

// Child window identifiers start well above IDOK and IDCANCEL, which the dialog
// keys send.
int NextChildId() {
    static int next = 1000;
    return next++;
}

HWND ReflectionSource(const TMessage& m) {
    switch (m.Msg) {
        case WM_COMMAND:
        case WM_HSCROLL:
        case WM_VSCROLL:
        case WM_CTLCOLORMSGBOX:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSCROLLBAR:
        case WM_CTLCOLORSTATIC:
            return reinterpret_cast<HWND>(m.LParam);
        case WM_NOTIFY:
            return reinterpret_cast<NMHDR*>(m.LParam)->hwndFrom;
        case WM_DRAWITEM: {
            auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(m.LParam);
            return item->CtlType == ODT_MENU ? nullptr : item->hwndItem;
        }
        default:
            return nullptr;
    }
}

bool IsMouseMessage(UINT message) {
    return message >= WM_MOUSEFIRST && message <= WM_MBUTTONDBLCLK;
}

}  // namespace

// The window procedure

LRESULT CALLBACK TWinControl::WindowProc(HWND window, UINT message, WPARAM wParam,
                                         LPARAM lParam) noexcept {
    auto* control = reinterpret_cast<TWinControl*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!control && message == WM_NCCREATE) {
        auto* candidate =
            static_cast<TWinControl*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        if (candidate && candidate == creatingControl && !candidate->handle_) {
            SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(candidate));
            candidate->handle_ = window;
            control = candidate;
        }
    }
    if (!control) return CallWindowProcA(ClassDefault(window), window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        // The platform frees its part of the window, then the object lets go of it.
        const LRESULT result = CallWindowProcA(control->defProc_, window, message, wParam, lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        control->handle_ = nullptr;
        return result;
    }
    TMessage m{message, wParam, lParam, 0};
    try {
        // The object is not touched after its handling returns.
        control->Dispatch(m);
    } catch (const std::exception& e) {
        Application().ShowException(e);
    }
    return m.Result;
}

TWinControl* TWinControl::FindControl(HWND window) {
    if (!window) return nullptr;
    if (reinterpret_cast<WNDPROC>(GetClassLongPtrA(window, GCLP_WNDPROC)) != WindowProc)
        return nullptr;
    return reinterpret_cast<TWinControl*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

void TWinControl::Dispatch(TMessage& m) {
    for (const auto& [id, hook] : hooks_.Snapshot()) {
        if (hook(m)) return;
    }
    WndProc(m);
}

// Construction and the window

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {
    brush_.SetColor(Color());
}

TWinControl::~TWinControl() {
    // Owned components first, while this control is whole; then the windows,
    // children first; then the children themselves.
    DestroyComponents();
    if (TForm* form = GetParentForm(this)) form->ControlGone(this);
    DestroyHandle();
    if (Parent()) Parent()->RemoveControl(this);
    while (!winControls_.empty() || !controls_.empty()) {
        TControl* child = !winControls_.empty() ? winControls_.back() : controls_.back();
        delete child;  // removes itself from this control
    }
}

HWND TWinControl::Handle() {
    if (!handle_) CreateHandle();
    return handle_;
}

void TWinControl::CreateHandle() {
    if (handle_) return;
    // The parent's window comes first, and it makes those of all its children.
    if (Parent() && !Parent()->handle_) {
        Parent()->CreateHandle();
        if (handle_) return;
    }
    CreateWnd();
    for (TWinControl* child : std::vector<TWinControl*>(winControls_))
        child->CreateHandle();
    UpdateTabOrder();
}

void TWinControl::CreateParams(TCreateParams& p) {
    p.Caption = text_;
    p.Style = WS_CHILD | WS_CLIPSIBLINGS;
    if (visible_) p.Style |= WS_VISIBLE;
    if (!Enabled()) p.Style |= WS_DISABLED;
    if (tabStop_) p.Style |= WS_TABSTOP;
    if (controlParent_) p.ExStyle |= WS_EX_CONTROLPARENT;
    p.X = left_;
    p.Y = top_;
    p.Width = width_;
    p.Height = height_;
    if (Parent()) p.WndParent = Parent()->Handle();
}

void TWinControl::CreateWnd() {
    TCreateParams p;
    CreateParams(p);
    if ((p.Style & WS_CHILD) && !p.WndParent) throw Exception(NoParentWindowMessage(Name()));
    ownClass_ = p.SystemClass == nullptr;
    defProc_ = RegisterWindowClass(p, WindowProc);
    HMENU id = (p.Style & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<INT_PTR>(NextChildId()))
                                    : nullptr;
    TWinControl* const previous = creatingControl;
    creatingControl = this;
    HWND window =
        CreateWindowExA(p.ExStyle, p.WinClassName.c_str(), p.Caption.c_str(), p.Style, p.X, p.Y,
                        p.Width, p.Height, p.WndParent, id, GetModuleHandleA(nullptr), this);
    creatingControl = previous;
    if (!window || handle_ != window) {
        if (window) DestroyWindow(window);
        throw Exception(WindowNotCreatedMessage(Name()));
    }
    UpdateBoundsFromWindow();
    SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(Font().Handle()), FALSE);
}

void TWinControl::DestroyWnd() {
    // The window text is the control's text; keep what the user typed.
    text_ = GetText();
}

void TWinControl::DestroyHandle() {
    if (!handle_) return;
    for (TWinControl* child : winControls_)
        child->DestroyHandle();
    for (TControl* child : controls_) {
        if (auto* graphic = dynamic_cast<TGraphicControl*>(child)) graphic->canvas_.FreeHandle();
    }
    DestroyWnd();
    if (auto* custom = dynamic_cast<TCustomControl*>(this)) custom->canvas_.FreeHandle();
    HWND window = handle_;
    // Unbound first: what the destruction sends goes to the platform's handler only.
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    handle_ = nullptr;
    mouseControl_ = nullptr;
    DestroyWindow(window);
}

void TWinControl::RecreateWnd() {
    if (!handle_) return;
    DestroyHandle();
    CreateHandle();
    if (Parent()) Parent()->UpdateTabOrder();
}

void TWinControl::DefaultHandler(TMessage& m) {
    if (!handle_) {
        m.Result = 0;
        return;
    }
    m.Result = CallWindowProcA(defProc_, handle_, m.Msg, m.WParam, m.LParam);
}

// Children

TControl* TWinControl::Controls(int index) const {
    const auto graphics = static_cast<int>(controls_.size());
    if (index < 0 || index >= ControlCount()) throw Exception(ListIndexErrorMessage(index));
    if (index < graphics) return controls_[static_cast<std::size_t>(index)];
    return winControls_[static_cast<std::size_t>(index - graphics)];
}

void TWinControl::InsertControl(TControl* control) {
    control->parent_ = this;
    if (auto* windowed = dynamic_cast<TWinControl*>(control)) {
        winControls_.push_back(windowed);
        tabList_.push_back(windowed);
    } else {
        controls_.push_back(control);
    }
    control->ParentFontChanged();
    control->ParentColorChanged();
    if (auto* windowed = dynamic_cast<TWinControl*>(control); windowed && handle_) {
        windowed->CreateHandle();
        UpdateTabOrder();
    }
    control->Invalidate();
}

void TWinControl::RemoveControl(TControl* control) {
    // Also called from a child's destructor, where its dynamic type is gone: compare
    // pointers only.
    control->Invalidate();
    if (mouseControl_ == control) mouseControl_ = nullptr;
    auto erase = [control](auto& v) {
        v.erase(std::remove_if(v.begin(), v.end(), [control](TControl* c) { return c == control; }),
                v.end());
    };
    erase(winControls_);
    erase(tabList_);
    erase(controls_);
    control->parent_ = nullptr;
}

void TWinControl::SetParent(TWinControl* parent) {
    if (parent == Parent()) return;
    if (handle_ && !(parent && parent->HandleAllocated())) DestroyHandle();
    TControl::SetParent(parent);
    if (handle_ && parent && ::GetParent(handle_) != parent->handle_) {
        ::SetParent(handle_, parent->handle_);
        SetWindowPos(handle_, nullptr, left_, top_, width_, height_, SWP_NOZORDER | SWP_NOACTIVATE);
        parent->UpdateTabOrder();
    }
}

int TWinControl::TabOrder() const {
    if (!Parent()) return -1;
    const auto& list = Parent()->tabList_;
    return static_cast<int>(std::find(list.begin(), list.end(), this) - list.begin());
}

void TWinControl::SetTabOrder(int order) {
    if (!Parent()) return;
    auto& list = Parent()->tabList_;
    list.erase(std::find(list.begin(), list.end(), this));
    order = std::clamp(order, 0, static_cast<int>(list.size()));
    list.insert(list.begin() + order, this);
    Parent()->UpdateTabOrder();
}

void TWinControl::UpdateTabOrder() {
    // Keyboard navigation follows the windows' z-order: the first in tab order on top.
    HWND after = HWND_TOP;
    for (TWinControl* child : tabList_) {
        if (!child->handle_) continue;
        SetWindowPos(child->handle_, after, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
        after = child->handle_;
    }
}

void TWinControl::SetTabStop(bool tabStop) {
    if (StoreChange(tabStop_, tabStop)) SetStyleBits(WS_TABSTOP, tabStop);
}

void TWinControl::SetStyleBits(DWORD bits, bool on) {
    if (!handle_) return;
    const auto style = static_cast<DWORD>(GetWindowLongPtrA(handle_, GWL_STYLE));
    SetWindowLongPtrA(handle_, GWL_STYLE, on ? (style | bits) : (style & ~bits));
}

// Bounds, text, colour, font

void TWinControl::SetBounds(int left, int top, int width, int height) {
    if (!handle_) {
        TControl::SetBounds(left, top, width, height);
        return;
    }
    if (left == left_ && top == top_ && width == width_ && height == height_) return;
    SetWindowPos(handle_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    // The window may not take the size as given (a combo box keeps its height).
    UpdateBoundsFromWindow();
}

void TWinControl::UpdateBoundsFromWindow() {
    RECT r;
    if (!handle_ || !GetWindowRect(handle_, &r)) return;
    const HWND parent = ::GetParent(handle_);
    if (parent && (GetWindowLongPtrA(handle_, GWL_STYLE) & WS_CHILD))
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    const bool changed = r.left != left_ || r.top != top_ || r.right - r.left != width_ ||
                         r.bottom - r.top != height_;
    left_ = r.left;
    top_ = r.top;
    width_ = r.right - r.left;
    height_ = r.bottom - r.top;
    if (changed) BoundsChanged();
}

RECT TWinControl::ClientRect() {
    if (handle_) {
        RECT r{};
        GetClientRect(handle_, &r);
        return r;
    }
    // Before the window exists: the outer size less the frame the window will have.
    TCreateParams p;
    CreateParams(p);
    RECT frame{0, 0, 0, 0};
    AdjustWindowRectEx(&frame, p.Style, FALSE, p.ExStyle);
    int w = width_ - (frame.right - frame.left);
    int h = height_ - (frame.bottom - frame.top);
    if (p.Style & WS_VSCROLL) w -= GetSystemMetrics(SM_CXVSCROLL);
    if (p.Style & WS_HSCROLL) h -= GetSystemMetrics(SM_CYHSCROLL);
    return {0, 0, std::max(w, 0), std::max(h, 0)};
}

std::string TWinControl::GetText() {
    if (!handle_) return text_;
    const int n = GetWindowTextLengthA(handle_);
    std::string s(static_cast<std::size_t>(n) + 1, '\0');
    const int got = GetWindowTextA(handle_, s.data(), n + 1);
    s.resize(static_cast<std::size_t>(std::max(got, 0)));
    return s;
}

void TWinControl::TextChanged() {
    if (handle_) SetWindowTextA(handle_, text_.c_str());
}

void TWinControl::ColorChanged() {
    brush_.SetColor(Color());
    Invalidate();
}

HBRUSH TWinControl::ColorBrush() {
    return brush_.Handle();
}

void TWinControl::FontChanged() {
    if (handle_) SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(Font().Handle()), TRUE);
}

void TWinControl::EnabledChanged() {
    if (handle_) EnableWindow(handle_, Enabled());
}

void TWinControl::VisibleChanged() {
    if (handle_) ShowWindow(handle_, visible_ ? SW_SHOWNA : SW_HIDE);
}

void TWinControl::Invalidate() {
    if (handle_) InvalidateRect(handle_, nullptr, TRUE);
}

void TWinControl::BringToFront() {
    if (handle_)
        SetWindowPos(handle_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

// Focus

bool TWinControl::Focused() const {
    return handle_ && GetFocus() == handle_;
}

bool TWinControl::CanFocus() const {
    for (const TControl* c = this; c; c = c->Parent()) {
        if (!c->Visible() || !c->Enabled()) return false;
    }
    return true;
}

void TWinControl::SetFocus() {
    ::SetFocus(Handle());
}

int TWinControl::AddMessageHook(MessageHook hook) {
    return hooks_.Add(std::move(hook));
}

void TWinControl::RemoveMessageHook(int id) {
    hooks_.Remove(id);
}

// Messages

void TWinControl::WndProc(TMessage& m) {
    if (m.Msg >= CN_BASE + WM_CTLCOLORMSGBOX && m.Msg <= CN_BASE + WM_CTLCOLORSTATIC) {
        const auto dc = reinterpret_cast<HDC>(m.WParam);
        SetTextColor(dc, ColorToRGB(Font().Color()));
        SetBkColor(dc, ColorToRGB(Color()));
        m.Result = reinterpret_cast<LRESULT>(ColorBrush());
        return;
    }
    if (m.Msg >= CN_BASE && m.Msg < CN_BASE + 0x400) {
        // A notification the control does not handle: the parent's default answer.
        m.Result = 0;
        return;
    }
    if (Reflect(m)) return;
    if (IsMouseMessage(m.Msg)) {
        if (RouteMouseToGraphic(m)) return;
        TControl::WndProc(m);
        return;
    }
    switch (m.Msg) {
        case WM_CLOSE:
            // Only a form closes. A child's default answer would destroy its window (a
            // multi-line edit sends its parent WM_CLOSE for Esc) and leave the object
            // without one.
            m.Result = 0;
            return;
        case WM_PAINT:
            if (controls_.empty() && !OwnClass()) {
                DefaultHandler(m);
            } else if (m.WParam) {
                PaintWindow(reinterpret_cast<HDC>(m.WParam));
                PaintControls(reinterpret_cast<HDC>(m.WParam));
            } else {
                PaintDC dc(handle_);
                PaintWindow(dc.Get());
                PaintControls(dc.Get());
            }
            return;
        case WM_ERASEBKGND:
            if (!ownClass_) {
                DefaultHandler(m);
            } else {
                if (!opaque_) {
                    RECT r;
                    GetClientRect(handle_, &r);
                    ::FillRect(reinterpret_cast<HDC>(m.WParam), &r, ColorBrush());
                }
                m.Result = 1;
            }
            return;
        case WM_SETCURSOR:
            if (LOWORD(m.LParam) == HTCLIENT && reinterpret_cast<HWND>(m.WParam) == handle_) {
                POINT p;
                GetCursorPos(&p);
                ::ScreenToClient(handle_, &p);
                const TControl* over = mouseControl_ ? mouseControl_ : GraphicAt(p.x, p.y);
                const LPCSTR cursor = over && over->Cursor() ? over->Cursor() : Cursor();
                if (cursor) {
                    ::SetCursor(LoadCursorA(nullptr, cursor));
                    m.Result = TRUE;
                    return;
                }
            }
            DefaultHandler(m);
            return;
        case WM_WINDOWPOSCHANGED:
            DefaultHandler(m);
            UpdateBoundsFromWindow();
            return;
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
        case WM_KEYUP:
        case WM_SYSKEYUP: {
            // The handler may change the key, or take it (0) from the window.
            auto key = static_cast<WORD>(m.WParam);
            if (m.Msg == WM_KEYDOWN || m.Msg == WM_SYSKEYDOWN)
                KeyDown(key, KeyboardShiftState());
            else
                KeyUp(key, KeyboardShiftState());
            if (key == 0) return;
            m.WParam = key;
            DefaultHandler(m);
            return;
        }
        case WM_CHAR: {
            auto ch = static_cast<char>(m.WParam);
            KeyPress(ch);
            if (ch == 0) return;
            m.WParam = static_cast<unsigned char>(ch);
            DefaultHandler(m);
            return;
        }
        case WM_SETFOCUS:
            DefaultHandler(m);
            if (TForm* form = GetParentForm(this); form && form != this) form->FocusChanged(this);
            DoEnter();
            return;
        case WM_KILLFOCUS:
            DefaultHandler(m);
            DoExit();
            return;
        default:
            DefaultHandler(m);
    }
}

bool TWinControl::Reflect(TMessage& m) {
    const HWND source = ReflectionSource(m);
    if (!source || source == handle_) return false;
    TWinControl* child = FindControl(source);
    if (!child) return false;
    m.Result = child->Perform(CN_BASE + m.Msg, m.WParam, m.LParam);
    return true;
}

TControl* TWinControl::GraphicAt(int x, int y) const {
    // The last added lies on top.
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
        TControl* c = *it;
        const RECT r = c->BoundsRect();
        if (c->Visible() && c->Enabled() && PtInRect(&r, POINT{x, y})) return c;
    }
    return nullptr;
}

bool TWinControl::RouteMouseToGraphic(TMessage& m) {
    if (m.Msg == WM_MOUSEWHEEL) return false;
    const int x = GET_X_LPARAM(m.LParam);
    const int y = GET_Y_LPARAM(m.LParam);
    TControl* target = mouseControl_ ? mouseControl_ : GraphicAt(x, y);
    if (!target) return false;
    const bool press = m.Msg == WM_LBUTTONDOWN || m.Msg == WM_RBUTTONDOWN ||
                       m.Msg == WM_MBUTTONDOWN || m.Msg == WM_LBUTTONDBLCLK;
    if (press && !mouseControl_) {
        mouseControl_ = target;
        ::SetCapture(handle_);
    }
    // The last release frees the mouse before the control sees it: its click handler
    // may open a dialog that needs the mouse.
    const bool release = m.Msg == WM_LBUTTONUP || m.Msg == WM_RBUTTONUP || m.Msg == WM_MBUTTONUP;
    if (release && !(m.WParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON))) {
        mouseControl_ = nullptr;
        if (GetCapture() == handle_) ReleaseCapture();
    }
    TMessage local{m.Msg, m.WParam, MAKELPARAM(x - target->Left(), y - target->Top()), 0};
    target->WndProc(local);
    m.Result = 0;
    return true;
}

bool TWinControl::OwnClass() {
    if (handle_) return ownClass_;
    TCreateParams p;
    CreateParams(p);
    return p.SystemClass == nullptr;
}

void TWinControl::PaintWindow(HDC dc) {
    if (OwnClass()) return;
    TMessage paint{WM_PAINT, reinterpret_cast<WPARAM>(dc), 0, 0};
    DefaultHandler(paint);
}

void TWinControl::PaintControls(HDC dc) {
    for (TControl* c : controls_) {
        auto* graphic = dynamic_cast<TGraphicControl*>(c);
        if (!graphic || !graphic->Visible()) continue;
        RECT r = graphic->BoundsRect();
        if (!RectVisible(dc, &r)) continue;
        SavedDC saved(dc);
        OffsetViewportOrgEx(dc, graphic->Left(), graphic->Top(), nullptr);
        IntersectClipRect(dc, 0, 0, graphic->Width(), graphic->Height());
        graphic->PaintOn(dc);
    }
}

void TWinControl::KeyDown(WORD& key, TShiftState shift) {
    if (OnKeyDown) OnKeyDown(this, key, shift);
}

void TWinControl::KeyUp(WORD& key, TShiftState shift) {
    if (OnKeyUp) OnKeyUp(this, key, shift);
}

void TWinControl::KeyPress(char& key) {
    if (OnKeyPress) OnKeyPress(this, key);
}

void TWinControl::DoEnter() {
    if (OnEnter) OnEnter(this);
}

void TWinControl::DoExit() {
    if (OnExit) OnExit(this);
}

// TCustomControl

TCustomControl::TCustomControl(TComponent* owner) : TWinControl(owner), canvas_(*this) {
    clickFromMouse_ = true;
    canvas_.Font().Assign(Font());
}

TCustomControl::~TCustomControl() {
    canvas_.FreeHandle();
}

void TCustomControl::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.Style |= WS_CLIPCHILDREN;
    params.WinClassName = "QuillmothCustomControl";
}

void TCustomControl::PaintWindow(HDC dc) {
    canvas_.FreeHandle();
    const CanvasOnDC lent(canvas_, dc);
    Paint();
}

void TCustomControl::FontChanged() {
    TWinControl::FontChanged();
    canvas_.Font().Assign(Font());
}

}  // namespace qm
