// The text view: caret, selection, mouse, keyboard and focus. Keys move the caret or
// scroll, the mouse places the caret and selects, a double click selects a word.
//
// The drag step, the key handler and focus with bvMove let pending messages through in
// the middle of their work; the view's own handlers may then run. Such a handler reads
// the view's state afresh afterwards and never nests another drag loop or message pump.
#include <algorithm>
#include <vector>

#include "base/Characters.h"
#include "controls/BigView.h"
#include "framework/Application.h"
#include "framework/Form.h"

namespace qm {

namespace {

bool IsWordByte(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

// The kind of every byte of s, in one pass.
std::vector<TByteType> ByteTypes(std::string_view s) {
    std::vector<TByteType> types(s.size());
    bool previousLead = false;
    for (std::size_t i = 0; i < s.size(); ++i) {
        types[i] = previousLead
                       ? btTrail
                       : (IsCodePageLeadByte(static_cast<std::uint8_t>(s[i])) ? btLead : btSingle);
        previousLead = types[i] == btLead;
    }
    return types;
}

// The caret keys: entries 0-9 unshifted (or with Ctrl), 10-19 the same with Shift.
struct CaretEntry {
    WORD key;
    TShiftState shift;
};
constexpr CaretEntry kCaretTable[20] = {
    {VK_UP, 0},
    {VK_DOWN, 0},
    {VK_LEFT, 0},
    {VK_RIGHT, 0},
    {VK_PRIOR, 0},
    {VK_NEXT, 0},
    {VK_HOME, 0},
    {VK_END, 0},
    {VK_HOME, ssCtrl},
    {VK_END, ssCtrl},
    {VK_UP, ssShift},
    {VK_DOWN, ssShift},
    {VK_LEFT, ssShift},
    {VK_RIGHT, ssShift},
    {VK_PRIOR, ssShift},
    {VK_NEXT, ssShift},
    {VK_HOME, ssShift},
    {VK_END, ssShift},
    {VK_HOME, ssShift | ssCtrl},
    {VK_END, ssShift | ssCtrl},
};

struct ScrollEntry {
    WORD key;
    TShiftState shift;
    int code;
};
constexpr ScrollEntry kVerticalKeys[] = {
    {VK_UP, 0, SB_LINEUP},          {VK_DOWN, 0, SB_LINEDOWN},   {VK_UP, ssCtrl, SB_PAGEUP},
    {VK_DOWN, ssCtrl, SB_PAGEDOWN}, {VK_PRIOR, 0, SB_PAGEUP},    {VK_NEXT, 0, SB_PAGEDOWN},
    {VK_HOME, ssCtrl, SB_TOP},      {VK_END, ssCtrl, SB_BOTTOM},
};
constexpr ScrollEntry kHorizontalKeys[] = {
    {VK_LEFT, 0, SB_LINELEFT},        {VK_RIGHT, 0, SB_LINERIGHT}, {VK_LEFT, ssCtrl, SB_PAGELEFT},
    {VK_RIGHT, ssCtrl, SB_PAGERIGHT}, {VK_HOME, 0, SB_LEFT},       {VK_END, 0, SB_RIGHT},
};

template <std::size_t N>
int FindScrollCode(const ScrollEntry (&table)[N], WORD key, TShiftState shift) {
    for (const ScrollEntry& e : table) {
        if (e.key == key && e.shift == shift) return e.code;
    }
    return -1;
}

}  // namespace

// Positions and the caret

TViewPos TBigView::Normalize(TViewPos p) const {
    if (p.Row >= ViewLineCount()) p.Row = ViewLineCount() - 1;
    if (p.Row < 0) return {0, 0};
    const std::int32_t length = ViewLineLength(p.Row);
    if (p.Column > length + 1) p.Column = length + 1;
    if (p.Column < 0) p.Column = 0;
    return p;
}

void TBigView::SetSelStart(TViewPos p) {
    selStart_ = Normalize(p);
}

void TBigView::SetSelEnd(TViewPos p) {
    selEnd_ = Normalize(p);
    PlaceCaret(selEnd_);
}

void TBigView::PlaceCaret(TViewPos p) {
    caretPos_ = Normalize(p);
    const std::int32_t c = std::max(caretPos_.Column, 1);
    const int y = (caretPos_.Row - topRow_) * lineHeight_;
    int w = 0;
    if (caretPos_.Row < ViewLineCount())
        w = TextWidth(std::string_view(GetViewLine(caretPos_.Row)).substr(0, c - 1));
    const int x = Margin + w - ScrolledBy();
    // Only the caret this window made: the thread's caret may belong to another control.
    if (caretCreated_) SetCaretPos(x, y);
}

TViewPos TBigView::PointToPosition(int x, int y, bool raw) {
    if (ViewLineCount() == 0) return {0, 0};
    int edge = 0;
    if (y > backBuffer_.Height()) y = backBuffer_.Height();
    if (y < 0) {
        edge = -1;
        y = 0;
    }
    int e = x + ScrolledBy() - Margin;
    if (e > ContentWidth()) e = static_cast<int>(ContentWidth());
    std::int32_t row = y / lineHeight_ + topRow_;
    if (row >= ViewLineCount()) {
        row = ViewLineCount() - 1;
        edge = 1;
    }
    if (row < 0) return {0, 0};
    const std::string text = GetViewLine(row);
    const auto length = static_cast<std::int32_t>(text.size());
    if (edge == 1) return {length + 1, row};
    if (edge == -1) return {1, row};
    // The first position whose prefix reaches the point; widths grow with the prefix,
    // so a binary search over the candidate positions finds it.
    std::vector<std::int32_t> candidates;
    candidates.reserve(text.size());
    const std::vector<TByteType> types = ByteTypes(text);
    for (std::int32_t i = 1; i <= length; ++i) {
        if (raw || types[static_cast<std::size_t>(i - 1)] != btTrail) candidates.push_back(i);
    }
    const int target = std::max(e, 0);
    std::size_t lo = 0, hi = candidates.size();
    while (lo < hi) {
        const std::size_t mid = lo + (hi - lo) / 2;
        const auto prefix = static_cast<std::size_t>(candidates[mid]);
        if (TextWidth(std::string_view(text).substr(0, prefix)) >= target) {
            hi = mid;
        } else {
            lo = mid + 1;
        }
    }
    return {lo < candidates.size() ? candidates[lo] : length + 1, row};
}

void TBigView::SelectWordAt(int x, int y) {
    TViewPos p = PointToPosRaw(x, y);
    TViewPos e = p;
    if (!select_ || ViewLineCount() == 0 || p.Column <= 0) return;
    const std::string text = GetViewLine(p.Row);
    const auto length = static_cast<std::int32_t>(text.size());
    const std::vector<TByteType> types = ByteTypes(text);
    auto type = [&](std::int32_t i) {
        return i >= 1 && i <= length ? types[static_cast<std::size_t>(i - 1)] : btSingle;
    };
    auto wordAt = [&](std::int32_t i) {
        return i >= 1 && i <= length && type(i) == btSingle &&
               IsWordByte(text[static_cast<std::size_t>(i - 1)]);
    };
    switch (type(p.Column)) {
        case btSingle:
            if (wordAt(p.Column)) {
                while (p.Column > 1 && wordAt(p.Column - 1))
                    --p.Column;
                while (e.Column < length && wordAt(e.Column + 1))
                    ++e.Column;
            }
            ++e.Column;
            break;
        case btLead:
            e.Column = p.Column + 2;
            break;
        case btTrail:
            e.Column = p.Column + 1;
            --p.Column;
            break;
    }
    SetSelStart(p);
    SetSelEnd(e);
    RenderAll();
}

bool TBigView::EnsureVisible(TViewPos p) {
    bool moved = false;
    {
        SuspendRender suspend(*this);
        const int left = ScrolledBy();
        const int w = ClientWidth();
        int px = 0;
        if (p.Row >= 0 && p.Row < ViewLineCount())
            px = TextWidth(
                std::string_view(GetViewLine(p.Row)).substr(0, std::max(p.Column - 1, 0)));
        if (p.Row < topRow_) {
            SetTopRow(p.Row);
            moved = true;
        }
        if (p.Row > bottomRow_) {
            SetBottomRow(p.Row);
            moved = true;
        }
        if (px < left) {
            SetHScrollPos(px / charWidth_);
            moved = true;
        }
        if (px > left + w) {
            SetHScrollPos((px - w) / charWidth_);
            SetHScrollPos(hScrollPos_ + 1);
            moved = true;
        }
    }
    if (moved) RenderAll();
    return moved;
}

// Mouse

void TBigView::Click() {
    if (CanFocus()) SetFocus();
    clickState_ = 1;
    TCustomControl::Click();
}

void TBigView::DblClick() {
    // The platform reports the double click before the second press, which then selects
    // the word under the pointer.
    clickState_ = 2;
    TCustomControl::DblClick();
}

void TBigView::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    const auto alive = alive_;
    TCustomControl::MouseDown(button, shift, x, y);
    if (!*alive) return;
    if (button == mbLeft) {
        if (clickState_ == 1) {
            extending_ = select_;
            const TViewPos p = PointToPos(x, y);
            SetSelStart(p);
            SetSelEnd(selStart_);
            RenderAll();
        } else if (clickState_ == 2 && select_) {
            SelectWordAt(x, y);
        }
    } else if (button == mbRight && popupMenu_) {
        POINT at;
        GetCursorPos(&at);
        TWinControl* form = GetParentForm(this);
        TrackPopupMenu(popupMenu_, TPM_LEFTALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0,
                       form ? form->Handle() : Handle(), nullptr);
        if (!*alive) return;
    }
    clickState_ = 1;
}

void TBigView::MouseMove(TShiftState shift, int x, int y) {
    const auto alive = alive_;
    if (extending_) {
        dragPoint_ = {x, y};
        // A running drag loop picks the new point up by itself.
        if (!dragging_) Perform(WM_DRAGSTEP, 0, 0);
        if (!*alive) return;
    }
    TCustomControl::MouseMove(shift, x, y);
}

void TBigView::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    const auto alive = alive_;
    TCustomControl::MouseUp(button, shift, x, y);
    if (!*alive) return;
    if (extending_) {
        extending_ = false;
        const TViewPos p = PointToPos(x, y);
        if (p.Column == 0) return;
        SetSelEnd(p);
        RenderAll();
    }
    if (CanFocus()) SetFocus();
}

