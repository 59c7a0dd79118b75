// Windowed controls. A windowed control's window is made on demand (Handle) and
// remade when a property that only the creation can set changes (RecreateWnd). Every
// window of the framework, of its own window classes and of the platform's standard
// controls alike, runs one window procedure: the standard controls are superclassed
// (registered again under our own class name with our procedure, their own procedure
// kept as the default handler), so that one procedure binds every window to its object
// at WM_NCCREATE and unbinds it at WM_NCDESTROY. Nothing a handler throws crosses into
// the platform: it goes to the application's error display.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/Control.h"
#include "framework/HookList.h"

namespace qm {

// What the window of a control is created with.
struct TCreateParams {
    std::string Caption;
    DWORD Style = 0;
    DWORD ExStyle = 0;
    int X = 0, Y = 0, Width = 0, Height = 0;
    HWND WndParent = nullptr;
    // Our class name; for a standard control, the name of the superclass we register.
    std::string WinClassName = "QuillmothWinControl";
    // The platform class a standard control is superclassed from; null for our own
    // classes, whose default handler is DefWindowProcA.
    const char* SystemClass = nullptr;
    UINT ClassStyle = CS_DBLCLKS;
    LPCSTR ClassCursor = IDC_ARROW;
};

class TWinControl : public TControl {
  public:
    // Sees a message before the control's own handling; answering true consumes it
    // (the answer is in message.Result). A component that needs another control's
    // messages (the tray icon its owner form's) hooks them here.
    using MessageHook = std::function<bool(TMessage& message)>;

    explicit TWinControl(TComponent* owner);
    ~TWinControl() override;

    // The window, created with those of the parents and of the windowed children.
    HWND Handle();
    bool HandleAllocated() const { return handle_ != nullptr; }
    void HandleNeeded() { Handle(); }
    // Destroys the windows of the children, then this one; the control keeps its state.
    void DestroyHandle();
    void RecreateWnd();

    void SetParent(TWinControl* parent) override;
    void SetBounds(int left, int top, int width, int height) override;
    RECT ClientRect() override;
    std::string GetText() override;

    // The children: first the graphic ones, then the windowed ones, each group in the
    // order in which they were added.
    int ControlCount() const { return static_cast<int>(controls_.size() + winControls_.size()); }
    TControl* Controls(int index) const;

    // Position in the parent's tab order (0 first); setting moves the others along.
    int TabOrder() const;
    void SetTabOrder(int order);
    bool TabStop() const { return tabStop_; }
    void SetTabStop(bool tabStop);
    // Every windowed child in tab order.
    const std::vector<TWinControl*>& TabList() const { return tabList_; }

    // Puts the window on top of its siblings (a form: in front of other windows).
    virtual void BringToFront();

    bool Focused() const;
    bool CanFocus() const;
    void SetFocus();

    int AddMessageHook(MessageHook hook);
    void RemoveMessageHook(int id);

    void Invalidate() override;
    void WndProc(TMessage& message) override;

    // The object bound to a window of the framework, or null.
    static TWinControl* FindControl(HWND window);

    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;
    TKeyEvent OnKeyDown;
    TKeyEvent OnKeyUp;
    TKeyPressEvent OnKeyPress;

  protected:
    virtual void CreateParams(TCreateParams& params);
    // Makes the window; a derived control that puts state into its new window
    // (items, checks, ranges) does so after calling this.
    virtual void CreateWnd();
    // Saves window state into the object before the window goes (RecreateWnd).
    virtual void DestroyWnd();
    void DefaultHandler(TMessage& message) override;

    // A key claimed by KeyDown or KeyPress (set to 0) is not passed on.
    virtual void KeyDown(WORD& key, TShiftState shift);
    virtual void KeyUp(WORD& key, TShiftState shift);
    virtual void KeyPress(char& key);
    // Focus gained and lost, after the platform's handling.
    virtual void DoEnter();
    virtual void DoExit();

    // Paints the window itself on a paint device context; the graphic children
    // are painted over it afterwards.
    virtual void PaintWindow(HDC dc);
    void PaintControls(HDC dc);

    void TextChanged() override;
    void ColorChanged() override;
    void FontChanged() override;
    void EnabledChanged() override;
    void VisibleChanged() override;

    // The brush of the control's colour, for WM_CTLCOLOR* and background erasing.
    HBRUSH ColorBrush();
    // Changes window style bits in place.
    void SetStyleBits(DWORD bits, bool on);

    // Our own window classes paint nothing by default; standard controls paint
    // themselves.
    bool ownClass_ = false;
    // The platform need not erase the background (the control paints it all).
    bool opaque_ = false;
    bool tabStop_ = false;
    // Set by the containers that keyboard navigation should step into.
    bool controlParent_ = false;

  private:
    friend class TControl;
    friend class TControlCanvas;
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam,
                                       LPARAM lParam) noexcept;
    void CreateHandle();
    bool OwnClass();
    void Dispatch(TMessage& message);
    bool Reflect(TMessage& message);
    bool RouteMouseToGraphic(TMessage& message);
    TControl* GraphicAt(int x, int y) const;
    void UpdateBoundsFromWindow();
    void UpdateTabOrder();
    void InsertControl(TControl* control);
    void RemoveControl(TControl* control);

    HWND handle_ = nullptr;
    WNDPROC defProc_ = nullptr;
    std::vector<TControl*> controls_;        // graphic children
    std::vector<TWinControl*> winControls_;  // windowed children
    std::vector<TWinControl*> tabList_;      // windowed children in tab order
    TControl* mouseControl_ = nullptr;       // graphic child holding the mouse
    HookList<MessageHook> hooks_;
    TBrush brush_;
};

// A windowed control of its own class that draws itself: Paint runs for every paint
// message with the canvas on the paint device context, its font the control's font.
class TCustomControl : public TWinControl {
  public:
    explicit TCustomControl(TComponent* owner);
    ~TCustomControl() override;
    TCanvas& Canvas() { return canvas_; }

  protected:
    void CreateParams(TCreateParams& params) override;
    virtual void Paint() {}
    void PaintWindow(HDC dc) override;
    void FontChanged() override;

  private:
    friend class TWinControl;
    TControlCanvas canvas_;
};

}  // namespace qm
