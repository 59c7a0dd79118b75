// The window layer under Wine: binding of windows to objects, errors from handlers,
// the order of children, keyboard navigation and dialog keys, teardown, painting.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "base/Exception.h"
#include "framework/Application.h"
#include "framework/Bitmap.h"
#include "framework/ComCtrls.h"
#include "framework/ExtCtrls.h"
#include "framework/Form.h"
#include "framework/StdCtrls.h"

namespace qm {
namespace {

// Collects what the error display would show.
class ErrorSink {
  public:
    ErrorSink() {
        Application().SetErrorDisplay([this](const std::string& m) { shown.push_back(m); });
    }
    ~ErrorSink() { Application().SetErrorDisplay(nullptr); }
    std::vector<std::string> shown;
};

// A custom control that records the messages its object handles and whether any
// arrives once its destruction has begun.
struct Probe : TCustomControl {
    struct Log {
        std::vector<UINT> messages;
        int afterDestruction = 0;
    };
    Probe(TComponent* owner, Log& log) : TCustomControl(owner), log_(log) {
        SetBounds(0, 0, 50, 20);
    }
    ~Probe() override { destroying_ = true; }
    void WndProc(TMessage& m) override {
        if (destroying_) ++log_.afterDestruction;
        log_.messages.push_back(m.Msg);
        TCustomControl::WndProc(m);
    }
    Log& log_;
    bool destroying_ = false;
};

bool Saw(const Probe::Log& log, UINT message) {
    return std::find(log.messages.begin(), log.messages.end(), message) != log.messages.end();
}

TEST(WindowBinding, OwnAndSuperclassedWindowsBindAtCreationAndUnbindAtDestruction) {
    TForm form(nullptr);
    Probe::Log log;
    auto* probe = new Probe(&form, log);
    probe->SetParent(&form);
    auto* box = new TCheckBox(&form);
    box->SetParent(&form);

    EXPECT_FALSE(probe->HandleAllocated());
    HWND window = probe->Handle();  // makes the form's window and its children's
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(form.HandleAllocated());
    EXPECT_TRUE(box->HandleAllocated());
    EXPECT_TRUE(Saw(log, WM_NCCREATE)) << "the object sees its window from the first message";
    EXPECT_TRUE(Saw(log, WM_CREATE));
    EXPECT_EQ(TWinControl::FindControl(window), probe);
    EXPECT_EQ(TWinControl::FindControl(box->Handle()), box);
    EXPECT_EQ(TWinControl::FindControl(Application().Handle()), nullptr);

    // The standard control keeps working through its own procedure.
    char name[64] = {};
    GetClassNameA(box->Handle(), name, sizeof name);
    EXPECT_STREQ(name, "QuillmothCheckBox");
    SendMessageA(box->Handle(), BM_SETCHECK, BST_CHECKED, 0);
    EXPECT_EQ(SendMessageA(box->Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);

    HWND boxWindow = box->Handle();
    form.DestroyHandle();
    EXPECT_FALSE(IsWindow(window));
    EXPECT_FALSE(IsWindow(boxWindow));
    EXPECT_FALSE(probe->HandleAllocated());
    EXPECT_FALSE(box->HandleAllocated());
    EXPECT_FALSE(Saw(log, WM_DESTROY)) << "unbound before the window is destroyed";
}

TEST(WindowBinding, RecreatedWindowKeepsTheControlsState) {
    TForm form(nullptr);
    auto* edit = new TEdit(&form);
    edit->SetParent(&form);
    HWND first = edit->Handle();
    SetWindowTextA(first, "typed");  // as if the user typed it
    edit->SetPasswordChar('*');      // only a new window can take that
    EXPECT_NE(edit->Handle(), first);
    EXPECT_FALSE(IsWindow(first));
    EXPECT_EQ(edit->Text(), "typed");
    EXPECT_TRUE(GetWindowLongPtrA(edit->Handle(), GWL_STYLE) & ES_PASSWORD);
}

TEST(WindowBinding, ErrorsFromHandlersReachTheErrorDisplayAndTheWindowLivesOn) {
    ErrorSink errors;
    TForm form(nullptr);
    auto* button = new TButton(&form);
    button->SetParent(&form);
    int clicks = 0;
    button->OnClick = [&](TComponent*) {
        ++clicks;
        throw Exception("broken handler");
    };
    SendMessageA(button->Handle(), BM_CLICK, 0, 0);
    SendMessageA(button->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(errors.shown, (std::vector<std::string>{"broken handler.", "broken handler."}));
    EXPECT_TRUE(IsWindow(button->Handle()));
}

TEST(Children, GraphicChildrenComeFirstThenWindowedEachInTheOrderAdded) {
    TForm form(nullptr);
    auto* edit = new TEdit(&form);
    auto* shape1 = new TShape(&form);
    auto* box = new TCheckBox(&form);
    auto* shape2 = new TShape(&form);
    for (TControl* c : std::vector<TControl*>{edit, shape1, box, shape2})
        c->SetParent(&form);
    ASSERT_EQ(form.ControlCount(), 4);
    EXPECT_EQ(form.Controls(0), shape1);
    EXPECT_EQ(form.Controls(1), shape2);
    EXPECT_EQ(form.Controls(2), edit);
    EXPECT_EQ(form.Controls(3), box);
    EXPECT_THROW(form.Controls(4), Exception);

    delete shape1;  // leaves its parent
    EXPECT_EQ(form.ControlCount(), 3);
    EXPECT_EQ(form.Controls(0), shape2);
    box->SetParent(nullptr);
    EXPECT_EQ(form.ControlCount(), 2);
    delete box;
}

TEST(Children, ControlCannotContainItsOwnAncestor) {
    TForm form(nullptr);
    auto* outer = new TGroupBox(&form);
    outer->SetParent(&form);
    auto* inner = new TGroupBox(&form);
    inner->SetParent(outer);
    EXPECT_THROW(outer->SetParent(inner), Exception);
    EXPECT_EQ(outer->Parent(), &form);
}

TEST(Children, ChildrenTakeTheFormFontUntilGivenTheirOwn) {
    TForm form(nullptr);
    auto* group = new TGroupBox(&form);
    group->SetParent(&form);
    auto* edit = new TEdit(&form);
    edit->SetParent(group);
    auto* own = new TEdit(&form);
    own->SetParent(group);
    own->Font().SetHeight(-20);
    EXPECT_FALSE(own->ParentFont());

    EXPECT_EQ(edit->Font().Name(), kDefaultFontName);
    EXPECT_EQ(edit->Font().Height(), -12);
    EXPECT_EQ(edit->Font().Charset(), SHIFTJIS_CHARSET);
    form.Font().SetHeight(-16);
    EXPECT_EQ(edit->Font().Height(), -16) << "through the group box";
    EXPECT_TRUE(edit->ParentFont());
    EXPECT_EQ(own->Font().Height(), -20);
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(edit->Handle(), WM_GETFONT, 0, 0)),
              edit->Font().Handle());
}

// Runs the keys through the application's own message handling, as the loop does.
void PressKey(HWND target, WORD key) {
    PostMessageA(target, WM_KEYDOWN, key, 1);
    PostMessageA(target, WM_KEYUP, key, 0xC0000001);
    Application().ProcessMessages();
}

struct DialogForm {
    DialogForm() {
        form.SetBounds(10, 10, 300, 200);
        for (int i = 0; i < 3; ++i) {
            edits[i] = new TEdit(&form);
            edits[i]->SetParent(&form);
            edits[i]->SetBounds(8, 8 + 30 * i, 100, 21);
        }
        ok = new TButton(&form);
        ok->SetParent(&form);
        ok->SetDefault(true);
        ok->OnClick = [this](TComponent*) { log.push_back("ok"); };
        cancel = new TButton(&form);
        cancel->SetParent(&form);
        cancel->SetCancel(true);
        cancel->OnClick = [this](TComponent*) { log.push_back("cancel"); };
        form.Show();
        Application().ProcessMessages();
    }
    TForm form{nullptr};
    TEdit* edits[3] = {};
    TButton* ok = nullptr;
    TButton* cancel = nullptr;
    std::vector<std::string> log;
};

TEST(DialogKeys, TabFollowsTabOrder) {
    DialogForm d;
    d.edits[2]->SetTabOrder(0);
    EXPECT_EQ(d.edits[2]->TabOrder(), 0);
    EXPECT_EQ(d.edits[0]->TabOrder(), 1);
    EXPECT_EQ(d.form.TabList()[2], d.edits[1]);

    d.edits[2]->SetFocus();
    PressKey(GetFocus(), VK_TAB);
    EXPECT_EQ(GetFocus(), d.edits[0]->Handle());
    PressKey(GetFocus(), VK_TAB);
    EXPECT_EQ(GetFocus(), d.edits[1]->Handle());
    EXPECT_EQ(d.form.ActiveControl(), d.edits[1]);
}

TEST(DialogKeys, TabStepsIntoTheShownPageAndOutAgain) {
    DialogForm d;
    auto* pages = new TPageControl(&d.form);
    pages->SetParent(&d.form);
    pages->SetBounds(120, 0, 170, 120);
    TEdit* onPage[2];
    for (int i = 0; i < 2; ++i) {
        auto* sheet = new TTabSheet(&d.form);
        sheet->SetPageControl(pages);
        onPage[i] = new TEdit(&d.form);
        onPage[i]->SetParent(sheet);
    }
    pages->SetTabOrder(3);  // after the three edits, before the buttons
    d.edits[2]->SetFocus();
    PressKey(GetFocus(), VK_TAB);
    EXPECT_EQ(GetFocus(), onPage[0]->Handle());
    PressKey(GetFocus(), VK_TAB);
    EXPECT_EQ(GetFocus(), d.ok->Handle()) << "the hidden page's edit is skipped";
}

TEST(DialogKeys, EnterClicksTheDefaultButtonAndEscTheCancelButton) {
    DialogForm d;
    d.edits[0]->SetFocus();
    PressKey(d.edits[0]->Handle(), VK_RETURN);
    PressKey(d.edits[0]->Handle(), VK_ESCAPE);
    EXPECT_EQ(d.log, (std::vector<std::string>{"ok", "cancel"}));

    // A focused button is the one Enter clicks.
    d.log.clear();
    d.cancel->SetFocus();
    PressKey(d.cancel->Handle(), VK_RETURN);
    EXPECT_EQ(d.log, std::vector<std::string>{"cancel"});

    // A hidden or disabled default button is not clicked.
    d.log.clear();
    d.edits[0]->SetFocus();
    d.ok->SetEnabled(false);
    PressKey(d.edits[0]->Handle(), VK_RETURN);
    EXPECT_TRUE(d.log.empty());
}

// A multi-line edit asks for every key: Enter stays in it.
struct MultiLineEdit : TEdit {
    using TEdit::TEdit;
    void CreateParams(TCreateParams& p) override {
        TEdit::CreateParams(p);
        p.Style |= ES_MULTILINE;
    }
};

TEST(DialogKeys, ControlThatWantsEnterKeepsIt) {
    DialogForm d;
    auto* memo = new MultiLineEdit(&d.form);
    memo->SetParent(&d.form);
    memo->SetFocus();
    PressKey(memo->Handle(), VK_RETURN);
    EXPECT_TRUE(d.log.empty());
}

// Claims the arrow keys, as a text view does.
struct ArrowTaker : TCustomControl {
    using TCustomControl::TCustomControl;
    void WndProc(TMessage& m) override {
        TCustomControl::WndProc(m);
        if (m.Msg == WM_GETDLGCODE) m.Result |= DLGC_WANTARROWS;
    }
    void KeyDown(WORD& key, TShiftState shift) override {
        keys.push_back(key);
        TCustomControl::KeyDown(key, shift);
    }
    std::vector<WORD> keys;
};

TEST(DialogKeys, ArrowsMoveTheFocusUnlessTheControlClaimsThem) {
    DialogForm d;
    auto* taker = new ArrowTaker(&d.form);
    taker->SetParent(&d.form);
    taker->SetTabStop(true);
    taker->SetBounds(150, 8, 50, 50);
    taker->SetTabOrder(0);
    taker->SetFocus();
    PressKey(taker->Handle(), VK_DOWN);
    EXPECT_EQ(GetFocus(), taker->Handle());
    EXPECT_EQ(taker->keys, std::vector<WORD>{VK_DOWN});
    PressKey(taker->Handle(), VK_TAB);
    EXPECT_EQ(GetFocus(), d.edits[0]->Handle());
    EXPECT_EQ(taker->keys, std::vector<WORD>{VK_DOWN}) << "Tab is the dialog's";
}

TEST(DialogKeys, ArrowsMoveTheSelectionWithinARadioGroup) {
    DialogForm d;
    auto* group = new TRadioGroup(&d.form);
    group->SetParent(&d.form);
    group->SetBounds(150, 8, 89, 73);
    for (const char* item : {"a", "b", "c"})
        group->Items().Add(item);
    group->SetItemIndex(0);
    static_cast<TWinControl*>(group->Controls(0))->SetFocus();
    PressKey(GetFocus(), VK_DOWN);
    EXPECT_EQ(group->ItemIndex(), 1);
    EXPECT_EQ(GetFocus(), static_cast<TWinControl*>(group->Controls(1))->Handle());
    PressKey(GetFocus(), VK_DOWN);
    PressKey(GetFocus(), VK_DOWN);
    EXPECT_EQ(group->ItemIndex(), 0) << "round within the group";
    EXPECT_EQ(GetFocus(), static_cast<TWinControl*>(group->Controls(0))->Handle());

    // With nothing selected the first button takes the group's tab stop.
    group->SetItemIndex(-1);
    EXPECT_TRUE(static_cast<TWinControl*>(group->Controls(0))->TabStop());
    EXPECT_FALSE(static_cast<TWinControl*>(group->Controls(1))->TabStop());
}

TEST(Input, CustomControlTurnsPressesIntoClicksAndDoubleClicks) {
    TForm form(nullptr);
    auto* view = new TCustomControl(&form);
    view->SetParent(&form);
    view->SetBounds(0, 0, 100, 50);
    std::vector<std::string> events;
    view->OnClick = [&](TComponent*) { events.push_back("click"); };
    view->OnDblClick = [&](TComponent*) { events.push_back("dblclick"); };
    view->OnMouseDown = [&](TComponent*, TMouseButton b, TShiftState s, int x, int y) {
        events.push_back("down " + std::to_string(b) + (s & ssDouble ? " double" : "") + " " +
                         std::to_string(x) + "," + std::to_string(y));
    };
    view->OnMouseUp = [&](TComponent*, TMouseButton, TShiftState, int, int) {
        events.push_back("up");
    };
    HWND w = view->Handle();
    SendMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 20));
    EXPECT_EQ(GetCapture(), w) << "a drag outside keeps reporting";
    SendMessageA(w, WM_LBUTTONUP, 0, MAKELPARAM(12, 20));
    SendMessageA(w, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(12, 20));
    SendMessageA(w, WM_LBUTTONUP, 0, MAKELPARAM(12, 20));
    SendMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 20));
    SendMessageA(w, WM_LBUTTONUP, 0, MAKELPARAM(-5, 20));  // released outside: no click
    SendMessageA(w, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(1, 2));
    EXPECT_EQ(events, (std::vector<std::string>{"down 0 10,20", "click", "up", "dblclick",
                                                "down 0 double 12,20", "up", "down 0 10,20", "up",
                                                "down 1 1,2"}));
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST(Input, KeyHandlersSeeKeysFirstAndMayChangeOrSwallowThem) {
    TForm form(nullptr);
    auto* edit = new TEdit(&form);
    edit->SetParent(&form);
    std::vector<WORD> downs;
    edit->OnKeyDown = [&](TComponent*, WORD& key, TShiftState) {
        downs.push_back(key);
        if (key == VK_END) key = 0;  // swallowed: the edit never moves its caret
    };
    edit->OnKeyPress = [](TComponent*, char& c) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (c == '!') c = 0;
    };
    HWND w = edit->Handle();
    for (char c : std::string("ab!c"))
        SendMessageA(w, WM_CHAR, static_cast<unsigned char>(c), 1);
    EXPECT_EQ(edit->Text(), "ABC");
    SendMessageA(w, EM_SETSEL, 0, 0);
    SendMessageA(w, WM_KEYDOWN, VK_END, 1);
    EXPECT_EQ(edit->SelStart(), 0);
    SendMessageA(w, WM_KEYDOWN, VK_RIGHT, 1);
    EXPECT_EQ(edit->SelStart(), 1);
    EXPECT_EQ(downs, (std::vector<WORD>{VK_END, VK_RIGHT}));
}

