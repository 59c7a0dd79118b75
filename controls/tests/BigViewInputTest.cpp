// The text view driven by real input under Wine: mouse and keys go through SendInput,
// the platform's input queue, hit testing, capture, double-click detection and the
// dialog key handling of the form, as a user's would.
#include "controls/tests/ViewFixture.h"

namespace qm::test {
namespace {

class BigViewInput : public ViewTest {
  protected:
    void SetUp() override {
        ViewTest::SetUp();
        ShowRows(10);
    }
    HWND CaretWindow() {
        GUITHREADINFO info{};
        info.cbSize = sizeof(info);
        GetGUIThreadInfo(GetCurrentThreadId(), &info);
        return info.hwndCaret;
    }
};

TEST_F(BigViewInput, ClickBelowTheLastViewLineGoesToItsEnd) {
    AddLines(3);
    Focus();
    ClickAt(60, YOfRow(7));
    EXPECT_EQ(view->SelStart(), (TViewPos{7, 2}));  // after "line 2"
    EXPECT_EQ(view->SelEnd(), (TViewPos{7, 2}));
    EXPECT_EQ(view->CaretPos(), (TViewPos{7, 2}));
    EXPECT_FALSE(view->Extending());
    ClickAt(XOfByte(1, 3), YOfRow(1));
    EXPECT_EQ(view->SelEnd(), (TViewPos{3, 1})) << "a point inside a character: before it";
}

TEST_F(BigViewInput, DoubleClickSelectsAWordOrOneCharacter) {
    // x, space, foo_bar1 (3-10), full stop (11), y, space, hiragana a (14-15), i (16-17)
    view->AddLine("x foo_bar1.y \x82\xa0\x82\xa2");
    int doubleClicks = 0;
    view->OnDblClick = [&](TComponent*) { ++doubleClicks; };
    Focus();
    DoubleClickAt(XOfByte(0, 6), YOfRow(0));
    EXPECT_EQ(doubleClicks, 1);
    EXPECT_EQ(view->SelStart(), (TViewPos{3, 0}));
    EXPECT_EQ(view->SelEnd(), (TViewPos{11, 0})) << "all eight bytes of foo_bar1";
    EXPECT_EQ(view->ClickState(), 1);

    Sleep(600);
    DoubleClickAt(XOfByte(0, 11), YOfRow(0));
    EXPECT_EQ(view->SelStart(), (TViewPos{11, 0}));
    EXPECT_EQ(view->SelEnd(), (TViewPos{12, 0})) << "the full stop alone";

    const int left = TBigView::Margin + view->TextWidth(view->GetViewLine(0).substr(0, 15));
    const int right = TBigView::Margin + view->TextWidth(view->GetViewLine(0).substr(0, 17));
    for (int x : {left + 2, right - 2}) {
        Sleep(600);
        DoubleClickAt(x, YOfRow(0));
        EXPECT_EQ(view->SelStart(), (TViewPos{16, 0})) << "x " << x;
        EXPECT_EQ(view->SelEnd(), (TViewPos{18, 0})) << "both bytes of the character";
    }
}

TEST_F(BigViewInput, DraggingAboveTheWindowScrollsOneLinePerRepetition) {
    AddLines(100);
    view->SetTopRow(20);
    Focus();
    const POINT press = Screen(TBigView::Margin + 1, YOfRow(25));
    SendMouse(0, press.x, press.y);
    SendMouse(MOUSEEVENTF_LEFTDOWN, press.x, press.y);
    ASSERT_TRUE(PumpUntil([&] { return view->Extending(); }));
    EXPECT_EQ(view->SelStart(), (TViewPos{1, 25}));

    std::vector<int> tops;
    view->OnViewLineChanged = [&](TComponent*) {
        tops.push_back(view->TopRow());
        if (tops.size() == 3) {
            // Let go while the view is still scrolling.
            const POINT above = Screen(40, -30);
            SendMouse(MOUSEEVENTF_LEFTUP, above.x, above.y);
        }
    };
    const POINT above = Screen(40, -30);
    SendMouse(0, above.x, above.y);
    ASSERT_TRUE(PumpUntil([&] { return !view->Extending(); }));
    view->OnViewLineChanged = nullptr;
    EXPECT_EQ(tops, (std::vector<int>{19, 18, 17}));
    EXPECT_EQ(view->TopRow(), 17);
    EXPECT_EQ(view->SelStart(), (TViewPos{1, 25}));
    EXPECT_EQ(view->SelEnd(), (TViewPos{1, 17})) << "extended to the top row's start";
    Pump(50);
    EXPECT_EQ(view->TopRow(), 17) << "no scrolling after the release";
}

TEST_F(BigViewInput, ShiftedCaretKeysSelectAndUnshiftedOnesCollapse) {
    AddLines(20);
    view->SetCaret(true);
    Focus();
    EXPECT_EQ(CaretWindow(), view->Handle()) << "the caret exists while the view has the focus";
    view->SetSelStart({1, 3});
    view->SetSelEnd({1, 3});
    Tap(VK_DOWN, {VK_SHIFT});
    Tap(VK_DOWN, {VK_SHIFT});
    EXPECT_EQ(view->SelStart(), (TViewPos{1, 3}));
    EXPECT_EQ(view->SelEnd(), (TViewPos{1, 5}));
    EXPECT_FALSE(view->Extending()) << "releasing the key ends the run";
    POINT caret;
    GetCaretPos(&caret);
    EXPECT_EQ(caret.x, TBigView::Margin);
    EXPECT_EQ(caret.y, 5 * view->LineHeight());
    Tap(VK_LEFT);
    EXPECT_EQ(view->SelStart(), (TViewPos{1, 5}));
    EXPECT_EQ(view->SelEnd(), (TViewPos{1, 5}));
    Tap(VK_END);
    EXPECT_EQ(view->CaretPos(), (TViewPos{7, 5}));
    Tap(VK_RIGHT);
    EXPECT_EQ(view->CaretPos(), (TViewPos{7, 5})) << "Right at the end stays";
    Tap(VK_END, {VK_CONTROL});
    EXPECT_EQ(view->CaretPos(), (TViewPos{8, 19}));
    EXPECT_EQ(view->TopRow(), 10) << "the caret is kept in view";
    Tap(VK_HOME, {VK_CONTROL, VK_SHIFT});
    EXPECT_EQ(view->SelStart(), (TViewPos{8, 19}));
    EXPECT_EQ(view->SelEnd(), (TViewPos{1, 0}));
    EXPECT_EQ(view->TopRow(), 0);

    other->SetFocus();
    Pump(30);
    EXPECT_NE(CaretWindow(), view->Handle()) << "gone with the focus";
}

TEST_F(BigViewInput, CaretKeysStepOverTwoByteCharacters) {
    view->AddLine(
        "a\x82\xa0"
        "b");                           // a, hiragana a, b
    view->AddLine("\x82\xa0\x82\xa0");  // hiragana a twice
    view->SetCaret(true);
    Focus();
    view->SetSelStart({2, 0});
    view->SetSelEnd({2, 0});
    Tap(VK_RIGHT);
    EXPECT_EQ(view->CaretPos(), (TViewPos{4, 0})) << "over both bytes";
    Tap(VK_DOWN);
    EXPECT_EQ(view->CaretPos(), (TViewPos{5, 1})) << "column 4 is a second byte below";
    Tap(VK_LEFT);
    EXPECT_EQ(view->CaretPos(), (TViewPos{3, 1}));
    view->SetSelStart({4, 0});
    view->SetSelEnd({4, 0});
    Tap(VK_DOWN);
    Tap(VK_UP);
    EXPECT_EQ(view->CaretPos(), (TViewPos{5, 0})) << "the byte column is kept";
    view->SetSelStart({3, 0});
    view->SetSelEnd({3, 0});
    Tap(VK_DOWN);
    EXPECT_EQ(view->CaretPos(), (TViewPos{3, 1}));
    view->SetSelEnd({4, 1});
    view->SetSelStart({4, 1});
    Tap(VK_UP);
    EXPECT_EQ(view->CaretPos(), (TViewPos{4, 0}));
}

TEST_F(BigViewInput, WithoutSelectShiftedKeysDoNothing) {
    AddLines(30);
    view->SetCaret(true);
    view->SetSelect(false);
    view->SetScrollBar(ssVertical);
    Focus();
    view->SetSelStart({1, 3});
    view->SetSelEnd({1, 3});
    Tap(VK_DOWN, {VK_SHIFT});
    EXPECT_EQ(view->CaretPos(), (TViewPos{1, 3}));
    EXPECT_EQ(view->SelStart(), view->SelEnd());
    EXPECT_EQ(view->TopRow(), 0);
}

// The dialog's filter file view: no caret, selection, a vertical bar only.
TEST_F(BigViewInput, FilterViewConfigurationScrollsWithTheVerticalKeysOnly) {
    SetFileViewStyle(*view);
    view->SetBounds(8, 56, 377, 185);
    AddLines(100);
    Focus();
    const int rows = view->RowsVisible();
    Tap(VK_DOWN);
    EXPECT_EQ(view->TopRow(), 1);
    Tap(VK_NEXT);
    EXPECT_EQ(view->TopRow(), 1 + rows - 1);
    Tap(VK_UP);
    EXPECT_EQ(view->TopRow(), rows - 1);
    for (WORD key : {VK_LEFT, VK_RIGHT, VK_HOME, VK_END}) {
        Tap(key);
        EXPECT_EQ(view->TopRow(), rows - 1) << "key " << key;
        EXPECT_TRUE(view->Focused()) << "the dialog must not move the focus on key " << key;
    }
    Tap(VK_END, {VK_CONTROL});
    EXPECT_EQ(view->TopRow(), 100 - rows);
    Tap(VK_HOME, {VK_CONTROL});
    EXPECT_EQ(view->TopRow(), 0);
    EXPECT_NE(CaretWindow(), nullptr);
    // Dragging selects.
    const POINT a = Screen(TBigView::Margin + 1, YOfRow(2));
    const POINT b = Screen(TBigView::Margin + view->TextWidth("line") + 1, YOfRow(4));
    SendMouse(0, a.x, a.y);
    SendMouse(MOUSEEVENTF_LEFTDOWN, a.x, a.y);
    SendMouse(0, b.x, b.y);
    SendMouse(MOUSEEVENTF_LEFTUP, b.x, b.y);
    Pump(80);
    EXPECT_EQ(view->SelStart(), (TViewPos{1, 2}));
    EXPECT_EQ(view->SelEnd(), (TViewPos{5, 4}));
}

TEST_F(BigViewInput, RightButtonLeavesTheSelection) {
    AddLines(5);
    Focus();
    view->SetSelStart({2, 1});
    view->SetSelEnd({4, 2});
    const POINT p = Screen(50, YOfRow(3));
    SendMouse(0, p.x, p.y);
    SendMouse(MOUSEEVENTF_RIGHTDOWN, p.x, p.y);
    SendMouse(MOUSEEVENTF_RIGHTUP, p.x, p.y);
    Pump(60);
    EXPECT_EQ(view->SelStart(), (TViewPos{2, 1}));
    EXPECT_EQ(view->SelEnd(), (TViewPos{4, 2}));

    // With a menu: it opens at the pointer, and closing it changes nothing either.
    HMENU menu = CreatePopupMenu();
    AppendMenuA(menu, MF_STRING, 100, "Item");
    view->SetPopupMenu(menu);
    static bool menuShown;
    menuShown = false;
    const UINT_PTR timer = SetTimer(nullptr, 0, 200, [](HWND, UINT, UINT_PTR, DWORD) {
        menuShown = true;
        EndMenu();
    });
    SendMouse(MOUSEEVENTF_RIGHTDOWN, p.x, p.y);
    SendMouse(MOUSEEVENTF_RIGHTUP, p.x, p.y);
    Pump(400);
    KillTimer(nullptr, timer);
    view->SetPopupMenu(nullptr);
    DestroyMenu(menu);
    EXPECT_TRUE(menuShown);
    EXPECT_EQ(view->SelStart(), (TViewPos{2, 1}));
    EXPECT_EQ(view->SelEnd(), (TViewPos{4, 2}));
}

// Starts a drag from row 25 to above the window; `during` runs from the form's message
// hook while the drag loop lets messages through, then the button is released.
class BigViewDragReentry : public BigViewInput {
  protected:
    void DragWith(const std::function<void()>& during) {
        AddLines(100);
        view->SetTopRow(20);
        Focus();
        const POINT up = Screen(40, -30);
        const int hook = form->AddMessageHook([&](TMessage& m) {
            if (m.Msg != WM_APP + 7) return false;
            during();
            SendMouse(MOUSEEVENTF_LEFTUP, up.x, up.y);
            return true;
        });
        const POINT press = Screen(TBigView::Margin + 1, YOfRow(25));
        SendMouse(0, press.x, press.y);
        SendMouse(MOUSEEVENTF_LEFTDOWN, press.x, press.y);
        ASSERT_TRUE(PumpUntil([&] { return view->Extending(); }));
        view->OnViewLineChanged = [this](TComponent*) {
            if (view->TopRow() == 18) PostMessageA(form->Handle(), WM_APP + 7, 0, 0);
        };
        const POINT above = Screen(40, -30);
        SendMouse(0, above.x, above.y);
        Pump(300);
        form->RemoveMessageHook(hook);
    }
};

TEST_F(BigViewDragReentry, ClearingTheViewDuringADragEndsTheDragCleanly) {
    DragWith([&] { view->Clear(); });
    EXPECT_EQ(view->ViewLineCount(), 0);
    EXPECT_FALSE(view->Extending());
    EXPECT_EQ(view->SelEnd(), (TViewPos{0, 0}));
    EXPECT_EQ(view->TopRow(), 0);
}

TEST_F(BigViewDragReentry, DestroyingTheViewDuringADragLeavesTheLoop) {
    DragWith([&] {
        delete view;
        view = new TBigView(form);  // TearDown deletes this one
    });
    EXPECT_EQ(view->ViewLineCount(), 0);
}

TEST_F(BigViewInput, QueuedCaretKeysAllArriveInOrder) {
    AddLines(40);
    view->SetCaret(true);
    Focus();
    view->SetSelStart({1, 0});
    view->SetSelEnd({1, 0});
    // Twelve presses queued at once: each handler lets the next ones through.
    for (int i = 0; i < 12; ++i) {
        SendKey(VK_DOWN, false);
        SendKey(VK_DOWN, true);
    }
    Pump(200);
    EXPECT_EQ(view->CaretPos(), (TViewPos{1, 12}));
    EXPECT_EQ(view->SelStart(), view->SelEnd());
    EXPECT_EQ(view->BottomRow(), 12);
    const Picture shown = CaptureBuffer(*view);
    view->RenderAll();
    EXPECT_TRUE(shown == CaptureBuffer(*view));
}

TEST_F(BigViewInput, FocusBringsAMovableViewToTheFront) {
    view->SetBvStyle({bvClientLow, bvMove});
    other->BringToFront();
    ASSERT_EQ(GetTopWindow(form->Handle()), other->Handle());
    Focus();
    EXPECT_EQ(GetTopWindow(form->Handle()), view->Handle());
}

TEST_F(BigViewInput, WithoutLinesKeysAndClicksChangeNothing) {
    view->SetCaret(true);
    view->SetScrollBar(ssBoth);
    Focus();
    for (WORD key : {VK_DOWN, VK_NEXT, VK_END, VK_RIGHT})
        Tap(key);
    Tap(VK_DOWN, {VK_SHIFT});
    ClickAt(50, 30);
    DoubleClickAt(50, 30);
    EXPECT_EQ(view->SelStart(), (TViewPos{0, 0}));
    EXPECT_EQ(view->SelEnd(), (TViewPos{0, 0}));
    EXPECT_EQ(view->CaretPos(), (TViewPos{0, 0}));
    EXPECT_EQ(view->TopRow(), 0);
    EXPECT_EQ(view->HScrollPos(), 0);
}

}  // namespace
}  // namespace qm::test
