// The read-only text view. It keeps its lines in an owned TBvStrings store, breaks every
// line into view lines (the rows on screen), draws the visible rows into an off-screen
// back buffer and copies that to the window. Scrolling shifts the back buffer and draws
// only the rows that come into view. The user can scroll, place a caret, select with the
// mouse and the shifted caret keys, and double-click a word; nothing edits the text.
//
// Positions are (column, row): row a view-line index from 0, column a 1-based byte
// position in that view line's text from 1 to Length + 1; (0, 0) is no position.
//
// The implementation is split by concern: BigView.cpp (construction, properties, the
// line operations), BigViewLayout.cpp (metrics, layout, drawing), BigViewScroll.cpp and
// BigViewInput.cpp.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "controls/BvStrings.h"
#include "framework/Bitmap.h"
#include "framework/WinControl.h"

namespace qm {

enum TBvStyles { bvCaption, bvVResize, bvHResize, bvMove, bvClientLow, bvDblFrame };

// A set of TBvStyles, one bit each (bvCaption bit 0).
class TBvStyle {
  public:
    constexpr TBvStyle() = default;
    constexpr TBvStyle(std::initializer_list<TBvStyles> styles) {
        for (TBvStyles s : styles)
            bits_ = static_cast<std::uint8_t>(bits_ | Bit(s));
    }
    constexpr bool Contains(TBvStyles s) const { return (bits_ & Bit(s)) != 0; }
    constexpr std::uint8_t Bits() const { return bits_; }
    constexpr TBvStyle With(TBvStyles s) const { return FromBits(bits_ | Bit(s)); }
    constexpr TBvStyle Without(TBvStyles s) const { return FromBits(bits_ & ~Bit(s)); }
    friend constexpr bool operator==(TBvStyle, TBvStyle) = default;

  private:
    static constexpr unsigned Bit(TBvStyles s) { return 1u << static_cast<unsigned>(s); }
    static constexpr TBvStyle FromBits(unsigned bits) {
        TBvStyle t;
        t.bits_ = static_cast<std::uint8_t>(bits & 0x3F);
        return t;
    }
    std::uint8_t bits_ = 0;
};

enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };

using TBvStyleEvent = std::function<void(TComponent* sender, TBvStyle& Parm)>;
using TViewLineEvent = std::function<void(TComponent* sender, std::int32_t& Value)>;

// One row on screen: ByteCount bytes of line LineIndex from StartPos (0 for an empty
// line). The last view line of a wrapped line may record more bytes than remain.
struct TViewLineRec {
    std::int32_t LineIndex = 0;
    std::int32_t StartPos = 0;
    std::int32_t ByteCount = 0;
    std::int32_t SubIndex = 0;
    bool LastOfLine = false;
};

struct TViewPos {
    std::int32_t Column = 0;
    std::int32_t Row = 0;
    friend constexpr bool operator==(TViewPos, TViewPos) = default;
};

enum TByteType { btSingle, btLead, btTrail };

class TBigView : public TCustomControl {
  public:
    // Left edge of the text in the back buffer and origin of the tab stops.
    static constexpr int Margin = 4;
    // The drag step the view sends itself while the mouse extends a selection.
    static constexpr UINT WM_DRAGSTEP = WM_USER;
    // Between two repetitions of the drag step the view waits this long for input, so
    // that holding the pointer outside scrolls at a steady pace.
    static constexpr DWORD kDragRepeatMs = 30;

    explicit TBigView(TComponent* owner);
    ~TBigView() override;

    // Properties