TEST(Input, EnterAndExitFollowTheFocus) {
    TForm form(nullptr);
    auto* a = new TEdit(&form);
    a->SetParent(&form);
    auto* b = new TEdit(&form);
    b->SetParent(&form);
    std::vector<std::string> log;
    a->OnEnter = [&](TComponent*) { log.push_back("enter a"); };
    a->OnExit = [&](TComponent*) { log.push_back("exit a"); };
    b->OnEnter = [&](TComponent*) { log.push_back("enter b"); };
    form.HandleNeeded();
    a->SetFocus();
    b->SetFocus();
    EXPECT_EQ(log, (std::vector<std::string>{"enter a", "exit a", "enter b"}));
    EXPECT_EQ(form.ActiveControl(), b);
}

TEST(Teardown, NoHandlerRunsOnADestroyedObjectAndComponentsGoWhileTheFormIsWhole) {
    Probe::Log log;
    std::vector<HWND> windows;
    bool formWindowAtComponentDeath = false;
    struct Watcher : TComponent {
        Watcher(TForm* form, bool& seen) : TComponent(form), form_(form), seen_(seen) {}
        ~Watcher() override { seen_ = form_->HandleAllocated() && IsWindow(form_->Handle()); }
        TForm* form_;
        bool& seen_;
    };
    {
        auto form = std::make_unique<TForm>(nullptr);
        auto* group = new TGroupBox(form.get());
        group->SetParent(form.get());
        for (int i = 0; i < 3; ++i) {
            auto* probe = new Probe(form.get(), log);
            probe->SetParent(i == 0 ? static_cast<TWinControl*>(form.get()) : group);
        }
        new Watcher(form.get(), formWindowAtComponentDeath);
        form->Show();
        Application().ProcessMessages();
        for (int i = 0; i < form->ControlCount(); ++i)
            windows.push_back(static_cast<TWinControl*>(form->Controls(i))->Handle());
        windows.push_back(form->Handle());
        // Messages still queued for the windows when they go.
        for (HWND w : windows)
            PostMessageA(w, WM_USER, 0, 0);
    }
    Application().ProcessMessages();
    EXPECT_EQ(log.afterDestruction, 0);
    EXPECT_TRUE(formWindowAtComponentDeath);
    for (HWND w : windows)
        EXPECT_FALSE(IsWindow(w));
}

