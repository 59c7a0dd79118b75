#include "framework/Menus.h"

#include <algorithm>
#include <utility>

#include "base/Characters.h"
#include "base/Exception.h"
#include "framework/Application.h"
#include "framework/Messages.h"
#include "framework/SerialRegistry.h"

namespace qm {

namespace {

// Live entries by the identifier their menu reports, which has 16 bits.
SerialRegistry<TMenuItem>& Commands() {
    static SerialRegistry<TMenuItem> commands(0xFFFF);
    return commands;
}

bool IsHotkeyCandidate(unsigned char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

unsigned char Upper(unsigned char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 'a' + 'A') : c;
}

// The accelerator letter a caption marks with "&" (upper case), 0 for none, or -1
// when the mark stands before a character that cannot serve (a two-byte one).
int MarkedHotkey(const std::string& caption) {
    for (std::size_t i = 0; i < caption.size(); ++i) {
        const auto c = static_cast<unsigned char>(caption[i]);
        if (IsCodePageLeadByte(c)) {
            ++i;
        } else if (c == '&' && i + 1 < caption.size()) {
            const auto next = static_cast<unsigned char>(caption[i + 1]);
            if (next == '&') {
                ++i;  // "&&" is a plain "&"
                continue;
            }
            return IsCodePageLeadByte(next) ? -1 : Upper(next);
        }
    }
    return 0;
}

// Releases a menu under construction unless it was handed over.
struct MenuGuard {
    HMENU menu;
    ~MenuGuard() {
        if (menu) DestroyMenu(menu);
    }
};

}  // namespace

// TMenuItem

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner) {
    command_ = Commands().Add(this);
}

TMenuItem::~TMenuItem() {
    Commands().Remove(command_);
    if (parent_) parent_->Remove(this);
    while (!items_.empty())
        delete items_.back();  // takes itself out of items_
}

TMenuItem* TMenuItem::Items(int index) const {
    if (index < 0 || index >= Count()) throw Exception(ListIndexErrorMessage(index));
    return items_[static_cast<std::size_t>(index)];
}

void TMenuItem::Add(TMenuItem* item) {
    Insert(Count(), item);
}

void TMenuItem::Insert(int index, TMenuItem* item) {
    if (!item) return;
    if (item->parent_ || item->menu_) throw Exception(kMenuItemTwiceMessage);
    if (index < 0 || index > Count()) throw Exception(ListIndexErrorMessage(index));
    for (const TMenuItem* p = this; p; p = p->parent_) {
        if (p == item) throw Exception(kMenuItemInItselfMessage);
    }
    items_.insert(items_.begin() + index, item);
    item->parent_ = this;
}

void TMenuItem::Delete(int index) {
    TMenuItem* item = Items(index);
    items_.erase(items_.begin() + index);
    item->parent_ = nullptr;
}

void TMenuItem::Remove(TMenuItem* item) {
    const int index = IndexOf(item);
    if (index >= 0) Delete(index);
}

