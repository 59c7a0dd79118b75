// The text view: construction, properties, the line operations, the window's messages,
// creation styles, hit testing and size limits.
#include "controls/BigView.h"

#include <algorithm>

#include "base/Exception.h"
#include "framework/Property.h"

namespace qm {

TBigView::TBigView(TComponent* owner) : TCustomControl(owner) {
    TickSource = [] { return static_cast<std::uint32_t>(GetTickCount()); };
    lastScrollTick_ = Tick();
    tabStop_ = true;
    opaque_ = true;
    width_ = 65;
    height_ = 65;
    SetColor(clWindow);  // also stops taking the parent's colour
    backBuffer_.Canvas().Brush().SetColor(Color());
    ApplyFont();
    InitialMetrics();
    ClearBuffer();
}

TBigView::~TBigView() {
    *alive_ = false;
    // The window goes while the view is whole: no message reaches a half-destroyed view.
    if (caretCreated_) DestroyCaret();
    DestroyHandle();
}

// Properties

void TBigView::SetBvStyle(TBvStyle style) {
    if (style == bvStyle_) return;
    if (OnBvStyleChanging) OnBvStyleChanging(this, style);
    bvStyle_ = style;
    RecreateWnd();
    if (OnBvStyleChanged) OnBvStyleChanged(this);
}

void TBigView::SetText(const std::string& text) {
    // The caption buffer holds 255 bytes; a two-byte character is not cut in half.
    std::string caption = text.substr(0, 255);
    if (caption.size() == 255 && ByteTypeAt(caption, 255) == btLead) caption.pop_back();
    if (caption == text_) return;
    text_ = std::move(caption);
    RecreateWnd();
}

void TBigView::SetCaret(bool caret) {
    caret_ = caret;
    if (!caretCreated_) return;
    const HWND window = Handle();
    if (caret) {
        if (caretShown_) return;
        // Showing may fail while another hide is pending: ask again.
        bool shown = ShowCaret(window) != FALSE;
        for (int i = 0; i < 100 && !shown; ++i)
            shown = ShowCaret(window) != FALSE;
        caretShown_ = shown;
    } else if (caretShown_) {
        HideCaret(window);
        caretShown_ = false;
    }
}

void TBigView::SetMaxChar(std::int32_t n) {
    if (n <= 0) n = 1;
    if (n == maxChar_) return;
    maxChar_ = n;
    Recalculate();
}

void TBigView::SetScOver(bool over) {
    scOver_ = over;
    UpdateScrollBars();
}

void TBigView::SetScrollBar(TScrollStyle style) {
    if (style == scrollBar_) return;
    scrollBar_ = style;
    RecreateWnd();
    Recalculate();  // RowsVisible, the scroll ranges, a full redraw
}

void TBigView::SetScrollSense(std::int32_t n) {
    if (n >= 1 && n <= 10) scrollSense_ = n;
}

void TBigView::SetViewTabStop(std::int32_t n) {
    if (n < 0 || n == viewTabStop_) return;
    viewTabStop_ = n;
    RenderAll();
}

void TBigView::SetWrapByte(std::int32_t n) {
    if (n < 0 || n == wrapByte_) return;
    wrapByte_ = n;
    Relayout();
}

void TBigView::SetWordWrap(bool wrap) {
    if (StoreChange(wordWrap_, wrap)) Relayout();
}

// View lines

void TBigView::CheckViewLine(std::int32_t index) const {
    if (index < 0 || index >= ViewLineCount()) throw Exception(ListIndexErrorMessage(index));
}

const TViewLineRec& TBigView::ViewLine(std::int32_t index) const {
    CheckViewLine(index);
    return viewLines_[static_cast<std::size_t>(index)];
}

std::int32_t TBigView::ViewLineLength(std::int32_t row) const {
    const TViewLineRec& r = viewLines_[static_cast<std::size_t>(row)];
    const auto length = static_cast<std::int32_t>(store_.Get(r.LineIndex).size());
    if (r.StartPos <= 0) return 0;
    return std::clamp(length - r.StartPos + 1, 0, r.ByteCount);
}

std::string TBigView::GetViewLine(std::int32_t index) {
    const TViewLineRec& r = ViewLine(index);
    const std::string& line = store_.Get(r.LineIndex);
    if (r.StartPos <= 0) return std::string();
    const auto from = static_cast<std::size_t>(r.StartPos - 1);
    if (from >= line.size()) return std::string();
    return line.substr(from, static_cast<std::size_t>(r.ByteCount));
}

std::int32_t TBigView::FirstViewLineOf(std::int32_t line) const {
    // View lines are in line order and line L's first one is at index L or later.
    const auto from = viewLines_.begin() + std::clamp(line, 0, ViewLineCount());
    const auto it =
        std::lower_bound(from, viewLines_.end(), line,
                         [](const TViewLineRec& r, std::int32_t l) { return r.LineIndex < l; });
    if (it == viewLines_.end() || it->LineIndex != line) return ViewLineCount();
    return static_cast<std::int32_t>(it - viewLines_.begin());
}

std::int32_t TBigView::LineOfViewLine(std::int32_t row) const {
    if (row < 0 || row >= ViewLineCount()) return -1;
    return viewLines_[static_cast<std::size_t>(row)].LineIndex;
}

TViewPos TBigView::ViewToText(TViewPos p) const {
    if (p.Row < 0 || p.Row >= ViewLineCount()) return {0, 0};
    const TViewLineRec& r = viewLines_[static_cast<std::size_t>(p.Row)];
    return {r.StartPos + p.Column - 1, r.LineIndex};
}

TViewPos TBigView::TextToView(TViewPos t) const {
    std::int32_t k = FirstViewLineOf(t.Row);
    if (k == ViewLineCount()) return {1, k};
    while (k + 1 < ViewLineCount()) {
        const TViewLineRec& next = viewLines_[static_cast<std::size_t>(k + 1)];
        if (next.LineIndex != t.Row || next.StartPos > t.Column) break;
        ++k;
    }
    const std::int32_t column = t.Column - viewLines_[static_cast<std::size_t>(k)].StartPos + 1;
    if (column <= 0) return {0, 0};
    return {column, k};
}

// The line operations

std::int32_t TBigView::AddLine(const std::string& s) {
    store_.Add(s);
    LayoutFrom(store_.Count() - 1);
    const std::int32_t result = ViewLineCount();
    {
        SuspendRender suspend(*this);
        WidenMaxChar(ViewLineCount() - 1, 1);
        UpdateScrollBars();
    }
    if (bottomRow_ < topRow_ + rowsVisible_ - 1) SetBottomRow(topRow_ + rowsVisible_ - 1);
    return result;
}

void TBigView::AddStrings(const TStrings& list) {
    const std::int32_t first = store_.Count();
    store_.AddStrings(list);
    LayoutFrom(first);
    {
        SuspendRender suspend(*this);
        WidenMaxChar(ViewLineCount() - list.Count(), list.Count());
        UpdateScrollBars();
    }
    if (topRow_ + rowsVisible_ - 1 >= bottomRow_) SetBottomRow(topRow_ + rowsVisible_ - 1);
}

void TBigView::SetStrings(const TStrings& list) {
    store_.Assign(list);
    LayoutFrom(0);
    {
        SuspendRender suspend(*this);
        WidenMaxChar(ViewLineCount() - list.Count(), list.Count());
        UpdateScrollBars();
        // Back to the top without shifting the old lines' image into view.
        SetTopRow(0);
    }
    SetSelStart({0, 0});
    SetSelEnd({0, 0});
    if (bottomRow_ < topRow_ + rowsVisible_ - 1) SetBottomRow(topRow_ + rowsVisible_ - 1);
    RenderAll();
}

void TBigView::Clear() {
    store_.Clear();
    LayoutFrom(0);
    UpdateScrollBars();
    SetSelStart({0, 0});
    SetSelEnd({0, 0});
    SetTopRow(0);
    ClearBuffer();
}

void TBigView::GetStrings(TStrings& list) {
    store_.AssignTo(list);
}

void TBigView::DeleteLine(std::int32_t index) {
    CheckViewLine(index);
    const std::int32_t line = viewLines_[static_cast<std::size_t>(index)].LineIndex;
    store_.Delete(line);
    LayoutFrom(line);
    UpdateScrollBars();
    SetSelStart({0, 0});
    SetSelEnd({0, 0});
    if (ViewLineCount() - 1 < topRow_) SetTopRow(ViewLineCount() - 1);
    // A line gone above the visible rows moves them all.
    if (index <= bottomRow_) RenderAll();
}

void TBigView::ExchangeLines(std::int32_t index1, std::int32_t index2) {
    CheckViewLine(index1);
    CheckViewLine(index2);
    const std::int32_t first = std::min(index1, index2);
    store_.Exchange(viewLines_[static_cast<std::size_t>(index1)].LineIndex,
                    viewLines_[static_cast<std::size_t>(index2)].LineIndex);
    LayoutFrom(viewLines_[static_cast<std::size_t>(first)].LineIndex);
    // Wrapped lines of different lengths above the visible rows move them too.
    if (first <= bottomRow_) RenderAll();
}

void TBigView::SetViewLine(std::int32_t index, const std::string& s) {
    CheckViewLine(index);
    const TViewLineRec r = viewLines_[static_cast<std::size_t>(index)];
    std::string line = store_.Get(r.LineIndex);
    if (r.StartPos <= 0) {
        line = s;
    } else {
        const auto from = std::min(static_cast<std::size_t>(r.StartPos - 1), line.size());
        line.replace(from, static_cast<std::size_t>(r.ByteCount), s);
    }
    store_.Put(r.LineIndex, std::move(line));
    LayoutFrom(r.LineIndex);
    {
        // A longer line must stay reachable by horizontal scrolling.
        SuspendRender suspend(*this);
        const std::int32_t first = FirstViewLineOf(r.LineIndex);
        WidenMaxChar(first, FirstViewLineOf(r.LineIndex + 1) - first);
    }
    UpdateScrollBars();
    if (index <= bottomRow_) RenderAll();
}

bool TBigView::Find(std::string_view pattern, std::int32_t& row, std::int32_t& column) {
    const TViewPos from = ViewToText({column, row});
    std::int32_t line = from.Row;
    std::int32_t at = from.Column;
    const bool found = store_.Search(pattern, line, at);
    const TViewPos p = TextToView({at, line});
    row = p.Row;
    column = p.Column;
    return found;
}

std::int32_t TBigView::IndexOf(std::string_view s) {
    const std::int32_t line = store_.IndexOf(s);
    return line < 0 ? -1 : FirstViewLineOf(line);
}

void TBigView::InsertLine(std::int32_t index, const std::string& s) {
    CheckViewLine(index);
    const std::int32_t line = viewLines_[static_cast<std::size_t>(index)].LineIndex;
    store_.Insert(line, s);
    LayoutFrom(line);
    {
        SuspendRender suspend(*this);
        WidenMaxChar(index, 1);
        UpdateScrollBars();
    }
    if (index <= bottomRow_) RenderAll();
}

void TBigView::LoadFromFile(const std::string& fileName) {
    LoadWith([&] { store_.LoadFromFile(fileName); });
}

void TBigView::LoadFromStream(TStream& stream) {
    LoadWith([&] { store_.LoadFromStream(stream); });
}

void TBigView::LoadWith(const std::function<void()>& load) {
    try {
        load();
    } catch (const std::exception&) {
        // The store was cleared, or holds what was read before the failure: show that.
        AfterLoad();
        throw;
    }
    AfterLoad();
}

void TBigView::SaveToFile(const std::string& fileName) {
    store_.SaveToFile(fileName);
}

void TBigView::SaveToStream(TStream& stream) {
    store_.SaveToStream(stream);
}

// The window

void TBigView::CreateParams(TCreateParams& params) {
    TCustomControl::CreateParams(params);
    params.WinClassName = "QuillmothBigView";
    params.Caption = text_;
    params.Style |= WS_TABSTOP;
    if (HasVScroll()) params.Style |= WS_VSCROLL;
    if (HasHScroll()) params.Style |= WS_HSCROLL;
    if (bvStyle_.Contains(bvCaption)) params.Style |= WS_CAPTION;
    if (bvStyle_.Contains(bvVResize) || bvStyle_.Contains(bvHResize)) params.Style |= WS_THICKFRAME;
    if (bvStyle_.Contains(bvClientLow)) params.ExStyle |= WS_EX_CLIENTEDGE;
    if (bvStyle_.Contains(bvDblFrame)) params.ExStyle |= WS_EX_DLGMODALFRAME;
}

void TBigView::CreateWnd() {
    TCustomControl::CreateWnd();
    // Scroll positions outlive a remade window.
    if (HasVScroll()) SetScrollPos(Handle(), SB_VERT, vScrollPos_, TRUE);
    if (HasHScroll()) SetScrollPos(Handle(), SB_HORZ, hScrollPos_, TRUE);
}

int TBigView::WindowHeight() {
    // During WM_SIZE the control's bounds are not updated yet: ask the window.
    RECT r;
    if (HandleAllocated() && GetWindowRect(Handle(), &r)) return r.bottom - r.top;
    return Height();
}

void TBigView::WndProc(TMessage& m) {
    switch (m.Msg) {
        case WM_SIZE:
            TCustomControl::WndProc(m);
            Recalculate();
            return;
        case WM_MOVE:
            TCustomControl::WndProc(m);
            RenderAll();
            return;
        case WM_SETFONT:
            TCustomControl::WndProc(m);
            ApplyFont();
            Recalculate();
            return;
        case WM_NCHITTEST:
            TCustomControl::WndProc(m);
            m.Result = HitTest(m.Result);
            return;
        case WM_GETMINMAXINFO:
            TCustomControl::WndProc(m);
            SizeLimits(*reinterpret_cast<MINMAXINFO*>(m.LParam));
            return;
        case WM_SETFOCUS: {
            TCustomControl::WndProc(m);
            FocusGained();
            return;
        }
        case WM_KILLFOCUS:
            TCustomControl::WndProc(m);
            FocusLost();
            return;
        case WM_NCLBUTTONDOWN:
            if (CanFocus()) SetFocus();
            TCustomControl::WndProc(m);
            return;
        case WM_VSCROLL:
            VScrollMessage(LOWORD(m.WParam));
            m.Result = 0;
            return;
        case WM_HSCROLL:
            HScrollMessage(LOWORD(m.WParam));
            m.Result = 0;
            return;
        case WM_MOUSEWHEEL:
        case WM_MOUSEHWHEEL:
            WheelMessage(m.Msg, m.WParam);
            m.Result = 0;
            return;
        case WM_DRAGSTEP:
            DragStep(m);
            return;
        case WM_GETDLGCODE:
            // The arrow keys scroll the view; the dialog must not take them for focus moves.
            TCustomControl::WndProc(m);
            m.Result |= DLGC_WANTARROWS;
            return;
        default:
            TCustomControl::WndProc(m);
    }
}

LRESULT TBigView::HitTest(LRESULT answer) const {
    const bool vResize = bvStyle_.Contains(bvVResize);
    const bool hResize = bvStyle_.Contains(bvHResize);
    switch (answer) {
        case HTTOP:
        case HTBOTTOM:
            if (!vResize) answer = HTNOWHERE;
            break;
        case HTLEFT:
        case HTRIGHT:
            if (!hResize) answer = HTNOWHERE;
            break;
        case HTTOPLEFT:
        case HTTOPRIGHT:
        case HTBOTTOMLEFT:
        case HTBOTTOMRIGHT:
            if (!vResize || !hResize) answer = HTNOWHERE;
            break;
        default:
            break;
    }
    if (bvStyle_.Contains(bvCaption)) {
        if (!bvStyle_.Contains(bvMove) && answer == HTCAPTION) answer = HTNOWHERE;
    } else if (bvStyle_.Contains(bvMove) && answer == HTCLIENT && GetKeyState(VK_CONTROL) < 0) {
        answer = HTCAPTION;  // Ctrl+drag moves the control
    }
    return answer;
}

void TBigView::SizeLimits(MINMAXINFO& info) {
    info.ptMinTrackSize = {GetSystemMetrics(SM_CXMIN), GetSystemMetrics(SM_CYMIN)};
    if (!bvStyle_.Contains(bvVResize)) {
        info.ptMaxSize.y = Height();
        info.ptMaxTrackSize.y = Height();
        info.ptMinTrackSize.y = Height();
    }
    if (!bvStyle_.Contains(bvHResize)) {
        info.ptMaxSize.x = Width();
        info.ptMaxTrackSize.x = Width();
        info.ptMinTrackSize.x = Width();
    }
}

void SetFileViewStyle(TBigView& view) {
    view.SetBvStyle({bvClientLow});
    view.SetCapacity(0);
    view.SetCaret(false);
    view.SetColor(clInfoBk);
    view.SetCRMark(false);
    view.SetMaxChar(255);
    view.SetPCanLimit(0);
    view.SetScOver(false);
    view.SetScrollBar(ssVertical);
    view.SetScrollSense(1);
    view.SetSelect(true);
    view.SetViewTabStop(8);
    view.SetWrapByte(0);
    view.SetWordWrap(false);
}

}  // namespace qm