// Paints a red square with a white text background.
struct Painter : TCustomControl {
    using TCustomControl::TCustomControl;
    void Paint() override {
        Canvas().Brush().SetColor(clRed);
        Canvas().FillRect({0, 0, 10, 10});
        Canvas().Brush().SetColor(clWhite);
        Canvas().TextOut(12, 0, "x");
        ++paints;
    }
    int paints = 0;
};

TEST(Painting, CustomControlAndGraphicChildrenPaintOnTheirCanvas) {
    TForm form(nullptr);
    form.SetColor(clLime);
    auto* painter = new Painter(&form);
    painter->SetParent(&form);
    painter->SetBounds(0, 0, 40, 20);
    auto* shape = new TShape(&form);
    shape->SetParent(&form);
    shape->SetBounds(50, 0, 20, 20);
    shape->Brush().SetColor(clBlue);

    // Into a bitmap, through the paint message with a device context.
    TBitmap bitmap;
    bitmap.SetSize(80, 30);
    painter->Perform(WM_PAINT, reinterpret_cast<WPARAM>(bitmap.Canvas().Handle()), 0);
    EXPECT_EQ(bitmap.Canvas().Pixel(5, 5), RGB(255, 0, 0));
    EXPECT_EQ(painter->paints, 1);
    form.Perform(WM_PAINT, reinterpret_cast<WPARAM>(bitmap.Canvas().Handle()), 0);
    EXPECT_EQ(bitmap.Canvas().Pixel(60, 10), RGB(0, 0, 255)) << "inside the shape's border";
    EXPECT_EQ(bitmap.Canvas().Pixel(50, 0), RGB(0, 0, 0)) << "the shape's pen";

    // On screen, through the platform's paint cycle.
    form.Show();
    UpdateWindow(form.Handle());
    Application().ProcessMessages();
    EXPECT_GE(painter->paints, 2);
    HDC screen = GetDC(painter->Handle());
    EXPECT_EQ(GetPixel(screen, 5, 5), RGB(255, 0, 0));
    ReleaseDC(painter->Handle(), screen);
    HDC formDC = GetDC(form.Handle());
    EXPECT_EQ(GetPixel(formDC, 60, 10), RGB(0, 0, 255));
    EXPECT_EQ(GetPixel(formDC, 100, 100), RGB(0, 255, 0)) << "the form's colour";
    ReleaseDC(form.Handle(), formDC);
}