void TBigView::DragStep(TMessage& m) {
    if (dragging_) return;  // the loop below is already at work
    const auto alive = alive_;
    dragging_ = true;
    for (;;) {
        if (!extending_) break;
        bool moved = false;
        if (dragPoint_.y < 0) {
            SetTopRow(topRow_ - 1);
            moved = true;
        }
        if (dragPoint_.y > ClientHeight() && bottomRow_ < ViewLineCount() - 1) {
            SetTopRow(topRow_ + 1);
            moved = true;
        }
        if (dragPoint_.x < 0) {
            ScrollHorz(SB_LINELEFT, hScrollPos_, 200);
            moved = true;
        }
        if (dragPoint_.x > ClientWidth()) {
            ScrollHorz(SB_LINERIGHT, hScrollPos_, 200);
            moved = true;
        }
        const TViewPos p = PointToPos(dragPoint_.x, dragPoint_.y);
        if (p.Column == 0) {
            dragging_ = false;
            return;
        }
        SetSelEnd(p);
        RenderAll();
        if (!moved) break;
        // While the pointer stays outside: wait a moment for input, let it through (moves
        // update DragPoint, the release ends Extending), then scroll again.
        MsgWaitForMultipleObjects(0, nullptr, FALSE, kDragRepeatMs, QS_ALLINPUT);
        Application().ProcessMessages();
        if (!*alive) return;
        if (Application().Terminated()) break;
        if (GetCapture() != Handle()) {
            // The button went up somewhere we were not told of.
            if (GetKeyState(VK_LBUTTON) >= 0) extending_ = false;
            break;
        }
    }
    dragging_ = false;
    DefaultHandler(m);
}

