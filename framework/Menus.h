// Popup menus. A TPopupMenu holds a tree of TMenuItem entries and shows it at a screen
// position; the platform's menu is built anew for every showing, and the entry the
// user chooses gets its Click after the menu has closed, before Popup returns.
//
// Entries are components like any other: their owner (normally the form) destroys
// them. Taking an entry out of a menu (Delete, Remove) does not destroy it, so an
// entry whose click rebuilds the menu it stands in stays valid until that click has
// returned.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/Component.h"
#include "framework/Control.h"
#include "framework/ImageList.h"

namespace qm {

class TPopupMenu;

// Whether the menu gives entries without "&" an accelerator letter of their own.
enum TMenuAutoFlag { maAutomatic, maManual, maParent };

class TMenuItem : public TComponent {
  public:
    explicit TMenuItem(TComponent* owner);
    // Takes itself out of its parent and destroys its own entries.
    ~TMenuItem() override;

    // "&" marks the accelerator letter ("&&" is a plain "&"); "-" makes a separator.
    const std::string& Caption() const { return caption_; }
    void SetCaption(std::string caption) { caption_ = std::move(caption); }
    bool IsLine() const { return caption_ == "-"; }
    const std::string& Hint() const { return hint_; }
    void SetHint(std::string hint) { hint_ = std::move(hint); }
    // maManual keeps the caption as it is; maParent (the default) follows the parent.
    TMenuAutoFlag AutoHotkeys() const { return autoHotkeys_; }
    void SetAutoHotkeys(TMenuAutoFlag flag) { autoHotkeys_ = flag; }
    // The default entry is shown in bold.
    bool Default() const { return default_; }
    void SetDefault(bool value) { default_ = value; }
    // A disabled entry is shown grey and cannot be chosen.
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value) { enabled_ = value; }
    // A 16 x 16 picture beside the caption; empty for none.
    TIcon& Picture() { return picture_; }

    // The entries under this one.
    int Count() const { return static_cast<int>(items_.size()); }
    TMenuItem* Items(int index) const;
    void Add(TMenuItem* item);
    // Raises Exception for an index outside 0..Count and for an entry that already
    // stands in a menu.
    void Insert(int index, TMenuItem* item);
    // Takes the entry out; its owner keeps it.
    void Delete(int index);
    void Remove(TMenuItem* item);
    int IndexOf(const TMenuItem* item) const;
    TMenuItem* Parent() const { return parent_; }
    // The popup menu the entry stands in, at any depth, or null.
    TPopupMenu* GetParentMenu() const;
    // Whether this entry gets an automatic accelerator letter when its caption has
    // none (maParent asks the parent entry, the top entry asks the menu).
    bool AutomaticHotkeys() const;

    // Raises OnClick, as choosing the entry does.
    virtual void Click();
    TNotifyEvent OnClick;

    // The identifier the platform's menu reports for this entry.
    UINT Command() const { return command_; }
    // The entry with that identifier, or null.
    static TMenuItem* FindCommand(UINT command);

  private:
    friend class TPopupMenu;

    std::string caption_;
    std::string hint_;
    TMenuAutoFlag autoHotkeys_ = maParent;
    bool default_ = false;
    bool enabled_ = true;
    TIcon picture_;
    std::vector<TMenuItem*> items_;
    TMenuItem* parent_ = nullptr;
    TPopupMenu* menu_ = nullptr;  // set on a menu's top entry only
    UINT command_ = 0;
};

class TPopupMenu : public TComponent {
  public:
    explicit TPopupMenu(TComponent* owner);
    ~TPopupMenu() override;

    // The invisible top entry whose entries the menu shows.
    TMenuItem& Items() { return *items_; }
    const TMenuItem& Items() const { return *items_; }

    // Whether the components that show this menu on their own (the tray icon) do so.
    bool AutoPopup() const { return autoPopup_; }
    void SetAutoPopup(bool autoPopup) { autoPopup_ = autoPopup; }
    // maAutomatic (the default) or maManual for the top-level entries.
    TMenuAutoFlag AutoHotkeys() const { return autoHotkeys_; }
    void SetAutoHotkeys(TMenuAutoFlag flag) {
        autoHotkeys_ = flag == maManual ? maManual : maAutomatic;
    }
    // The component the menu was last shown for; cleared when that component goes.
    TComponent* PopupComponent() const { return popupComponent_; }
    void SetPopupComponent(TComponent* component);

    // Raises OnPopup, shows the menu at the screen position and returns when it has
    // closed, after the chosen entry's Click.
    virtual void Popup(int x, int y);
    TNotifyEvent OnPopup;

    // The platform's menu of the entries under parent (with their sub-menus); the
    // caller destroys it. Built for every showing.
    static HMENU BuildMenu(TMenuItem& parent);
    // The texts the entries under parent show, automatic accelerators applied.
    static std::vector<std::string> MenuTexts(const TMenuItem& parent);
    // The owner's part in showing the entries' pictures: answers WM_MEASUREITEM and
    // WM_DRAWITEM for them (true: handled, with result).
    static bool DrawPicture(UINT message, LPARAM lParam, LRESULT& result);
    static constexpr int kPictureSize = 16;

  protected:
    void Notification(TComponent* component, Operation operation) override;

  private:
    std::unique_ptr<TMenuItem> items_;
    bool autoPopup_ = true;
    TMenuAutoFlag autoHotkeys_ = maAutomatic;
    TComponent* popupComponent_ = nullptr;
};

}  // namespace qm
