// The icon in the notification area. TTrayIcon keeps one icon there and turns the
// shell's notifications about it into component events: presses, releases and moves,
// clicks and double clicks told apart with the platform's double-click time, entering
// and leaving, balloon notifications. It shows a popup menu from the icon, can step
// through the images of an image list, can send its owner form to the tray instead of
// the taskbar, and puts the icon back when the taskbar is re-created.
//
// All icons of the process share one hidden window, TTrayIconHandler, which receives
// the shell's notifications. The identifier in an icon's notification record is a
// small serial number (a 64-bit address does not fit the record's 32-bit field); the
// shared window looks it up among the live icons, so that a notification still queued
// for an icon that has gone meanwhile is dropped.
//
// Like every component the icon takes its property values first and acts on them at
// the end of building: call Loaded once they are set (a form does this for all its
// components). Until then the icon is neither shown nor cycled.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "app/SharedWindow.h"
#include "app/SimpleTimer.h"
#include "framework/Component.h"
#include "framework/Control.h"
#include "framework/ImageList.h"
#include "framework/Menus.h"
#include "framework/MessageWindow.h"

namespace qm {

using TCycleEvent = std::function<void(TComponent* sender, int nextIndex)>;
using TStartupEvent = std::function<void(TComponent* sender, bool& showMainForm)>;

class TTrayIcon : public TComponent {
  public:
    // The message the shell sends the shared window about an icon.
    static constexpr UINT kCallbackMessage = 0x800;
    // The longest tooltip the notification record holds, in bytes.
    static constexpr std::size_t kMaxTipBytes = 127;
    // How often, and how many times, a refused add is tried again while the icon is
    // meant to be visible (the shell may not be up yet, as at logon).
    static constexpr std::uint32_t kAddRetryInterval = 5000;
    static constexpr int kAddRetryAttempts = 60;

    // What every icon operation passes its record to; Shell_NotifyIconA unless a test
    // puts something else in its place.
    using ShellNotify = std::function<BOOL(DWORD message, NOTIFYICONDATAA& data)>;
    static void SetShellNotify(ShellNotify notify);

    explicit TTrayIcon(TComponent* owner);
    ~TTrayIcon() override;

    // The end of building: OnStartup, then the icon as the properties say.
    void Loaded() override;