TEST(Painting, EditBoxBackgroundIsTheControlsColour) {
    TForm form(nullptr);
    auto* edit = new TEdit(&form);
    edit->SetParent(&form);
    edit->SetBounds(0, 0, 100, 24);
    edit->SetColor(clRed);
    form.Show();
    UpdateWindow(form.Handle());
    HDC dc = GetDC(edit->Handle());
    RECT client;
    GetClientRect(edit->Handle(), &client);
    EXPECT_EQ(GetPixel(dc, client.right - 3, client.bottom / 2), RGB(255, 0, 0));
    ReleaseDC(edit->Handle(), dc);
}

TEST(MessageHooks, HookSeesMessagesFirstAndCanConsumeThem) {
    TForm form(nullptr);
    std::vector<UINT> seen;
    const int id = form.AddMessageHook([&](TMessage& m) {
        if (m.Msg < WM_USER) return false;
        seen.push_back(m.Msg);
        m.Result = 7;
        return m.Msg == WM_USER + 1;
    });
    EXPECT_EQ(SendMessageA(form.Handle(), WM_USER + 1, 0, 0), 7);
    EXPECT_EQ(SendMessageA(form.Handle(), WM_USER + 2, 0, 0), 0) << "passed on: the form's answer";
    form.RemoveMessageHook(id);
    SendMessageA(form.Handle(), WM_USER + 1, 0, 0);
    EXPECT_EQ(seen, (std::vector<UINT>{WM_USER + 1, WM_USER + 2}));
}