// Keyboard

void TBigView::KeyDown(WORD& key, TShiftState shift) {
    const auto alive = alive_;
    TCustomControl::KeyDown(key, shift);
    if (!*alive || key == 0 || store_.Count() == 0) return;
    shift &= ssShift | ssCtrl | ssAlt;
    if (caret_ && CaretKey(key, shift)) return;
    ScrollKey(key, shift);
}

bool TBigView::CaretKey(WORD key, TShiftState shift) {
    const int entries = select_ ? 20 : 10;
    int entry = -1;
    for (int i = 0; i < entries; ++i) {
        if (kCaretTable[i].key == key && kCaretTable[i].shift == shift) {
            entry = i;
            break;
        }
    }
    if (entry < 0) return false;
    const bool extend = entry >= 10;
    extending_ = extend;
    TViewPos q = caretPos_;
    auto rowText = [&](std::int32_t row) {
        return row >= 0 && row < ViewLineCount() ? GetViewLine(row) : std::string();
    };
    // A column on the second byte of a two-byte character moves off it.
    auto leftFix = [&] {
        if (ByteTypeAt(rowText(q.Row), q.Column) == btTrail) --q.Column;
    };
    auto rightFix = [&] {
        if (ByteTypeAt(rowText(q.Row), q.Column) == btTrail) ++q.Column;
    };
    switch (entry % 10) {
        case 0:
            if (q.Row > 0) --q.Row;
            leftFix();
            break;
        case 1:
            if (q.Row < ViewLineCount() - 1) ++q.Row;
            rightFix();
            break;
        case 2:
            if (q.Column > 1) --q.Column;
            leftFix();
            break;
        case 3:
            ++q.Column;
            rightFix();
            break;
        case 4: {
            const std::int32_t old = q.Row;
            q.Row = std::max(q.Row - rowsVisible_, 0);
            leftFix();
            if (q.Row != old) SetTopRow(topRow_ + q.Row - old);
            break;
        }
        case 5: {
            const std::int32_t old = q.Row;
            q.Row = std::max(std::min(q.Row + rowsVisible_, ViewLineCount() - 1), 0);
            rightFix();
            if (q.Row != old) SetTopRow(topRow_ + q.Row - old);
            break;
        }
        case 6:
            q.Column = 1;
            break;
        case 7:
            q.Column = static_cast<std::int32_t>(rowText(q.Row).size()) + 1;
            break;
        case 8:
            q = {1, 0};
            break;
        case 9:
            q.Row = std::max(ViewLineCount() - 1, 0);
            q.Column = static_cast<std::int32_t>(rowText(q.Row).size()) + 1;
            break;
    }
    SetSelEnd(q);
    if (!extend) SetSelStart(selEnd_);
    if (!EnsureVisible(caretPos_)) {
        const auto alive = alive_;
        PumpMessages();
        if (!*alive) return true;
        RenderAll();
    }
    return true;
}

