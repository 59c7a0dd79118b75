#include "framework/ComCtrls.h"

#include <commctrl.h>

#include <algorithm>

#include "base/Exception.h"

namespace qm {

namespace {

void InitCommonControlsOnce() {
    static const bool done = [] {
        INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_TAB_CLASSES | ICC_HOTKEY_CLASS};
        return InitCommonControlsEx(&icc) != FALSE;
    }();
    (void)done;
}

}  // namespace

// TTabSheet

TTabSheet::TTabSheet(TComponent* owner) : TWinControl(owner) {
    visible_ = false;
    controlParent_ = true;
}

TTabSheet::~TTabSheet() {
    DestroyComponents();
    if (pageControl_) pageControl_->RemovePage(this);
}

void TTabSheet::CreateParams(TCreateParams& p) {
    TWinControl::CreateParams(p);
    p.Style |= WS_CLIPCHILDREN;
    p.WinClassName = "QuillmothTabSheet";
}

void TTabSheet::SetPageControl(TPageControl* pageControl) {
    if (pageControl == pageControl_) return;
    if (pageControl_) pageControl_->RemovePage(this);
    SetParent(pageControl);
    if (pageControl) pageControl->InsertPage(this);
}

int TTabSheet::PageIndex() const {
    if (!pageControl_) return -1;
    const auto& pages = pageControl_->pages_;
    return static_cast<int>(std::find(pages.begin(), pages.end(), this) - pages.begin());
}

void TTabSheet::TextChanged() {
    TWinControl::TextChanged();
    if (pageControl_) pageControl_->UpdateTab(this);
}

// TPageControl

TPageControl::TPageControl(TComponent* owner) : TWinControl(owner) {
    InitCommonControlsOnce();
    width_ = 289;
    height_ = 193;
    tabStop_ = true;
    controlParent_ = true;
}

TPageControl::~TPageControl() {
    DestroyComponents();
    for (TTabSheet* page : pages_)
        page->pageControl_ = nullptr;
    pages_.clear();
    activePage_ = nullptr;
}

void TPageControl::CreateParams(TCreateParams& p) {
    TWinControl::CreateParams(p);
    p.SystemClass = WC_TABCONTROLA;
    p.WinClassName = "QuillmothPageControl";
    p.Style |= WS_CLIPCHILDREN;
}

void TPageControl::CreateWnd() {
    TWinControl::CreateWnd();
    for (TTabSheet* page : pages_)
        SendTab(TCM_INSERTITEMA, page);
    SendMessageA(Handle(), TCM_SETCURSEL, static_cast<WPARAM>(ActivePageIndex()), 0);
    ArrangePages();
}

TTabSheet* TPageControl::Pages(int index) const {
    if (index < 0 || index >= PageCount()) throw Exception(ListIndexErrorMessage(index));
    return pages_[static_cast<std::size_t>(index)];
}

void TPageControl::InsertPage(TTabSheet* page) {
    pages_.push_back(page);
    page->pageControl_ = this;
    if (HandleAllocated()) {
        TCITEMA item{};
        item.mask = TCIF_TEXT;
        std::string text = page->Caption();
        item.pszText = text.data();
        SendMessageA(Handle(), TCM_INSERTITEMA, pages_.size() - 1, reinterpret_cast<LPARAM>(&item));
    }
    ArrangePages();
    if (!activePage_) SetActivePage(page);
}

void TPageControl::RemovePage(TTabSheet* page) {
    const int index = page->PageIndex();
    if (index < 0 || index >= PageCount()) return;
    if (HandleAllocated()) SendMessageA(Handle(), TCM_DELETEITEM, static_cast<WPARAM>(index), 0);
    pages_.erase(pages_.begin() + index);
    page->pageControl_ = nullptr;
    if (activePage_ == page) {
        activePage_ = nullptr;
        if (!pages_.empty()) SetActivePage(pages_[std::min<std::size_t>(index, pages_.size() - 1)]);
    }
}

void TPageControl::UpdateTab(TTabSheet* page) {
    if (HandleAllocated()) SendTab(TCM_SETITEMA, page);
}

