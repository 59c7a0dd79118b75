// The text view: scroll ranges and positions, scroll actions with their acceleration,
// the first and last visible view line, and buffer scrolls that draw only the rows
// coming into view. Vertical units are view lines, horizontal ones character widths.
#include <algorithm>
#include <cmath>

#include "controls/BigView.h"

namespace qm {

std::int32_t TBigView::MaxTopRow() const {
    return scOver_ ? ViewLineCount() - 1 : ViewLineCount() - rowsVisible_;
}

std::int32_t TBigView::ClampRow(std::int32_t row) const {
    if (row >= ViewLineCount()) row = ViewLineCount() - 1;
    return std::max(row, 0);
}

void TBigView::UpdateScrollBars() {
    if (HasVScroll()) {
        // Never 0..0: the bar stays enabled even when everything fits.
        std::int32_t m = MaxTopRow();
        if (m >= ViewLineCount()) m = ViewLineCount() - 1;
        if (m < 1) m = 1;
        if (vScrollPos_ > m) SetVScrollPos(m);
        vScrollMax_ = m;
        if (HandleAllocated()) SetScrollRange(Handle(), SB_VERT, 0, m, TRUE);
        SuspendRender suspend(*this);
        SetTopRow(topRow_);
    }
    if (HasHScroll()) {
        hScrollMax_ = std::max(0, maxChar_ - ClientWidth() / charWidth_);
        if (HandleAllocated()) SetScrollRange(Handle(), SB_HORZ, 0, hScrollMax_, TRUE);
    }
}

void TBigView::SetVScrollPos(std::int32_t p) {
    if (MaxTopRow() < 0) p = 0;
    if (p != vScrollPos_) {
        vScrollPrev_[1] = vScrollPrev_[0];
        vScrollPrev_[0] = vScrollPos_;
        vScrollPos_ = p;
    }
    if (HandleAllocated()) SetScrollPos(Handle(), SB_VERT, vScrollPos_, TRUE);
}

void TBigView::SetHScrollPos(std::int32_t p) {
    if (store_.Count() == 0) return;
    p = std::clamp(p, 0, std::max(maxChar_ - 1, 0));
    if (p != hScrollPos_) {
        hScrollPrev_[1] = hScrollPrev_[0];
        hScrollPrev_[0] = hScrollPos_;
        hScrollPos_ = p;
    }
    if (HandleAllocated()) SetScrollPos(Handle(), SB_HORZ, hScrollPos_, TRUE);
    PlaceCaret(selStart_ == selEnd_ ? caretPos_ : selEnd_);
    RenderAll();
}

namespace {

static_assert(SB_LINELEFT == SB_LINEUP && SB_LINERIGHT == SB_LINEDOWN && SB_PAGELEFT == SB_PAGEUP &&
              SB_PAGERIGHT == SB_PAGEDOWN && SB_LEFT == SB_TOP && SB_RIGHT == SB_BOTTOM);

// Where a scroll-bar request moves a position, before it is kept in range. The
// horizontal codes have the values of the vertical ones (SB_LINELEFT is SB_LINEUP,
// SB_LEFT is SB_TOP), so one table serves both bars.
std::int32_t ScrollTarget(int code, std::int32_t p, std::int32_t step, std::int32_t page,
                          std::int32_t track, std::int32_t max) {
    switch (code) {
        case SB_LINEUP:
            return p - step;
        case SB_LINEDOWN:
            return p + step;
        case SB_PAGEUP:
            return p - page;
        case SB_PAGEDOWN:
            return p + page;
        case SB_THUMBPOSITION:
        case SB_THUMBTRACK:
            return track;
        case SB_TOP:
            return 0;
        case SB_BOTTOM:
            return max;
        default:
            return p;
    }
}

// Not std::clamp: the maximum may be below zero.
std::int32_t KeepInRange(std::int32_t p, std::int32_t max) {
    if (p > max) p = max;
    return p < 0 ? 0 : p;
}

}  // namespace

void TBigView::ScrollVert(int code, std::int32_t track, std::uint32_t window) {
    if (!HasVScroll()) return;
    const std::int32_t max = vScrollMax_;
    std::int32_t p = topRow_;
    const std::int32_t page = std::max(rowsVisible_ - 1, 1);
    if (!(code == SB_THUMBPOSITION && track == -1)) {
        Accelerate(window);
        p = ScrollTarget(code, p, scrollStep_, page, track, max);
    }
    p = KeepInRange(p, max);
    if (p != vScrollPos_) SetVScrollPos(p);
}

void TBigView::ScrollHorz(int code, std::int32_t track, std::uint32_t window) {
    if (!HasHScroll()) return;
    const std::int32_t max = hScrollMax_;
    const std::int32_t page = std::max(ClientWidth() / charWidth_, 1);
    Accelerate(window);
    const std::int32_t p =
        KeepInRange(ScrollTarget(code, hScrollPos_, scrollStep_, page, track, max), max);
    if (p != hScrollPos_) SetHScrollPos(p);
}

void TBigView::Accelerate(std::uint32_t window) {
    const std::uint32_t now = Tick();
    if (now - lastScrollTick_ > window) {
        scrollStep_ = 1;
        stepRun_ = 0;
    } else if (scrollStep_ < scrollSense_) {
        auto monotonic = [](std::int32_t c, const std::int32_t(&previous)[2]) {
            const std::int32_t p = previous[0], q = previous[1];
            return (c > p && p > q) || (c < p && p < q);
        };
        const bool vertical = monotonic(vScrollPos_, vScrollPrev_);
        const bool horizontal = monotonic(hScrollPos_, hScrollPrev_);
        if (vertical || horizontal) {
            if (++stepRun_ > 9) {
                // Never more than a page in one step.
                std::int32_t limit = rowsVisible_ - 1;
                const std::int32_t columns = ClientWidth() / charWidth_;
                if (horizontal && columns < limit) limit = columns;
                if (scrollStep_ < limit) ++scrollStep_;
                stepRun_ = 0;
            }
        } else {
            scrollStep_ = 1;
            stepRun_ = 0;
        }
    }
    lastScrollTick_ = Tick();
}

void TBigView::SyncTopRow() {
    const std::int32_t m = MaxTopRow();
    std::int32_t t = 0;
    if (m > 0 && vScrollMax_ > 0)
        t = static_cast<std::int32_t>(
            std::nearbyint(static_cast<double>(vScrollPos_) / vScrollMax_ * m));
    if (t != topRow_) SetTopRow(t);
}

void TBigView::SetTopRow(std::int32_t row) {
    row = ClampRow(row);
    if (OnViewLineChanging) {
        OnViewLineChanging(this, row);
        row = ClampRow(row);
    }
    const std::int32_t d = row - topRow_;
    topRow_ = row;
    bottomRow_ = std::max(std::min(topRow_ + rowsVisible_ - 1, ViewLineCount() - 1), 0);
    if (selStart_ != selEnd_) {
        PlaceCaret(selEnd_);
    } else {
        // Nothing selected: the caret moves with the view and stays on a visible row.
        TViewPos q = selEnd_;
        if (q.Row < topRow_) {
            q.Row = topRow_;
        } else if (q.Row > bottomRow_) {
            q.Row = bottomRow_;
        }
        SetSelEnd(q);
        SetSelStart(q);
    }
    if (d != 0) {
        ScrollVert(SB_THUMBPOSITION, -1, 0);
        if (d > 0) {
            ScrollBufferUp(d);
        } else {
            ScrollBufferDown(-d);
        }
    } else {
        RenderAll();
    }
    if (OnViewLineChanged) OnViewLineChanged(this);
}

void TBigView::SetBottomRow(std::int32_t row) {
    row = ClampRow(row);
    bottomRow_ = row;
    std::int32_t t = row - rowsVisible_ + 1;
    // With ScOver a bottom row already in view does not pull more lines in above.
    if (scOver_ && t < topRow_ && topRow_ <= row) t = topRow_;
    SetTopRow(std::max(t, 0));
}

void TBigView::ScrollBufferUp(std::int32_t n) {
    ScrollBuffer(n, true);
}

void TBigView::ScrollBufferDown(std::int32_t n) {
    ScrollBuffer(n, false);
}

// TopRow moved by n rows: moves the image the other way, clears the band it leaves and
// draws only the rows that came into view there.
void TBigView::ScrollBuffer(std::int32_t n, bool up) {
    if (renderSuspended_) return;
    if (n > rowsVisible_) {
        RenderAll();
        return;
    }
    // The whole width moves, so that text reaching the buffer's right edge moves too.
    TCanvas& c = backBuffer_.Canvas();
    const int w = backBuffer_.Width();
    const int h = backBuffer_.Height();
    const int band = n * lineHeight_;
    c.SetCopyMode(SRCCOPY);
    std::int32_t first, last;
    if (up) {
        c.CopyRect({0, 0, w, h - band}, c, {0, band, w, h});
        FillBuffer({0, h - band, w, h});
        first = topRow_ + rowsVisible_ - n;
        last = first >= 0 && first <= bottomRow_ ? std::min(first + n - 1, bottomRow_) : first - 1;
    } else {
        c.CopyRect({0, band, w, h}, c, {0, 0, w, h - band});
        FillBuffer({0, 0, w, band});
        first = topRow_;
        last = std::min(topRow_ + n - 1, ViewLineCount() - 1);
    }
    for (std::int32_t i = first; i <= last; ++i) {
        DrawRow(i, (i - topRow_) * lineHeight_);
        DrawRowSelection(i);
    }
    Present();
}

void TBigView::VScrollMessage(int code) {
    if (MaxTopRow() > 0) {
        if (code < SB_LINEUP || code > SB_ENDSCROLL) return;
        SCROLLINFO info{};
        info.cbSize = sizeof(info);
        info.fMask = SIF_ALL;
        GetScrollInfo(Handle(), SB_VERT, &info);
        ScrollVert(code, info.nTrackPos, 300);
        SyncTopRow();
    } else if (topRow_ != 0) {
        SetTopRow(0);
    }
}

// The wheel scrolls by the system's wheel-scroll lines a notch (columns for a tilt),
// horizontally with Shift held; also a view without scroll bars, so that a long line
// can be read.
void TBigView::WheelMessage(UINT message, WPARAM wParam) {
    const bool tilt = message == WM_MOUSEHWHEEL;
    const bool horizontal = tilt || (GET_KEYSTATE_WPARAM(wParam) & MK_SHIFT);
    UINT perNotch = 3;
    SystemParametersInfoA(tilt ? SPI_GETWHEELSCROLLCHARS : SPI_GETWHEELSCROLLLINES, 0, &perNotch,
                          0);
    const std::int32_t page =
        horizontal ? std::max(ClientWidth() / charWidth_, 1) : std::max(rowsVisible_ - 1, 1);
    if (perNotch == WHEEL_PAGESCROLL || perNotch > static_cast<UINT>(page))
        perNotch = static_cast<UINT>(page);
    if (perNotch == 0) return;
    // Turning the wheel away from the user scrolls up, and left with Shift; a tilt to
    // the right scrolls right.
    const int delta = tilt ? GET_WHEEL_DELTA_WPARAM(wParam) : -GET_WHEEL_DELTA_WPARAM(wParam);
    int& rest = wheelRest_[horizontal ? 1 : 0];
    if ((rest < 0) != (delta < 0)) rest = 0;
    rest += delta;
    const int units = rest * static_cast<int>(perNotch) / WHEEL_DELTA;
    if (units == 0) return;
    rest -= units * WHEEL_DELTA / static_cast<int>(perNotch);
    if (horizontal) {
        const std::int32_t max = std::max(maxChar_ - ClientWidth() / charWidth_, 0);
        const std::int32_t p = KeepInRange(hScrollPos_ + units, max);
        if (p != hScrollPos_) SetHScrollPos(p);
    } else {
        const std::int32_t p = KeepInRange(topRow_ + units, std::max(MaxTopRow(), 0));
        if (p != topRow_) SetTopRow(p);
    }
}

void TBigView::HScrollMessage(int code) {
    if (code < SB_LINELEFT || code > SB_ENDSCROLL) return;
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_ALL;
    GetScrollInfo(Handle(), SB_HORZ, &info);
    ScrollHorz(code, info.nTrackPos, 300);
}

}  // namespace qm
