// The text view: metrics, the view lines and their wrapping, text widths, and drawing
// into the back buffer and from there to the window.
#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstdlib>

#include "base/Characters.h"
#include "controls/BigView.h"
#include "framework/GdiObject.h"

namespace qm {

namespace {

bool IsLead(char c) {
    return IsCodePageLeadByte(static_cast<std::uint8_t>(c));
}

// The kinds of the bytes of one text at rising positions, in one pass over the text:
// the same answers as TBigView::ByteTypeAt without scanning from the start each time.
class ByteTypeWalker {
  public:
    explicit ByteTypeWalker(std::string_view s) : s_(s) {}
    // i must not be below the previous call's i.
    TByteType At(std::int64_t i) {
        if (i < 1 || i > static_cast<std::int64_t>(s_.size())) return btSingle;
        while (next_ <= i) {
            type_ = previousLead_
                        ? btTrail
                        : (IsLead(s_[static_cast<std::size_t>(next_ - 1)]) ? btLead : btSingle);
            previousLead_ = type_ == btLead;
            ++next_;
        }
        return type_;
    }

  private:
    std::string_view s_;
    std::int64_t next_ = 1;
    bool previousLead_ = false;
    TByteType type_ = btSingle;
};

// Round to nearest, halves to even.
int RoundEven(double v) {
    return static_cast<int>(std::nearbyint(v));
}

}  // namespace

TByteType TBigView::ByteTypeAt(std::string_view s, std::int32_t i) {
    if (i < 1 || i > static_cast<std::int32_t>(s.size())) return btSingle;
    TByteType type = btSingle;
    for (std::int32_t k = 1; k <= i; ++k) {
        type = type == btLead ? btTrail
                              : (IsLead(s[static_cast<std::size_t>(k - 1)]) ? btLead : btSingle);
    }
    return type;
}

// Fonts and metrics

void TBigView::ApplyFont() {
    backBuffer_.Canvas().Font().Assign(Font());
    measureBuffer_.Canvas().Font().Assign(Font());
}

void TBigView::FontChanged() {
    TCustomControl::FontChanged();  // a window re-measures on WM_SETFONT
    if (!HandleAllocated()) {
        ApplyFont();
        InitialMetrics();
    }
}

void TBigView::InitialMetrics() {
    lineHeight_ = std::max(1, std::abs(Font().Height()) + 2);
    charWidth_ = std::max(1, backBuffer_.Canvas().TextWidth("x"));
    rowsVisible_ = std::max(0, Height() / lineHeight_);
    backBuffer_.SetSize(std::max(1, ClientWidth()), rowsVisible_ * lineHeight_);
}

int TBigView::ScrolledBy() const {
    return static_cast<int>(
        std::min<long long>(static_cast<long long>(charWidth_) * hScrollPos_, INT_MAX / 2));
}

long long TBigView::ContentWidth() const {
    return (maxChar_ + 1LL) * charWidth_;
}

void TBigView::UpdateMetrics() {
    if (HandleAllocated()) {
        WindowDC dc(Handle());
        SelectedObject font(dc.Get(), Font().Handle());
        TEXTMETRICA tm{};
        GetTextMetricsA(dc.Get(), &tm);
        lineHeight_ = std::max(1, static_cast<int>(tm.tmHeight + tm.tmExternalLeading));
    }
    charWidth_ = std::max(1, backBuffer_.Canvas().TextWidth("x"));
    const int client = ClientWidth();
    if (static_cast<long long>(maxChar_) * charWidth_ < client)
        SetMaxChar(RoundEven(static_cast<double>(client) / charWidth_) + 1);
}

void TBigView::Recalculate() {
    UpdateMetrics();
    int h = WindowHeight();
    if (HasHScroll()) h -= GetSystemMetrics(SM_CYHSCROLL);
    if (bvStyle_.Contains(bvCaption)) h -= GetSystemMetrics(SM_CYCAPTION);
    rowsVisible_ = std::max(0, h / lineHeight_);

    // Wrapping at the window's width: the line at the top stays at the top.
    const bool widthWrap = wordWrap_ && wrapByte_ == 0;
    const std::int32_t top = widthWrap ? LineOfViewLine(topRow_) : -1;
    TViewPos start, end;
    if (top >= 0) {
        start = ViewToText(selStart_);
        end = ViewToText(selEnd_);
        LayoutFrom(0);
    }
    UpdateScrollBars();
    // The buffer holds what the window shows, whatever the longest line: a line of
    // 100 KB would otherwise ask for a bitmap of hundreds of megabytes.
    backBuffer_.SetSize(std::max(1, ClientWidth()), rowsVisible_ * lineHeight_);
    if (top >= 0) {
        SetSelStart(TextToView(start));
        SetSelEnd(TextToView(end));
        SetTopRow(FirstViewLineOf(top));
    }
    if (ViewLineCount() > rowsVisible_) SetBottomRow(topRow_ + rowsVisible_ - 1);
    // A resized buffer keeps only part of its picture: draw every row again.
    RenderAll();
}

// Widths and wrapping

int TBigView::TextWidth(std::string_view s) {
    const HDC dc = measureBuffer_.Canvas().Handle();
    const int tab = charWidth_ * viewTabStop_;
    if (tab <= 0) {
        // Without a tab distance tabs are whatever the platform makes of them.
        int tabs[1] = {tab};
        return LOWORD(GetTabbedTextExtentA(dc, s.data(), static_cast<int>(s.size()), 1, tabs));
    }
    // The platform's tabbed output, measured in full: its own answer keeps only 16 bits.
    long long x = 0;
    std::size_t i = 0;
    while (i < s.size()) {
        std::size_t j = i;
        while (j < s.size() && s[j] == '\t')
            ++j;
        std::size_t k = j;
        while (k < s.size() && s[k] != '\t')
            ++k;
        if (j > i) x = (x / tab + static_cast<long long>(j - i)) * tab;
        if (k > j) {
            SIZE extent{0, 0};
            GetTextExtentPoint32A(dc, s.data() + j, static_cast<int>(k - j), &extent);
            x += extent.cx;
        }
        i = k;
    }
    return static_cast<int>(std::min<long long>(x, INT_MAX));
}

std::int32_t TBigView::WidthWrapCount(std::string_view t) {
    const auto length = static_cast<std::int32_t>(t.size());
    int w = ClientWidth();
    const int x = TextWidth("x");
    int d = TextWidth(t);
    if (d <= w) return length;
    if (w < x) w = x;
    const int average = std::max(1, d / std::max(length, 1));
    std::int32_t c = w / average;
    bool grew = false, fell = false;
    // Aim below the width but not more than two characters below it.
    while (d <= w - 2 * charWidth_ || d >= w) {
        if (d <= w - 2 * charWidth_) ++c;
        if (d > w) --c;
        c = std::clamp(c, 1, length);
        const int previous = d;
        d = TextWidth(t.substr(0, static_cast<std::size_t>(c)));
        if (d > previous) {
            grew = true;
        } else {
            fell = true;
        }
        if (d == previous || (grew && fell)) break;
    }
    return c;
}

void TBigView::LayoutFrom(std::int32_t line) {
    line = std::max(line, 0);
    std::int32_t k = FirstViewLineOf(line);
    const auto wanted = static_cast<std::size_t>(store_.Capacity());
    if (viewLines_.capacity() < wanted)
        viewLines_.reserve(std::max(wanted, viewLines_.capacity() * 2));
    auto emit = [&](const TViewLineRec& r) {
        if (k < ViewLineCount()) {
            viewLines_[static_cast<std::size_t>(k)] = r;
        } else {
            viewLines_.push_back(r);
        }
        ++k;
    };
    for (std::int32_t a = line; a < store_.Count(); ++a) {
        const std::string& t = store_.Get(a);
        const auto n = static_cast<std::int32_t>(t.size());
        if (!wordWrap_ || n == 0) {
            emit({a, n > 0 ? 1 : 0, n, 0, true});
            continue;
        }
        const std::int32_t step = wrapByte_ > 0 ? wrapByte_ : WidthWrapCount(t);
        ByteTypeWalker types(t);
        std::int64_t p = 1;
        std::int32_t sub = 0;
        while (p <= n) {
            std::int32_t b = step;
            // Never end a view line after the first byte of a two-byte character.
            if (types.At(p + b) == btTrail) {
                --b;
                if (b < 1) b = 2;
            }
            emit({a, static_cast<std::int32_t>(p), b, sub, false});
            p += b;
            ++sub;
        }
        viewLines_[static_cast<std::size_t>(k - 1)].LastOfLine = true;
    }
    viewLines_.resize(static_cast<std::size_t>(k));
}

bool TBigView::WidenMaxChar(std::int32_t first, std::int32_t n) {
    if (first < 0) {
        n += first;
        first = 0;
    }
    if (n <= 0) return false;
    std::int32_t m = maxChar_;
    const auto end = static_cast<std::int32_t>(
        std::min<std::int64_t>(static_cast<std::int64_t>(first) + n, ViewLineCount()));
    for (std::int32_t i = first; i < end; ++i)
        m = std::max(m, ViewLineLength(i));
    if (m <= maxChar_) return false;
    SetMaxChar(m);
    SuspendRender suspend(*this);
    UpdateScrollBars();
    return true;
}

// Re-lays out every line after a change of the wrapping rule, keeping the line at the top
// and the selection on the same text, with the scroll range of the new view lines.
void TBigView::Relayout() {
    const TViewPos start = ViewToText(selStart_);
    const TViewPos end = ViewToText(selEnd_);
    const std::int32_t top = LineOfViewLine(topRow_);
    LayoutFrom(0);
    {
        SuspendRender suspend(*this);
        WidenMaxChar(0, ViewLineCount());
        UpdateScrollBars();
        SetSelStart(TextToView(start));
        SetSelEnd(TextToView(end));
        if (top >= 0) SetTopRow(FirstViewLineOf(top));
    }
    RenderAll();
}

void TBigView::AfterLoad() {
    LayoutFrom(0);
    {
        SuspendRender suspend(*this);
        WidenMaxChar(0, ViewLineCount());
        UpdateScrollBars();
    }
    SetSelStart({0, 0});
    SetSelEnd({0, 0});
    if (topRow_ != 0) {
        // Shifting the old image down would leave rows of the old text below.
        SuspendRender suspend(*this);
        SetTopRow(0);
    }
    RenderAll();
}

// Drawing

void TBigView::FillBuffer(const RECT& r) {
    TCanvas& c = backBuffer_.Canvas();
    c.Brush().SetColor(Color());
    c.FillRect(r);
}

void TBigView::ClearBuffer() {
    FillBuffer({0, 0, backBuffer_.Width(), backBuffer_.Height()});
    if (HandleAllocated()) InvalidateRect(Handle(), nullptr, FALSE);
}

void TBigView::RenderAll() {
    if (renderSuspended_) return;
    ClearBuffer();
    for (std::int32_t i = topRow_; i < topRow_ + rowsVisible_ && i < ViewLineCount(); ++i)
        DrawRow(i, (i - topRow_) * lineHeight_);
    DrawSelection(selStart_, selEnd_);
    Present();
}

void TBigView::DrawRow(std::int32_t row, int y) {
    const std::string text = GetViewLine(row);
    const int x = Margin - ScrolledBy();
    backBuffer_.Canvas().TabbedTextOut(x, y, text, charWidth_ * viewTabStop_, x);
    if (crMark_ && viewLines_[static_cast<std::size_t>(row)].LastOfLine) DrawEndMark(text, y);
}

void TBigView::DrawEndMark(std::string_view text, int y) {
    // A green downward arrow just after the text, its tip at the bottom of the row.
    TCanvas& c = backBuffer_.Canvas();
    c.Pen().SetColor(clLime);
    const int w = TextWidth(text);
    const int h = RoundEven(charWidth_ / 2.0);
    const int x = Margin - ScrolledBy() + w + h;
    const int yb = y + lineHeight_ - 2;
    const int barb = yb - RoundEven((lineHeight_ - 2) / 4.0);
    c.MoveTo(x, yb);
    c.LineTo(x, yb - lineHeight_ + 2);
    c.MoveTo(x, yb);
    c.LineTo(x - h + 2, barb);
    c.MoveTo(x, yb);
    c.LineTo(x + h - 2, barb);
}

void TBigView::DrawSelection(TViewPos a, TViewPos b) {
    if (a == b || ViewLineCount() == 0) return;
    if (b.Row < a.Row || (b.Row == a.Row && b.Column < a.Column)) std::swap(a, b);
    if (a.Row > bottomRow_ || b.Row < topRow_) return;
    if (a.Row < topRow_) a = {1, topRow_};
    if (b.Row > bottomRow_) b = {ViewLineLength(bottomRow_) + 1, bottomRow_};
    a.Column = std::max(a.Column, 1);
    b.Column = std::max(b.Column, 1);
    TCanvas& c = backBuffer_.Canvas();
    for (std::int32_t r = a.Row; r <= b.Row; ++r) {
        const std::int32_t from = r == a.Row ? a.Column : 1;
        const std::string text = GetViewLine(r);
        if (static_cast<std::int32_t>(text.size()) < from) continue;
        const int x1 = TextWidth(std::string_view(text).substr(0, from - 1));
        const int x2 = r == b.Row ? TextWidth(std::string_view(text).substr(0, b.Column - 1))
                                  : TextWidth(text);
        const int y = (r - topRow_) * lineHeight_;
        const int left = Margin - ScrolledBy();
        const RECT rect{left + x1, y, left + x2, y + lineHeight_};
        c.SetCopyMode(NOTSRCCOPY);
        c.CopyRect(rect, c, rect);
        c.SetCopyMode(SRCCOPY);
    }
}

void TBigView::DrawRowSelection(std::int32_t row) {
    TViewPos a = selStart_, b = selEnd_;
    if (b.Row < a.Row || (b.Row == a.Row && b.Column < a.Column)) std::swap(a, b);
    if (row < a.Row || row > b.Row || a == b) return;
    const TViewPos rowEnd{ViewLineLength(row) + 1, row};
    if (a.Row == b.Row) {
        DrawSelection(a, b);
    } else if (row == a.Row) {
        DrawSelection(a, rowEnd);
    } else if (row == b.Row) {
        DrawSelection({1, row}, b);
    } else {
        DrawSelection({1, row}, rowEnd);
    }
}

void TBigView::Present() {
    if (deferCount_ < pCanLimit_) {
        ++deferCount_;
        if (HandleAllocated()) InvalidateRect(Handle(), nullptr, FALSE);
        return;
    }
    PaintNow();
}

void TBigView::PaintNow() {
    if (!HandleAllocated()) return;
    // The caret is drawn by inversion: keep it off while the picture changes under it.
    if (caretShown_) HideCaret(Handle());
    Paint();
    if (caretShown_) ShowCaret(Handle());
}

void TBigView::Paint() {
    TCanvas& buffer = backBuffer_.Canvas();
    if (buffer.Brush().Color() != Color()) {
        // The colour changed since the picture was drawn.
        buffer.Brush().SetColor(Color());
        RenderAll();
        return;
    }
    TCanvas& c = Canvas();
    const RECT clip = c.ClipRect();
    c.SetCopyMode(SRCCOPY);
    c.CopyRect(clip, buffer, clip);
    c.Brush().SetColor(Color());
    const int bottom = backBuffer_.Height();
    c.FillRect({clip.left, bottom, clip.right, Height()});
    // The text reaches MaxChar + 1 character widths; scrolled to the far right, the
    // window shows the background past that.
    const int right =
        static_cast<int>(std::clamp<long long>(ContentWidth() - ScrolledBy(), INT_MIN, INT_MAX));
    if (right < clip.right)
        c.FillRect({std::max<LONG>(right, clip.left), clip.top, clip.right,
                    std::min<LONG>(bottom, clip.bottom)});
    deferCount_ = 0;
}

}  // namespace qm