TEST(MessageHooks, WindowSubclassedTheClassicWayStillReachesItsObject) {
    TForm form(nullptr);
    static WNDPROC previous = nullptr;
    static int seen = 0;
    WNDPROC mine = [](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        if (m == WM_USER + 3) ++seen;
        return CallWindowProcA(previous, w, m, wp, lp);
    };
    std::vector<UINT> reached;
    form.AddMessageHook([&](TMessage& m) {
        if (m.Msg == WM_USER + 3) reached.push_back(m.Msg);
        return false;
    });
    previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(form.Handle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(mine)));
    SendMessageA(form.Handle(), WM_USER + 3, 0, 0);
    SetWindowLongPtrA(form.Handle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
    SendMessageA(form.Handle(), WM_USER + 3, 0, 0);
    EXPECT_EQ(seen, 1);
    EXPECT_EQ(reached.size(), 2u);
    EXPECT_EQ(TWinControl::FindControl(form.Handle()), &form);
}

TEST(Forms, ChildLostItsWindowWhenAskedToClose) {
    // A multi-line edit answers Esc by sending its parent WM_CLOSE.
    TForm form(nullptr);
    auto* group = new TGroupBox(&form);
    group->SetParent(&form);
    group->SetBounds(0, 0, 100, 60);
    form.Show();
    const HWND window = group->Handle();
    SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(window));
    EXPECT_TRUE(group->HandleAllocated());
    EXPECT_TRUE(form.Visible());
}