void TPageControl::SendTab(UINT message, TTabSheet* page) {
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    std::string text = page->Caption();
    item.pszText = text.data();
    SendMessageA(Handle(), message, static_cast<WPARAM>(page->PageIndex()),
                 reinterpret_cast<LPARAM>(&item));
}

void TPageControl::SetActivePage(TTabSheet* page) {
    if (page && page->pageControl_ != this) return;
    if (page == activePage_) return;
    // The new page shows before the old one hides, so the focus never lands nowhere.
    if (page) {
        page->SetVisible(true);
        page->BringToFront();
    }
    if (activePage_) activePage_->SetVisible(false);
    activePage_ = page;
    if (HandleAllocated())
        SendMessageA(Handle(), TCM_SETCURSEL, static_cast<WPARAM>(ActivePageIndex()), 0);
}

void TPageControl::SetActivePageIndex(int index) {
    SetActivePage(index >= 0 && index < PageCount() ? pages_[static_cast<std::size_t>(index)]
                                                    : nullptr);
}

void TPageControl::ArrangePages() {
    if (!HandleAllocated()) return;
    RECT r = ClientRect();
    SendMessageA(Handle(), TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&r));
    for (TTabSheet* page : pages_)
        page->SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

void TPageControl::BoundsChanged() {
    TWinControl::BoundsChanged();
    ArrangePages();
}

void TPageControl::WndProc(TMessage& m) {
    if (m.Msg == CN_NOTIFY) {
        const auto* header = reinterpret_cast<NMHDR*>(m.LParam);
        if (header->code == TCN_SELCHANGE) {
            const auto index = static_cast<int>(SendMessageA(Handle(), TCM_GETCURSEL, 0, 0));
            SetActivePageIndex(index);
            if (OnChange) OnChange(this);
        }
        m.Result = 0;
        return;
    }
    TWinControl::WndProc(m);
}

// THotKey

WORD ShortCutToHotKeyValue(TShortCut shortCut) {
    BYTE modifiers = 0;
    if (shortCut & scShift) modifiers |= HOTKEYF_SHIFT;
    if (shortCut & scCtrl) modifiers |= HOTKEYF_CONTROL;
    if (shortCut & scAlt) modifiers |= HOTKEYF_ALT;
    return MAKEWORD(LOBYTE(shortCut), modifiers);
}

TShortCut HotKeyValueToShortCut(WORD value) {
    const BYTE modifiers = HIBYTE(value);
    TShortCut s = LOBYTE(value);
    if (modifiers & HOTKEYF_SHIFT) s |= scShift;
    if (modifiers & HOTKEYF_CONTROL) s |= scCtrl;
    if (modifiers & HOTKEYF_ALT) s |= scAlt;
    return s;
}

THotKey::THotKey(TComponent* owner) : TWinControl(owner) {
    InitCommonControlsOnce();
    width_ = 121;
    height_ = 19;
    tabStop_ = true;
    SetColor(clWindow);
}

void THotKey::CreateParams(TCreateParams& p) {
    TWinControl::CreateParams(p);
    p.SystemClass = HOTKEY_CLASSA;
    p.WinClassName = "QuillmothHotKey";
    p.ExStyle |= WS_EX_CLIENTEDGE;
}

void THotKey::CreateWnd() {
    TWinControl::CreateWnd();
    SendMessageA(Handle(), HKM_SETHOTKEY, ShortCutToHotKeyValue(hotKey_), 0);
}

void THotKey::DestroyWnd() {
    hotKey_ = HotKey();
    TWinControl::DestroyWnd();
}

TShortCut THotKey::HotKey() {
    if (HandleAllocated())
        hotKey_ =
            HotKeyValueToShortCut(static_cast<WORD>(SendMessageA(Handle(), HKM_GETHOTKEY, 0, 0)));
    return hotKey_;
}

void THotKey::SetHotKey(TShortCut hotKey) {
    hotKey_ = hotKey;
    if (HandleAllocated()) SendMessageA(Handle(), HKM_SETHOTKEY, ShortCutToHotKeyValue(hotKey), 0);
}

}  // namespace qm
