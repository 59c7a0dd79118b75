// Common controls: the page control with its tab sheets, and the hot-key box.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "framework/WinControl.h"

namespace qm {

class TPageControl;

// One page of a page control; its caption is the tab's text.
class TTabSheet : public TWinControl {
  public:
    explicit TTabSheet(TComponent* owner);
    ~TTabSheet() override;

    TPageControl* PageControl() const { return pageControl_; }
    // Makes the sheet the last page of the control (null: of none).
    void SetPageControl(TPageControl* pageControl);
    int PageIndex() const;

  protected:
    void CreateParams(TCreateParams& params) override;
    void TextChanged() override;

  private:
    friend class TPageControl;
    TPageControl* pageControl_ = nullptr;
};

class TPageControl : public TWinControl {
  public:
    explicit TPageControl(TComponent* owner);
    ~TPageControl() override;

    int PageCount() const { return static_cast<int>(pages_.size()); }
    TTabSheet* Pages(int index) const;
    // The shown page; the first page added becomes active.
    TTabSheet* ActivePage() const { return activePage_; }
    void SetActivePage(TTabSheet* page);
    int ActivePageIndex() const { return activePage_ ? activePage_->PageIndex() : -1; }
    void SetActivePageIndex(int index);

    void WndProc(TMessage& message) override;

    // Raised when the user switches pages.
    TNotifyEvent OnChange;

  protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void BoundsChanged() override;

  private:
    friend class TTabSheet;
    void InsertPage(TTabSheet* page);
    void RemovePage(TTabSheet* page);
    void UpdateTab(TTabSheet* page);
    void SendTab(UINT message, TTabSheet* page);
    void ArrangePages();

    std::vector<TTabSheet*> pages_;
    TTabSheet* activePage_ = nullptr;
};

// The key combination as one 16-bit value: the virtual-key code in the low byte,
// with Shift 0x2000, Ctrl 0x4000 and Alt 0x8000.
using TShortCut = std::uint16_t;
constexpr TShortCut scShift = 0x2000;
constexpr TShortCut scCtrl = 0x4000;
constexpr TShortCut scAlt = 0x8000;

// The platform's hot-key value (virtual key in the low byte, HOTKEYF_ modifiers in the
// high byte) and ours.
WORD ShortCutToHotKeyValue(TShortCut shortCut);
TShortCut HotKeyValueToShortCut(WORD value);

class THotKey : public TWinControl {
  public:
    explicit THotKey(TComponent* owner);
    TShortCut HotKey();
    void SetHotKey(TShortCut hotKey);

  protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void DestroyWnd() override;

  private:
    TShortCut hotKey_ = 0;
};

}  // namespace qm