    TBvStyle BvStyle() const { return bvStyle_; }
    void SetBvStyle(TBvStyle style);
    std::int32_t Capacity() const { return store_.Capacity(); }
    void SetCapacity(std::int32_t n) { store_.SetCapacity(n); }
    bool Caret() const { return caret_; }
    void SetCaret(bool caret);
    bool CRMark() const { return crMark_; }
    void SetCRMark(bool mark) { crMark_ = mark; }
    std::int32_t MaxChar() const { return maxChar_; }
    void SetMaxChar(std::int32_t n);
    std::int32_t PCanLimit() const { return pCanLimit_; }
    void SetPCanLimit(std::int32_t n) { pCanLimit_ = n < 0 ? 0 : n; }
    bool ScOver() const { return scOver_; }
    void SetScOver(bool over);
    TScrollStyle ScrollBar() const { return scrollBar_; }
    void SetScrollBar(TScrollStyle style);
    std::int32_t ScrollSense() const { return scrollSense_; }
    void SetScrollSense(std::int32_t n);
    bool Select() const { return select_; }
    void SetSelect(bool select) { select_ = select; }
    std::int32_t ViewTabStop() const { return viewTabStop_; }
    void SetViewTabStop(std::int32_t n);
    std::int32_t WrapByte() const { return wrapByte_; }
    void SetWrapByte(std::int32_t n);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool wrap);
    // Shown at the cursor on a right-button press; its commands go to the form.
    HMENU PopupMenu() const { return popupMenu_; }
    void SetPopupMenu(HMENU menu) { popupMenu_ = menu; }
    // The caption (Caption/SetCaption) lives in a 255-byte buffer; a change remakes the
    // window.
    std::string GetText() override { return text_; }
    void SetText(const std::string& text) override;

    TBvStyleEvent OnBvStyleChanging;
    TNotifyEvent OnBvStyleChanged;
    TViewLineEvent OnViewLineChanging;
    TNotifyEvent OnViewLineChanged;

    // The millisecond clock of the scroll acceleration; GetTickCount unless replaced.
    std::function<std::uint32_t()> TickSource;

    // The line operations. Each re-lays out and redraws what it changed.

    // The text of a view line; an index outside the view lines raises the list index
    // error.
    virtual std::string GetViewLine(std::int32_t index);
    virtual void SetViewLine(std::int32_t index, const std::string& s);
    // Appends a line; answers the number of view lines afterwards.
    virtual std::int32_t AddLine(const std::string& s);
    virtual void AddStrings(const TStrings& list);
    virtual void SetStrings(const TStrings& list);
    virtual void Clear();
    virtual void GetStrings(TStrings& list);
    // The operations below take view-line indexes and act on the whole line.
    virtual void DeleteLine(std::int32_t index);
    virtual void ExchangeLines(std::int32_t index1, std::int32_t index2);
    // Searches the store from a view position (see TBvStrings::Search) and answers the
    // match as a view position; selects nothing.
    virtual bool Find(std::string_view pattern, std::int32_t& row, std::int32_t& column);
    // First view line of the first line equal to s, or -1.
    virtual std::int32_t IndexOf(std::string_view s);
    virtual void InsertLine(std::int32_t index, const std::string& s);
    virtual void LoadFromFile(const std::string& fileName);
    virtual void LoadFromStream(TStream& stream);
    virtual void SaveToFile(const std::string& fileName);
    virtual void SaveToStream(TStream& stream);

    const TBvStrings& Lines() const { return store_; }

    // Layout

    std::int32_t ViewLineCount() const { return static_cast<std::int32_t>(viewLines_.size()); }
    std::int32_t LineCount() const { return store_.Count(); }
    const TViewLineRec& ViewLine(std::int32_t index) const;
    std::int32_t FirstViewLineOf(std::int32_t line) const;
    std::int32_t LineOfViewLine(std::int32_t row) const;
    bool IsLastOfLine(std::int32_t row) const { return ViewLine(row).LastOfLine; }
    // View position <-> text position (byte position in the line, line index).
    TViewPos ViewToText(TViewPos p) const;
    TViewPos TextToView(TViewPos t) const;
    // What byte i (1-based) of s is, scanning from the start; single past the end.
    static TByteType ByteTypeAt(std::string_view s, std::int32_t i);
    // Pixel width of s in the view's font with tabs expanded from its start.
    int TextWidth(std::string_view s);
    // Bytes per view line when wrapping line t at the window's width.
    std::int32_t WidthWrapCount(std::string_view t);
    void LayoutFrom(std::int32_t line);
    bool WidenMaxChar(std::int32_t first, std::int32_t n);

    // Metrics and drawing

    int LineHeight() const { return lineHeight_; }
    int CharWidth() const { return charWidth_; }
    std::int32_t RowsVisible() const { return rowsVisible_; }
    std::int32_t TopRow() const { return topRow_; }
    std::int32_t BottomRow() const { return bottomRow_; }
    // The visible rows as the window shows them: as wide as the client area, the text
    // drawn moved left by the horizontal scroll position.
    TBitmap& BackBuffer() { return backBuffer_; }
    void UpdateMetrics();
    void Recalculate();
    void ClearBuffer();
    void RenderAll();
    void DrawSelection(TViewPos a, TViewPos b);
    void DrawRowSelection(std::int32_t row);
    void Present();

    // Scrolling

    // The largest top view line scrolling aims for.
    std::int32_t MaxTopRow() const;
    std::int32_t VScrollPos() const { return vScrollPos_; }
    std::int32_t HScrollPos() const { return hScrollPos_; }
    std::int32_t ScrollStep() const { return scrollStep_; }
    std::int32_t VScrollMax() const { return vScrollMax_; }
    std::int32_t HScrollMax() const { return hScrollMax_; }
    void UpdateScrollBars();
    void SetVScrollPos(std::int32_t p);
    void SetHScrollPos(std::int32_t p);
    // One scroll action by a platform scroll code (SB_LINEUP ... SB_ENDSCROLL), with
    // acceleration inside the window (milliseconds) of the previous action.
    void ScrollVert(int code, std::int32_t track, std::uint32_t window);
    void ScrollHorz(int code, std::int32_t track, std::uint32_t window);
    void Accelerate(std::uint32_t window);
    void SyncTopRow();
    void SetTopRow(std::int32_t row);
    void SetBottomRow(std::int32_t row);
    void ScrollBufferUp(std::int32_t n);
    void ScrollBufferDown(std::int32_t n);

    // Caret, selection, pointer

    TViewPos CaretPos() const { return caretPos_; }
    TViewPos SelStart() const { return selStart_; }
    TViewPos SelEnd() const { return selEnd_; }
    bool Extending() const { return extending_; }
    std::int32_t ClickState() const { return clickState_; }
    POINT DragPoint() const { return dragPoint_; }
    void SetSelStart(TViewPos p);
    void SetSelEnd(TViewPos p);
    void PlaceCaret(TViewPos p);
    TViewPos PointToPos(int x, int y) { return PointToPosition(x, y, false); }
    TViewPos PointToPosRaw(int x, int y) { return PointToPosition(x, y, true); }
    void SelectWordAt(int x, int y);
    bool EnsureVisible(TViewPos p);

    void WndProc(TMessage& message) override;

  protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void Paint() override;
    void FontChanged() override;

    void Click() override;
    void DblClick() override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void KeyDown(WORD& key, TShiftState shift) override;
    void KeyUp(WORD& key, TShiftState shift) override;

  private:
    // Sets RenderSuspended for one scope and puts back what it was.
    class SuspendRender {
      public:
        explicit SuspendRender(TBigView& view)
            : view_(view), was_(std::exchange(view.renderSuspended_, true)) {}
        ~SuspendRender() { view_.renderSuspended_ = was_; }
        SuspendRender(const SuspendRender&) = delete;
        SuspendRender& operator=(const SuspendRender&) = delete;

      private:
        TBigView& view_;
        bool was_;
    };

    std::uint32_t Tick() const { return TickSource ? TickSource() : GetTickCount(); }
    bool HasVScroll() const { return scrollBar_ == ssVertical || scrollBar_ == ssBoth; }
    bool HasHScroll() const { return scrollBar_ == ssHorizontal || scrollBar_ == ssBoth; }
    void CheckViewLine(std::int32_t index) const;
    std::int32_t ClampRow(std::int32_t row) const;
    std::int32_t ViewLineLength(std::int32_t row) const;
    int WindowHeight();
    // Pixels the text is drawn to the left by horizontal scrolling.
    int ScrolledBy() const;
    // Width of the text's extent: MaxChar + 1 character widths.
    long long ContentWidth() const;

    // Layout and drawing helpers (BigViewLayout.cpp).
    void ApplyFont();
    void InitialMetrics();
    void Relayout();
    void AfterLoad();
    void LoadWith(const std::function<void()>& load);
    void DrawRow(std::int32_t row, int y);
    void DrawEndMark(std::string_view text, int y);
    void FillBuffer(const RECT& r);
    void PaintNow();

    // Input helpers (BigViewInput.cpp).
    TViewPos Normalize(TViewPos p) const;
    TViewPos PointToPosition(int x, int y, bool raw);
    bool CaretKey(WORD key, TShiftState shift);
    bool ScrollKey(WORD key, TShiftState shift);
    void DragStep(TMessage& message);
    void FocusGained();
    void FocusLost();
    void PumpMessages();

    // Scroll messages (BigViewScroll.cpp).
    void ScrollBuffer(std::int32_t n, bool up);
    void VScrollMessage(int code);
    void HScrollMessage(int code);
    void WheelMessage(UINT message, WPARAM wParam);

    LRESULT HitTest(LRESULT answer) const;
    void SizeLimits(MINMAXINFO& info);

    TBvStrings store_;
    std::vector<TViewLineRec> viewLines_;
    TBitmap backBuffer_;
    TBitmap measureBuffer_;

    // Properties.
    TBvStyle bvStyle_{bvClientLow};
    bool caret_ = false;
    bool crMark_ = false;
    std::int32_t maxChar_ = 255;
    std::int32_t pCanLimit_ = 0;
    bool scOver_ = false;
    TScrollStyle scrollBar_ = ssNone;
    std::int32_t scrollSense_ = 1;
    bool select_ = true;
    std::int32_t viewTabStop_ = 8;
    std::int32_t wrapByte_ = 0;
    bool wordWrap_ = true;
    HMENU popupMenu_ = nullptr;

    // Metrics and drawing state.
    int lineHeight_ = 1;
    int charWidth_ = 1;
    std::int32_t rowsVisible_ = 0;
    std::int32_t topRow_ = 0;
    std::int32_t bottomRow_ = 0;
    std::int32_t deferCount_ = 0;
    bool renderSuspended_ = false;

    // Scroll state.
    std::int32_t vScrollPos_ = 0;
    std::int32_t vScrollPrev_[2] = {0, 0};  // the previous value, then the one before
    std::int32_t hScrollPos_ = 0;
    std::int32_t hScrollPrev_[2] = {0, 0};
    std::int32_t vScrollMax_ = 1;
    std::int32_t hScrollMax_ = 0;
    std::int32_t scrollStep_ = 1;
    std::int32_t stepRun_ = 0;
    std::uint32_t lastScrollTick_ = 0;
    // Wheel movement not yet worth a row or a column (fine-grained wheels send parts
    // of a notch), towards the end positive.
    int wheelRest_[2] = {0, 0};  // vertical, horizontal

    // Input state.
    TViewPos caretPos_;
    TViewPos selStart_;
    TViewPos selEnd_;
    bool extending_ = false;
    std::int32_t clickState_ = 1;
    POINT dragPoint_{0, 0};
    bool caretCreated_ = false;  // this window holds the thread's caret
    bool caretShown_ = false;
    bool dragging_ = false;  // a drag step loop is running
    bool pumping_ = false;   // a key handler is letting pending messages through

    // Cleared when the view goes: a loop that let messages through checks it before it
    // touches the view again.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

// A read-only view of a file, as the settings dialog shows the filter file: no caret,
// lines selectable, unwrapped, a vertical scroll bar only, on the tooltip colour.
void SetFileViewStyle(TBigView& view);

}  // namespace qm