bool TBigView::ScrollKey(WORD key, TShiftState shift) {
    if (HasVScroll()) {
        const int code = FindScrollCode(kVerticalKeys, key, shift);
        if (code >= 0) {
            ScrollVert(code, vScrollPos_, 200);
            SyncTopRow();
            return true;
        }
    }
    if (HasHScroll()) {
        const int code = FindScrollCode(kHorizontalKeys, key, shift);
        if (code >= 0) {
            ScrollHorz(code, hScrollPos_, 200);
            return true;
        }
    }
    return false;
}

void TBigView::KeyUp(WORD& key, TShiftState shift) {
    const auto alive = alive_;
    TCustomControl::KeyUp(key, shift);
    if (!*alive) return;
    // Releasing any key ends a run of shifted keys, and a mouse drag too.
    extending_ = false;
}

// Lets pending messages through once; a handler they run does not pump again.
void TBigView::PumpMessages() {
    if (pumping_ || dragging_) return;
    pumping_ = true;
    const auto alive = alive_;
    Application().ProcessMessages();
    if (*alive) pumping_ = false;
}

// Focus

void TBigView::FocusGained() {
    CreateCaret(Handle(), nullptr, 2, lineHeight_);
    caretCreated_ = true;
    caretShown_ = false;
    PlaceCaret(caretPos_);
    if (caret_) SetCaret(true);
    if (bvStyle_.Contains(bvMove)) {
        BringToFront();
        PumpMessages();
    }
}

void TBigView::FocusLost() {
    if (!caretCreated_) return;
    DestroyCaret();
    caretCreated_ = false;
    caretShown_ = false;
}

}  // namespace qm
