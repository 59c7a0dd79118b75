// The text view's pictures under Wine: where text, selection inversion and the end-of-line
// mark land in the back buffer, what reaches the window, and that a buffer scroll draws
// only the rows that come into view yet gives the picture a full redraw gives.
#include <cmath>
#include <set>

#include "controls/tests/ViewFixture.h"

namespace qm::test {
namespace {

constexpr std::uint32_t kGreen = 0x00FF00;

// A view that notes which view lines were read.
struct CountingView : TBigView {
    using TBigView::TBigView;
    std::string GetViewLine(std::int32_t index) override {
        asked.insert(index);
        return TBigView::GetViewLine(index);
    }
    std::set<std::int32_t> asked;
};

class BigViewPaint : public ViewTest {
  protected:
    TBigView* MakeView(TComponent* owner) override { return new CountingView(owner); }
    void SetUp() override {
        ViewTest::SetUp();
        view->SetColor(clWhite);
        view->Font().SetColor(clBlack);
    }
    CountingView& counting() { return static_cast<CountingView&>(*view); }
    // The columns of row `row` of the picture that hold anything but the background.
    std::set<int> InkColumns(const Picture& p, int row) {
        std::set<int> xs;
        for (int y = row * view->LineHeight(); y < (row + 1) * view->LineHeight(); ++y)
            for (int x = 0; x < p.width; ++x)
                if (p.At(x, y) != 0xFFFFFF) xs.insert(x);
        return xs;
    }
};

TEST_F(BigViewPaint, EmptyViewDrawsOnlyTheBackground) {
    view->RenderAll();
    const Picture b = CaptureBuffer(*view);
    for (std::uint32_t px : b.pixels)
        ASSERT_EQ(px, 0xFFFFFFu);
    const Picture w = CaptureWindow(*view);
    for (std::uint32_t px : w.pixels)
        ASSERT_EQ(px, 0xFFFFFFu);
}

TEST_F(BigViewPaint, TextLandsAtTheMarginOnItsOwnRowWithTabsExpanded) {
    ShowRows(5);
    view->AddLine("xx");
    view->AddLine("\txx");  // one tab: to 8 character widths
    const Picture p = CaptureBuffer(*view);
    const std::set<int> row0 = InkColumns(p, 0);
    ASSERT_FALSE(row0.empty());
    EXPECT_GE(*row0.begin(), TBigView::Margin);
    EXPECT_LE(*row0.rbegin(), TBigView::Margin + view->TextWidth("xx"));
    const std::set<int> row1 = InkColumns(p, 1);
    ASSERT_FALSE(row1.empty());
    EXPECT_GE(*row1.begin(), TBigView::Margin + 8 * view->CharWidth());
    EXPECT_LE(*row1.rbegin(), TBigView::Margin + 8 * view->CharWidth() + view->TextWidth("xx"));
    EXPECT_TRUE(InkColumns(p, 2).empty());
    // The same picture reaches the window.
    const Picture w = CaptureWindow(*view);
    for (int y = 0; y < 2 * view->LineHeight(); ++y)
        for (int x = 0; x < w.width; ++x)
            ASSERT_EQ(w.At(x, y), p.At(x, y)) << x << "," << y;
}

TEST_F(BigViewPaint, SelectionInvertsOnlyTheSelectedText) {
    ShowRows(5);
    view->AddLine("abcdef");
    view->AddLine("ghijkl");
    view->AddLine("mnopqr");
    view->AddLine("");
    const Picture plain = CaptureBuffer(*view);
    view->SetSelStart({3, 0});
    view->SetSelEnd({3, 2});
    view->RenderAll();
    const Picture selected = CaptureBuffer(*view);
    const int m = TBigView::Margin;
    const int lh = view->LineHeight();
    auto inside = [&](int x, int y) {
        const int row = y / lh;
        if (row == 0) return x >= m + view->TextWidth("ab") && x < m + view->TextWidth("abcdef");
        if (row == 1) return x >= m && x < m + view->TextWidth("ghijkl");
        if (row == 2) return x >= m && x < m + view->TextWidth("mn");
        return false;
    };
    for (int y = 0; y < plain.height; ++y)
        for (int x = 0; x < plain.width; ++x) {
            const std::uint32_t want = inside(x, y) ? (~plain.At(x, y) & 0xFFFFFF) : plain.At(x, y);
            ASSERT_EQ(selected.At(x, y), want) << x << "," << y;
        }
}

TEST_F(BigViewPaint, EndOfLineMarkFollowsTheLastViewLineOfEachLine) {
    ShowRows(5);
    view->SetCRMark(true);
    view->SetWrapByte(3);
    view->AddLine("abcdef");  // view lines "abc", "def"
    view->AddLine("");
    const Picture p = CaptureBuffer(*view);
    const int h = static_cast<int>(std::nearbyint(view->CharWidth() / 2.0));
    auto greenAt = [&](int row) {
        std::set<int> xs;
        for (int y = row * view->LineHeight(); y < (row + 1) * view->LineHeight(); ++y)
            for (int x = 0; x < p.width; ++x)
                if (p.At(x, y) == kGreen) xs.insert(x);
        return xs;
    };
    EXPECT_TRUE(greenAt(0).empty()) << "not after a view line that continues";
    const std::set<int> mark = greenAt(1);
    const int x = TBigView::Margin + view->TextWidth("def") + h;
    ASSERT_FALSE(mark.empty());
    EXPECT_TRUE(mark.count(x)) << "the shaft";
    EXPECT_GE(*mark.begin(), x - h + 2);
    EXPECT_LE(*mark.rbegin(), x + h - 2);
    const std::set<int> empty = greenAt(2);
    ASSERT_FALSE(empty.empty()) << "an empty line has its mark too";
    EXPECT_TRUE(empty.count(TBigView::Margin + h));
}

TEST_F(BigViewPaint, BufferScrollDrawsOnlyNewRowsAndEqualsAFullRedraw) {
    ShowRows(10);
    view->SetCRMark(true);
    for (int i = 0; i < 60; ++i)
        view->AddLine("row " + std::to_string(i) +
                      std::string(static_cast<std::size_t>(i % 7), 'w'));
    view->SetSelStart({2, 4});
    view->SetSelEnd({5, 14});
    view->RenderAll();

    counting().asked.clear();
    view->SetTopRow(3);  // three rows come in at the bottom
    for (int r : counting().asked)
        EXPECT_TRUE(r >= 10 || r == 14) << "row " << r << " was drawn again";
    Picture scrolled = CaptureBuffer(*view);
    view->RenderAll();
    EXPECT_TRUE(scrolled == CaptureBuffer(*view)) << "scrolling down 3";

    counting().asked.clear();
    view->SetTopRow(1);  // two rows come in at the top
    for (int r : counting().asked)
        EXPECT_TRUE(r <= 2 || r == 14) << "row " << r << " was drawn again";
    scrolled = CaptureBuffer(*view);
    view->RenderAll();
    EXPECT_TRUE(scrolled == CaptureBuffer(*view)) << "scrolling up 2";

    view->SetTopRow(40);  // more than a page: a full redraw
    scrolled = CaptureBuffer(*view);
    view->RenderAll();
    EXPECT_TRUE(scrolled == CaptureBuffer(*view));
}

TEST_F(BigViewPaint, WindowBeyondTheBufferShowsTheBackground) {
    view->SetWordWrap(false);
    view->SetScrollBar(ssHorizontal);
    view->AddLine(std::string(300, 'x'));
    view->SetHScrollPos(view->MaxChar() + 10);
    EXPECT_EQ(view->HScrollPos(), view->MaxChar() - 1);
    const Picture w = CaptureWindow(*view);
    const int visible = (view->MaxChar() + 1 - view->HScrollPos()) * view->CharWidth();
    for (int y = 0; y < w.height; ++y)
        for (int x = std::max(visible, 0); x < w.width; ++x)
            ASSERT_EQ(w.At(x, y), 0xFFFFFFu) << x << "," << y;
    view->Clear();
    const int before = view->HScrollPos();
    view->SetHScrollPos(3);
    EXPECT_EQ(view->HScrollPos(), before) << "an empty store does not scroll";
}

TEST_F(BigViewPaint, DeferredDrawingReachesTheWindowAtTheNextPaint) {
    ShowRows(5);
    view->AddLine("first");
    Pump(20);
    const Picture before = CaptureWindow(*view);
    view->SetPCanLimit(1);
    view->SetViewLine(0, "second, and longer");
    EXPECT_TRUE(CaptureWindow(*view) == before) << "only invalidated";
    Pump(50);
    EXPECT_FALSE(CaptureWindow(*view) == before);
    view->SetPCanLimit(0);
    view->SetViewLine(0, "third");
    const Picture now = CaptureWindow(*view);
    view->RenderAll();
    EXPECT_TRUE(now == CaptureWindow(*view)) << "shown at once";
}

TEST_F(BigViewPaint, ColourChangeRedrawsWithTheNewBackground) {
    ShowRows(3);
    view->AddLine("x");
    view->SetColor(static_cast<TColor>(0x00FFFF));  // yellow
    Pump(50);
    const Picture w = CaptureWindow(*view);
    EXPECT_EQ(w.At(w.width - 3, w.height - 3), 0xFFFF00u);
    EXPECT_EQ(CaptureBuffer(*view).At(1, 1), 0xFFFF00u);
}

}  // namespace
}  // namespace qm::test