int TMenuItem::IndexOf(const TMenuItem* item) const {
    const auto it = std::find(items_.begin(), items_.end(), item);
    return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

TPopupMenu* TMenuItem::GetParentMenu() const {
    const TMenuItem* top = this;
    while (top->parent_)
        top = top->parent_;
    return top->menu_;
}

bool TMenuItem::AutomaticHotkeys() const {
    switch (autoHotkeys_) {
        case maAutomatic:
            return true;
        case maManual:
            return false;
        case maParent:
            break;
    }
    if (menu_) return menu_->AutoHotkeys() == maAutomatic;
    return parent_ && parent_->AutomaticHotkeys();
}

void TMenuItem::Click() {
    if (OnClick) OnClick(this);
}

TMenuItem* TMenuItem::FindCommand(UINT command) {
    return Commands().Find(command);
}

// TPopupMenu

TPopupMenu::TPopupMenu(TComponent* owner)
    : TComponent(owner), items_(std::make_unique<TMenuItem>(nullptr)) {
    items_->menu_ = this;
}

TPopupMenu::~TPopupMenu() = default;

void TPopupMenu::SetPopupComponent(TComponent* component) {
    // The old link stays: it may be the one through which that component hears of
    // this menu's end.
    popupComponent_ = component;
    if (component) FreeNotification(component);
}

void TPopupMenu::Notification(TComponent* component, Operation operation) {
    TComponent::Notification(component, operation);
    if (operation == Operation::Remove && component == popupComponent_) popupComponent_ = nullptr;
}

std::vector<std::string> TPopupMenu::MenuTexts(const TMenuItem& parent) {
    std::vector<std::string> texts;
    std::vector<bool> taken(256, false);
    for (int i = 0; i < parent.Count(); ++i) {
        const TMenuItem* item = parent.Items(i);
        texts.push_back(item->Caption());
        if (item->IsLine()) continue;
        const int marked = MarkedHotkey(item->Caption());
        if (marked > 0) taken[static_cast<std::size_t>(marked)] = true;
    }
    for (int i = 0; i < parent.Count(); ++i) {
        const TMenuItem* item = parent.Items(i);
        if (item->IsLine() || !item->AutomaticHotkeys() || MarkedHotkey(item->Caption()) != 0)
            continue;
        std::string& text = texts[static_cast<std::size_t>(i)];
        for (std::size_t k = 0; k < text.size(); ++k) {
            const auto c = static_cast<unsigned char>(text[k]);
            if (IsCodePageLeadByte(c)) {
                ++k;
            } else if (IsHotkeyCandidate(c) && !taken[Upper(c)]) {
                taken[Upper(c)] = true;
                text.insert(k, 1, '&');
                break;
            }
        }
    }
    return texts;
}

HMENU TPopupMenu::BuildMenu(TMenuItem& parent) {
    MenuGuard guard{CreatePopupMenu()};
    if (!guard.menu) throw Exception(kNoMenuMessage);
    const std::vector<std::string> texts = MenuTexts(parent);
    for (int i = 0; i < parent.Count(); ++i) {
        TMenuItem* item = parent.Items(i);
        MENUITEMINFOA info{};
        info.cbSize = sizeof(info);
        if (item->IsLine()) {
            info.fMask = MIIM_FTYPE;
            info.fType = MFT_SEPARATOR;
        } else {
            info.fMask = MIIM_ID | MIIM_STRING | MIIM_STATE;
            info.wID = item->Command();
            info.dwTypeData = const_cast<char*>(texts[static_cast<std::size_t>(i)].c_str());
            info.fState =
                (item->Default() ? MFS_DEFAULT : 0) | (item->Enabled() ? 0 : MFS_DISABLED);
            if (!item->Picture().Empty()) {
                // Drawn by DrawPicture: menus copy a bitmap as it is, alpha and all,
                // where the platform cannot blend it.
                info.fMask |= MIIM_BITMAP;
                info.hbmpItem = HBMMENU_CALLBACK;
            }
            if (item->Count() > 0) {
                info.fMask |= MIIM_SUBMENU;
                info.hSubMenu = BuildMenu(*item);
            }
        }
        if (!InsertMenuItemA(guard.menu, static_cast<UINT>(i), TRUE, &info)) {
            if (info.hSubMenu) DestroyMenu(info.hSubMenu);
            throw Exception(kMenuNotBuiltMessage);
        }
    }
    return std::exchange(guard.menu, nullptr);
}

bool TPopupMenu::DrawPicture(UINT message, LPARAM lParam, LRESULT& result) {
    if (message == WM_MEASUREITEM) {
        auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        if (measure->CtlType != ODT_MENU || !TMenuItem::FindCommand(measure->itemID)) return false;
        measure->itemWidth = kPictureSize;
        measure->itemHeight = kPictureSize;
        result = TRUE;
        return true;
    }
    if (message == WM_DRAWITEM) {
        auto* draw = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
        if (draw->CtlType != ODT_MENU) return false;
        TMenuItem* item = TMenuItem::FindCommand(draw->itemID);
        if (!item) return false;
        if (!item->Picture().Empty()) {
            const RECT& r = draw->rcItem;
            DrawIconEx(draw->hDC, r.left + (r.right - r.left - kPictureSize) / 2,
                       r.top + (r.bottom - r.top - kPictureSize) / 2, item->Picture().Handle(),
                       kPictureSize, kPictureSize, 0, nullptr, DI_NORMAL);
        }
        result = TRUE;
        return true;
    }
    return false;
}

void TPopupMenu::Popup(int x, int y) {
    if (OnPopup) OnPopup(this);
    MenuGuard guard{BuildMenu(*items_)};
    // The application's window owns the menu and draws the pictures for it.
    struct Hook {
        int id = Application().AddHook(
            [](UINT m, WPARAM, LPARAM lp, LRESULT& result) { return DrawPicture(m, lp, result); });
        ~Hook() { Application().RemoveHook(id); }
    } hook;
    const UINT command = static_cast<UINT>(
        TrackPopupMenu(guard.menu, TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD, x, y, 0,
                       Application().Handle(), nullptr));
    DestroyMenu(std::exchange(guard.menu, nullptr));
    // The entry is looked up afresh: whatever ran while the menu was open may have
    // destroyed it.
    if (command) {
        if (TMenuItem* item = TMenuItem::FindCommand(command)) item->Click();
    }
}

}  // namespace qm