TEST(Forms, CloseAsksFirstThenHides) {
    TForm form(nullptr);
    bool allow = false;
    form.OnCloseQuery = [&](TComponent* sender, bool& canClose) {
        EXPECT_EQ(sender, &form);
        canClose = allow;
    };
    form.Show();
    SendMessageA(form.Handle(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(form.Visible());
    EXPECT_TRUE(IsWindowVisible(form.Handle()));
    allow = true;
    form.Close();
    EXPECT_FALSE(form.Visible());
    EXPECT_FALSE(IsWindowVisible(form.Handle()));
    EXPECT_FALSE(Application().Terminated());
}

TEST(Forms, ClientSizeIsRightBeforeAndAfterTheWindowExists) {
    TForm form(nullptr);
    form.SetClientSize(400, 309);
    EXPECT_EQ(form.ClientWidth(), 400);
    EXPECT_EQ(form.ClientHeight(), 309);
    form.HandleNeeded();
    RECT r;
    GetClientRect(form.Handle(), &r);
    EXPECT_EQ(r.right, 400);
    EXPECT_EQ(r.bottom, 309);
    const auto style = GetWindowLongPtrA(form.Handle(), GWL_STYLE);
    EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX)) << "fixed dialog frame";
}

}  // namespace
}  // namespace qm
