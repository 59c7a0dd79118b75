// Scrolling the text view under Wine: ranges, the first and last visible view line, the
// scroll bar's actions and their acceleration on a clock the test controls.
#include "controls/tests/ViewFixture.h"

namespace qm::test {
namespace {

class BigViewScroll : public ViewTest {
  protected:
    void SetUp() override {
        ViewTest::SetUp();
        view->SetScrollBar(ssVertical);
        ShowRows(10);
    }
    int Range() {
        int lo = -1, hi = -1;
        GetScrollRange(view->Handle(), SB_VERT, &lo, &hi);
        EXPECT_EQ(lo, 0);
        return hi;
    }
    void Bar(int code) { SendMessageA(view->Handle(), WM_VSCROLL, MAKEWPARAM(code, 0), 0); }
};

TEST_F(BigViewScroll, RangesNeverCollapse) {
    AddLines(100);
    EXPECT_EQ(Range(), 90);
    view->SetScOver(true);
    EXPECT_EQ(Range(), 99);
    view->SetScOver(false);
    view->Clear();
    AddLines(5);
    EXPECT_EQ(Range(), 1) << "everything fits, the bar stays enabled";
    Bar(SB_LINEDOWN);
    Bar(SB_PAGEDOWN);
    EXPECT_EQ(view->TopRow(), 0) << "and the view stays at the top";
    view->Clear();
    EXPECT_EQ(Range(), 1);
}

TEST_F(BigViewScroll, TheWheelScrollsRowsAndWithShiftOrATiltColumns) {
    view->SetWordWrap(false);
    AddLines(100);
    view->AddLine(std::string(500, 'x'));  // wider than the window, no horizontal bar
    UINT lines = 3, columns = 3;
    SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    SystemParametersInfoA(SPI_GETWHEELSCROLLCHARS, 0, &columns, 0);
    const auto wheel = [&](UINT message, WORD keys, int notches) {
        const auto delta = static_cast<WORD>(static_cast<short>(notches * WHEEL_DELTA));
        SendMessageA(view->Handle(), message, MAKEWPARAM(keys, delta), 0);
    };
    wheel(WM_MOUSEWHEEL, 0, -1);  // towards the user: down
    EXPECT_EQ(view->TopRow(), static_cast<int>(lines));
    wheel(WM_MOUSEWHEEL, 0, 100);
    EXPECT_EQ(view->TopRow(), 0);
    wheel(WM_MOUSEWHEEL, 0, -100);
    EXPECT_EQ(view->TopRow(), 91) << "no further than the bar goes";
    wheel(WM_MOUSEWHEEL, MK_SHIFT, -2);
    EXPECT_EQ(view->HScrollPos(), static_cast<int>(2 * lines));
    wheel(WM_MOUSEHWHEEL, 0, -1);  // a tilt to the left
    EXPECT_EQ(view->HScrollPos(), static_cast<int>(2 * lines - columns));
}

TEST_F(BigViewScroll, TopAndBottomRowsAreClamped) {
    AddLines(100);
    view->SetTopRow(-5);
    EXPECT_EQ(view->TopRow(), 0);
    view->SetTopRow(1000);
    EXPECT_EQ(view->TopRow(), 99) << "the last view line may be the top one";
    EXPECT_EQ(view->BottomRow(), 99);
    EXPECT_EQ(view->VScrollPos(), 90) << "the bar stops at the end of its range";
    EXPECT_EQ(GetScrollPos(view->Handle(), SB_VERT), 90);

    view->SetBottomRow(50);
    EXPECT_EQ(view->TopRow(), 41);
    EXPECT_EQ(view->BottomRow(), 50);
    view->SetScOver(true);
    view->SetTopRow(45);
    view->SetBottomRow(50);
    EXPECT_EQ(view->TopRow(), 45) << "a visible bottom row does not pull lines in above";
    view->SetBottomRow(500);
    EXPECT_EQ(view->TopRow(), 90);
}

TEST_F(BigViewScroll, ViewLineEventsCanAdjustTheTopRow) {
    AddLines(100);
    std::vector<std::string> log;
    view->OnViewLineChanging = [&](TComponent*, std::int32_t& v) {
        log.push_back("changing " + std::to_string(v));
        v = v + 1;
    };
    view->OnViewLineChanged = [&](TComponent*) { log.push_back("changed"); };
    view->SetTopRow(20);
    EXPECT_EQ(view->TopRow(), 21);
    view->SetTopRow(500);
    EXPECT_EQ(view->TopRow(), 99) << "the handler's value is clamped too";
    EXPECT_EQ(log, (std::vector<std::string>{"changing 20", "changed", "changing 99", "changed"}));
}

TEST_F(BigViewScroll, PageActionsMoveAPageLessOneRow) {
    AddLines(100);
    Bar(SB_PAGEDOWN);
    EXPECT_EQ(view->TopRow(), 9);
    Bar(SB_PAGEUP);
    EXPECT_EQ(view->TopRow(), 0);
    Bar(SB_BOTTOM);
    EXPECT_EQ(view->TopRow(), 90);
    Bar(SB_TOP);
    EXPECT_EQ(view->TopRow(), 0);
    ShowRows(1);
    Bar(SB_PAGEDOWN);
    EXPECT_EQ(view->TopRow(), 1);
}

TEST_F(BigViewScroll, QuickRepeatedActionsAccelerateUpToScrollSense) {
    TStringList lines;
    for (int i = 0; i < 400; ++i)
        lines.Add("line " + std::to_string(i));
    view->SetStrings(lines);
    std::uint32_t now = GetTickCount() + 100000;
    view->TickSource = [&] { return now; };
    view->SetScrollSense(3);
    std::vector<int> steps;
    for (int action = 1; action <= 30; ++action) {
        const int before = view->TopRow();
        Bar(SB_LINEDOWN);
        steps.push_back(view->TopRow() - before);
        now += 50;
    }
    for (int action = 1; action <= 30; ++action) {
        const int want = action <= 11 ? 1 : action <= 21 ? 2 : 3;
        EXPECT_EQ(steps[static_cast<std::size_t>(action - 1)], want) << "action " << action;
    }
    now += 400;  // a pause longer than the bar's window
    const int before = view->TopRow();
    Bar(SB_LINEDOWN);
    EXPECT_EQ(view->TopRow() - before, 1);
    EXPECT_EQ(view->ScrollStep(), 1);

    // With the default ScrollSense the step never grows.
    view->SetScrollSense(1);
    view->SetTopRow(0);
    for (int action = 0; action < 40; ++action) {
        const int top = view->TopRow();
        Bar(SB_LINEDOWN);
        ASSERT_EQ(view->TopRow() - top, 1);
        now += 50;
    }
}

TEST_F(BigViewScroll, ThumbMessagesUseTheTrackPosition) {
    TStringList lines;
    for (int i = 0; i < 300; ++i)
        lines.Add("line " + std::to_string(i));
    view->SetStrings(lines);
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_POS;
    info.nPos = 123;
    SetScrollInfo(view->Handle(), SB_VERT, &info, FALSE);
    Bar(SB_THUMBPOSITION);
    EXPECT_EQ(view->TopRow(), 123);
}

TEST_F(BigViewScroll, HorizontalPositionIsClampedAndMovesTheCaret) {
    view->SetScrollBar(ssBoth);
    view->SetWordWrap(false);
    view->AddLine(std::string(500, 'x'));
    view->SetHScrollPos(view->MaxChar() + 10);
    EXPECT_EQ(view->HScrollPos(), view->MaxChar() - 1);
    view->SetHScrollPos(-4);
    EXPECT_EQ(view->HScrollPos(), 0);
    SendMessageA(view->Handle(), WM_HSCROLL, MAKEWPARAM(SB_PAGERIGHT, 0), 0);
    EXPECT_EQ(view->HScrollPos(), view->ClientWidth() / view->CharWidth());
    SendMessageA(view->Handle(), WM_HSCROLL, MAKEWPARAM(SB_RIGHT, 0), 0);
    EXPECT_EQ(view->HScrollPos(), view->HScrollMax());
    SendMessageA(view->Handle(), WM_HSCROLL, MAKEWPARAM(SB_LEFT, 0), 0);
    EXPECT_EQ(view->HScrollPos(), 0);
}

}  // namespace
}  // namespace qm::test