    // Design-time display only.
    bool DesignPreview() const { return designPreview_; }
    void SetDesignPreview(bool preview) { designPreview_ = preview; }
    // The images for IconIndex and for cycling; setting one goes back to image 0.
    TImageList* IconList() const { return iconList_; }
    void SetIconList(TImageList* list);
    // Steps through the images every CycleInterval milliseconds (0: never).
    bool CycleIcons() const { return cycleIcons_; }
    void SetCycleIcons(bool cycle);
    std::uint32_t CycleInterval() const { return cycleInterval_; }
    void SetCycleInterval(std::uint32_t interval);
    // False: the mouse raises nothing and opens no menu; balloon events still come.
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled) { enabled_ = enabled; }
    // The tooltip: its first 127 bytes (a two-byte character is not split).
    const std::string& Hint() const { return hint_; }
    void SetHint(std::string hint);
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool show);
    // The picture shown; a change to it updates the icon.
    TIcon& Icon() { return icon_; }
    void SetIcon(const TIcon& icon);
    bool IconVisible() const { return iconVisible_; }
    void SetIconVisible(bool visible);
    // With a list, clamped to its images; without one, always 0.
    int IconIndex() const { return iconIndex_; }
    void SetIconIndex(int index);
    TPopupMenu* PopupMenu() const { return popupMenu_; }
    void SetPopupMenu(TPopupMenu* menu);
    // A left press opens the menu too.
    bool LeftPopup() const { return leftPopup_; }
    void SetLeftPopup(bool leftPopup) { leftPopup_ = leftPopup; }
    bool WantEnterExitEvents() const { return wantEnterExitEvents_; }
    void SetWantEnterExitEvents(bool want);
    bool MinimizeToTray() const { return minimizeToTray_; }
    void SetMinimizeToTray(bool minimize) { minimizeToTray_ = minimize; }

    // Whether a default picture may stand in at design time; always.
    virtual bool LoadDefaultIcon() { return true; }
    // Add, remove and update the icon in the notification area; each answers whether
    // the shell accepted it.
    virtual bool ShowIcon();
    virtual bool HideIcon();
    virtual bool ModifyIcon();
    // Hides the application's main form and its taskbar button.
    void HideMainForm();
    void HideTaskbarButton();

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseExit;
    TCycleEvent OnCycle;
    TNotifyEvent OnBalloonHintShow;
    TNotifyEvent OnBalloonHintHide;
    TNotifyEvent OnBalloonHintTimeout;
    TNotifyEvent OnBalloonHintClick;
    TNotifyEvent OnMinimizeToTray;
    TStartupEvent OnStartup;

    // The record passed to the shell, and the identifier in it.
    const NOTIFYICONDATAA& NotifyIconData() const { return data_; }
    UINT Identifier() const { return data_.uID; }
    // The registered "TaskbarCreated" message; 0 when the common controls are older
    // than 4.71 and the icon is therefore not put back after a shell restart.
    static UINT TaskbarCreatedMessage();
    // Changes how a refused add is retried (attempts 0: not at all).
    void SetAddRetry(std::uint32_t interval, int attempts);

  protected:
    void Notification(TComponent* component, Operation operation) override;

    // Each raises the event of the same name.
    virtual void Click();
    virtual void DblClick();
    virtual void CycleIcon();
    virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseMove(TShiftState shift, int x, int y);
    virtual void MouseEnter();
    virtual void MouseExit();
    // Hides the main form and shows the icon.
    virtual void DoMinimizeToTray();

  private:
    friend class TTrayIconHandler;
    void HandleNotification(UINT code);
    void ShowMenu();
    void ClickDefaultItem();
    bool OwnerMessage(TMessage& message);
    bool MinimizeThroughOwner(TMessage& message);
    void ApplicationMessage(UINT message, WPARAM wParam);
    void CycleTick();
    void ClickTick();
    void ExitCheck();
    void RetryAdd();
    void StartRetry();
    void ApplyCycling();
    void ApplyEnterExit();
    void RefreshRecord();
    bool Notify(DWORD message);
    // Runs a change of the picture without the update its notification would make.
    template <typename Change>
    void ChangeIconQuietly(Change change);

    bool loading_ = true;
    bool designPreview_ = false;
    TImageList* iconList_ = nullptr;
    bool cycleIcons_ = false;
    std::uint32_t cycleInterval_ = 0;
    bool enabled_ = true;
    std::string hint_;
    bool showHint_ = true;
    TIcon icon_;
    bool quietIcon_ = false;
    bool iconVisible_ = false;
    int iconIndex_ = 0;
    TPopupMenu* popupMenu_ = nullptr;
    bool leftPopup_ = false;
    bool wantEnterExitEvents_ = false;
    bool minimizeToTray_ = false;

    NOTIFYICONDATAA data_{};
    bool added_ = false;  // the shell accepted the last add and no remove came since
    std::unique_ptr<TSimpleTimer> cycleTimer_;
    std::unique_ptr<TSimpleTimer> clickTimer_;
    std::unique_ptr<TSimpleTimer> exitTimer_;
    std::unique_ptr<TSimpleTimer> retryTimer_;
    std::uint32_t retryInterval_ = kAddRetryInterval;
    int retryAttempts_ = kAddRetryAttempts;
    int retriesLeft_ = 0;

    bool pressSeen_ = false;
    bool clickPending_ = false;
    bool dblClickSeen_ = false;
    bool cursorOutside_ = true;
    bool startupPending_ = true;
    POINT lastMovePos_{};

    TWinControl* ownerControl_ = nullptr;
    int ownerHook_ = 0;
    int applicationHook_ = 0;
    // Expires with the icon: an event handler may destroy the icon that raised it.
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

// The hidden window all tray icons share, reference-counted; at most one per process.
class TTrayIconHandler : public SharedWindow<TTrayIconHandler> {
  public:
    ~TTrayIconHandler();

    HWND Handle() const { return window_.Handle(); }

    // The live icon with that identifier, or null.
    static TTrayIcon* Find(UINT id);

  private:
    friend class SharedWindow<TTrayIconHandler>;
    friend class TTrayIcon;
    TTrayIconHandler();
    static UINT Register(TTrayIcon* icon);
    static void Unregister(UINT id);
    static LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    MessageWindow window_;
};

}  // namespace qm
