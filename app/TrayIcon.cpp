#include "app/TrayIcon.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "base/Characters.h"
#include "framework/Application.h"
#include "framework/Form.h"
#include "framework/SerialRegistry.h"
#include "framework/WinControl.h"

namespace qm {

namespace {

constexpr std::uint32_t kExitPollInterval = 20;

TTrayIcon::ShellNotify& ShellNotifyFunction() {
    static TTrayIcon::ShellNotify notify;
    return notify;
}

SerialRegistry<TTrayIcon>& LiveIcons() {
    static SerialRegistry<TTrayIcon> icons(0xFFFFFFFF);
    return icons;
}

// The first bytes of the hint that fit the record, without a broken last character.
std::size_t TipLength(const std::string& hint) {
    const std::size_t n = std::min(hint.size(), TTrayIcon::kMaxTipBytes);
    return n == TTrayIcon::kMaxTipBytes && LeadByteAt(hint, static_cast<std::ptrdiff_t>(n)) ? n - 1
                                                                                            : n;
}

POINT CursorPos() {
    POINT p{};
    GetCursorPos(&p);
    return p;
}

// The file version of the common-controls library as major << 16 | minor, 0 unknown.
DWORD CommonControlsVersion() {
    HMODULE module = GetModuleHandleA("comctl32.dll");
    if (!module) module = LoadLibraryA("comctl32.dll");
    if (!module) return 0;
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(module, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return 0;
    DWORD unused = 0;
    const DWORD size = GetFileVersionInfoSizeA(path, &unused);
    if (size == 0) return 0;
    std::vector<char> block(size);
    if (!GetFileVersionInfoA(path, 0, size, block.data())) return 0;
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&info), &length) || !info ||
        length < sizeof(VS_FIXEDFILEINFO))
        return 0;
    return info->dwFileVersionMS;
}

}  // namespace

// TTrayIcon: construction and destruction

void TTrayIcon::SetShellNotify(ShellNotify notify) {
    ShellNotifyFunction() = std::move(notify);
}

UINT TTrayIcon::TaskbarCreatedMessage() {
    // Registered once; older common controls do not announce a new taskbar.
    static const UINT message =
        CommonControlsVersion() >= MAKELONG(71, 4) ? RegisterWindowMessageA("TaskbarCreated") : 0;
    return message;
}

TTrayIcon::TTrayIcon(TComponent* owner) : TComponent(owner) {
    TaskbarCreatedMessage();
    TTrayIconHandler::Acquire();
    try {
        icon_.OnChange = [this](TIcon&) {
            if (!quietIcon_) ModifyIcon();
        };
        data_.cbSize = NOTIFYICONDATAA_V2_SIZE;
        data_.hWnd = TTrayIconHandler::Instance()->Handle();
        data_.uID = TTrayIconHandler::Register(this);
        data_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
        data_.uCallbackMessage = kCallbackMessage;

        cycleTimer_ = std::make_unique<TSimpleTimer>(0, [this](TSimpleTimer*) { CycleTick(); });
        clickTimer_ = std::make_unique<TSimpleTimer>(GetDoubleClickTime(),
                                                     [this](TSimpleTimer*) { ClickTick(); });
        exitTimer_ = std::make_unique<TSimpleTimer>(kExitPollInterval,
                                                    [this](TSimpleTimer*) { ExitCheck(); });
        retryTimer_ =
            std::make_unique<TSimpleTimer>(retryInterval_, [this](TSimpleTimer*) { RetryAdd(); });

        applicationHook_ = Application().AddHook([this](UINT m, WPARAM wp, LPARAM, LRESULT&) {
            ApplicationMessage(m, wp);
            return false;  // the application window handles it as usual
        });
        ownerControl_ = dynamic_cast<TWinControl*>(owner);
        // A form gets its window now, so that it can have WM_NULL after a menu.
        if (auto* form = dynamic_cast<TForm*>(owner)) form->HandleNeeded();
        if (ownerControl_) {
            ownerHook_ =
                ownerControl_->AddMessageHook([this](TMessage& m) { return OwnerMessage(m); });
        }
    } catch (...) {
        if (applicationHook_) Application().RemoveHook(applicationHook_);
        TTrayIconHandler::Unregister(data_.uID);
        TTrayIconHandler::Release();
        throw;
    }
}

TTrayIcon::~TTrayIcon() {
    alive_.reset();
    HideIcon();
    retryTimer_.reset();
    exitTimer_.reset();
    clickTimer_.reset();
    cycleTimer_.reset();
    icon_.OnChange = nullptr;
    icon_.Clear();
    Application().RemoveHook(applicationHook_);
    if (ownerControl_) ownerControl_->RemoveMessageHook(ownerHook_);
    TTrayIconHandler::Unregister(data_.uID);
    TTrayIconHandler::Release();
}

void TTrayIcon::Loaded() {
    TComponent::Loaded();
    if (!loading_) return;
    loading_ = false;
    if (ownerControl_) {
        bool showMainForm = true;
        if (OnStartup) OnStartup(this, showMainForm);
        if (!showMainForm) {
            Application().SetShowMainForm(false);
            HideMainForm();
        }
    }
    ModifyIcon();
    if (iconVisible_) {
        ShowIcon();
    } else {
        HideIcon();
    }
    ApplyCycling();
    ApplyEnterExit();
    data_.uVersion = 0;
    Notify(NIM_SETVERSION);
}

void TTrayIcon::Notification(TComponent* component, Operation operation) {
    TComponent::Notification(component, operation);
    if (operation != Operation::Remove) return;
    if (component == iconList_) {
        iconList_ = nullptr;
        iconIndex_ = 0;
    }
    if (component == popupMenu_) popupMenu_ = nullptr;
}

// Properties

void TTrayIcon::SetIconList(TImageList* list) {
    // A previous link stays: it is harmless, and removing it would cut the one the
    // other side may rely on.
    iconList_ = list;
    if (list) FreeNotification(list);
    SetIconIndex(0);
}

void TTrayIcon::SetCycleIcons(bool cycle) {
    cycleIcons_ = cycle;
    if (!loading_) ApplyCycling();
}

void TTrayIcon::SetCycleInterval(std::uint32_t interval) {
    cycleInterval_ = interval;
    if (!loading_) ApplyCycling();
}

void TTrayIcon::ApplyCycling() {
    if (cycleIcons_) {
        SetIconIndex(0);
        cycleTimer_->SetInterval(cycleInterval_);
        cycleTimer_->Start();
    } else {
        cycleTimer_->Stop(true);
    }
}

void TTrayIcon::SetHint(std::string hint) {
    hint_ = std::move(hint);
    ModifyIcon();
}

void TTrayIcon::SetShowHint(bool show) {
    showHint_ = show;
    ModifyIcon();
}

template <typename Change>
void TTrayIcon::ChangeIconQuietly(Change change) {
    quietIcon_ = true;
    try {
        change();
    } catch (...) {
        quietIcon_ = false;
        throw;
    }
    quietIcon_ = false;
}

void TTrayIcon::SetIcon(const TIcon& icon) {
    ChangeIconQuietly([&] { icon_.Assign(icon); });
    ModifyIcon();
}

void TTrayIcon::SetIconVisible(bool visible) {
    iconVisible_ = visible;
    if (loading_) return;
    if (visible) {
        ShowIcon();
    } else {
        HideIcon();
    }
}

void TTrayIcon::SetIconIndex(int index) {
    if (iconList_) {
        iconIndex_ = std::max(0, std::min(index, iconList_->Count() - 1));
        ChangeIconQuietly([&] { iconList_->GetIcon(iconIndex_, icon_); });
    } else {
        iconIndex_ = 0;
    }
    ModifyIcon();
}

void TTrayIcon::SetPopupMenu(TPopupMenu* menu) {
    popupMenu_ = menu;
    if (menu) FreeNotification(menu);
}

void TTrayIcon::SetWantEnterExitEvents(bool want) {
    wantEnterExitEvents_ = want;
    if (!loading_) ApplyEnterExit();
}

void TTrayIcon::ApplyEnterExit() {
    if (wantEnterExitEvents_) {
        exitTimer_->Start();
    } else {
        exitTimer_->Stop(true);
    }
}

void TTrayIcon::SetAddRetry(std::uint32_t interval, int attempts) {
    retryInterval_ = interval;
    retryAttempts_ = std::max(0, attempts);
}

// The icon in the notification area

void TTrayIcon::RefreshRecord() {
    data_.hIcon = icon_.Handle();
    std::memset(data_.szTip, 0, sizeof(data_.szTip));
    if (showHint_ && !hint_.empty()) std::memcpy(data_.szTip, hint_.data(), TipLength(hint_));
}

bool TTrayIcon::Notify(DWORD message) {
    const ShellNotify& notify = ShellNotifyFunction();
    if (notify) return notify(message, data_) != FALSE;
    return Shell_NotifyIconA(message, &data_) != FALSE;
}

bool TTrayIcon::ShowIcon() {
    iconVisible_ = true;
    RefreshRecord();
    const bool accepted = Notify(NIM_ADD);
    if (accepted) {
        added_ = true;
        retryTimer_->Stop(true);
    } else if (!added_) {
        // Nothing shows the program now: keep trying while the shell comes up.
        StartRetry();
    }
    return accepted;
}

bool TTrayIcon::HideIcon() {
    iconVisible_ = false;
    if (retryTimer_) retryTimer_->Stop(true);
    added_ = false;
    return Notify(NIM_DELETE);
}

bool TTrayIcon::ModifyIcon() {
    RefreshRecord();
    // Until the end of building there is no icon to update.
    if (loading_) return false;
    return Notify(NIM_MODIFY);
}

void TTrayIcon::StartRetry() {
    if (retryAttempts_ <= 0 || retryInterval_ == 0 || retryTimer_->Enabled()) return;
    retriesLeft_ = retryAttempts_;
    retryTimer_->SetInterval(retryInterval_);
    retryTimer_->Start();
}

void TTrayIcon::RetryAdd() {
    if (!iconVisible_ || added_) {
        retryTimer_->Stop(true);
        return;
    }
    RefreshRecord();
    // An add that timed out may still have reached the shell: then the icon is there
    // and only an update is accepted.
    if (Notify(NIM_ADD) || Notify(NIM_MODIFY)) {
        added_ = true;
        retryTimer_->Stop(true);
    } else if (--retriesLeft_ <= 0) {
        retryTimer_->Stop(true);
    }
}

void TTrayIcon::HideMainForm() {
    if (!ownerControl_) return;
    TForm* form = Application().MainForm();
    if (!form) return;
    form->Hide();
    HideTaskbarButton();
}

void TTrayIcon::HideTaskbarButton() {
    HWND window = Application().Handle();
    if (window && IsWindowVisible(window)) ShowWindow(window, SW_HIDE);
}

// Events

void TTrayIcon::Click() {
    if (OnClick) OnClick(this);
}

void TTrayIcon::DblClick() {
    if (OnDblClick) OnDblClick(this);
}

void TTrayIcon::CycleIcon() {
    if (!OnCycle || !iconList_) return;
    const int next = iconIndex_ < iconList_->Count() - 1 ? iconIndex_ + 1 : 0;
    OnCycle(this, next);
}

void TTrayIcon::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (OnMouseDown) OnMouseDown(this, button, shift, x, y);
}

void TTrayIcon::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    if (OnMouseUp) OnMouseUp(this, button, shift, x, y);
}

void TTrayIcon::MouseMove(TShiftState shift, int x, int y) {
    if (OnMouseMove) OnMouseMove(this, shift, x, y);
}

void TTrayIcon::MouseEnter() {
    if (OnMouseEnter) OnMouseEnter(this);
}

void TTrayIcon::MouseExit() {
    if (OnMouseExit) OnMouseExit(this);
}

void TTrayIcon::DoMinimizeToTray() {
    HideMainForm();
    ShowIcon();
}

// The shell's notifications

void TTrayIcon::HandleNotification(UINT code) {
    switch (code) {
        case NIN_BALLOONSHOW:
            if (OnBalloonHintShow) OnBalloonHintShow(this);
            return;
        case NIN_BALLOONHIDE:
            if (OnBalloonHintHide) OnBalloonHintHide(this);
            return;
        case NIN_BALLOONTIMEOUT:
            if (OnBalloonHintTimeout) OnBalloonHintTimeout(this);
            return;
        case NIN_BALLOONUSERCLICK:
            if (OnBalloonHintClick) OnBalloonHintClick(this);
            return;
        default:
            break;
    }
    if (!enabled_) return;
    const std::weak_ptr<int> alive = alive_;
    const POINT p = CursorPos();
    const TShiftState shift = KeyboardShiftState(true);
    switch (code) {
        case WM_MOUSEMOVE:
            if (wantEnterExitEvents_ && cursorOutside_) {
                cursorOutside_ = false;
                MouseEnter();
                if (alive.expired()) return;
            }
            MouseMove(shift, p.x, p.y);
            if (alive.expired()) return;
            lastMovePos_ = p;
            break;
        case WM_LBUTTONDOWN:
            if (OnDblClick) {
                clickTimer_->SetInterval(GetDoubleClickTime());
                clickTimer_->Start();
            }
            MouseDown(mbLeft, shift | ssLeft, p.x, p.y);
            if (alive.expired()) return;
            pressSeen_ = true;
            if (leftPopup_) ShowMenu();
            break;
        case WM_LBUTTONUP:
            if (pressSeen_) {
                clickPending_ = true;
                if (!clickTimer_->Enabled()) {
                    pressSeen_ = false;
                    clickPending_ = false;
                    Click();
                    if (alive.expired()) return;
                }
            }
            pressSeen_ = false;
            MouseUp(mbLeft, shift | ssLeft, p.x, p.y);
            break;
        case WM_LBUTTONDBLCLK:
            clickPending_ = false;
            dblClickSeen_ = true;
            DblClick();
            if (alive.expired()) return;
            if (popupMenu_ && popupMenu_->AutoPopup() && !leftPopup_) ClickDefaultItem();
            break;
        case WM_RBUTTONDOWN:
            MouseDown(mbRight, shift | ssRight, p.x, p.y);
            if (alive.expired()) return;
            ShowMenu();
            break;
        case WM_RBUTTONUP:
            MouseUp(mbRight, shift | ssRight, p.x, p.y);
            break;
        case WM_MBUTTONDOWN:
            MouseDown(mbMiddle, shift | ssMiddle, p.x, p.y);
            break;
        case WM_MBUTTONUP:
            MouseUp(mbMiddle, shift | ssMiddle, p.x, p.y);
            break;
        default:
            break;
    }
}

void TTrayIcon::ClickDefaultItem() {
    TMenuItem& items = popupMenu_->Items();
    for (int i = 0; i < items.Count(); ++i) {
        if (items.Items(i)->Default()) {
            items.Items(i)->Click();
            return;
        }
    }
}

void TTrayIcon::ShowMenu() {
    if (!popupMenu_ || !popupMenu_->AutoPopup()) return;
    POINT p{};
    if (!GetCursorPos(&p)) return;
    const std::weak_ptr<int> alive = alive_;
    // Without the foreground the menu would not close when the user clicks elsewhere.
    SetForegroundWindow(Application().Handle());
    Application().ProcessMessages();
    if (alive.expired() || !popupMenu_) return;
    popupMenu_->SetPopupComponent(this);
    popupMenu_->Popup(p.x, p.y);
    if (alive.expired()) return;
    // Lets the platform finish with the menu (otherwise the next one may close at once).
    if (ownerControl_ && ownerControl_->HandleAllocated())
        PostMessageA(ownerControl_->Handle(), WM_NULL, 0, 0);
}

// Timers

void TTrayIcon::CycleTick() {
    if (!iconList_) return;
    const std::weak_ptr<int> alive = alive_;
    ChangeIconQuietly([&] { iconList_->GetIcon(iconIndex_, icon_); });
    ModifyIcon();
    CycleIcon();
    if (alive.expired() || !iconList_) return;
    SetIconIndex(iconIndex_ < iconList_->Count() - 1 ? iconIndex_ + 1 : 0);
}

void TTrayIcon::ClickTick() {
    clickTimer_->Stop(true);
    const bool click = !dblClickSeen_ && clickPending_;
    dblClickSeen_ = false;
    if (click) {
        clickPending_ = false;
        Click();
    }
}

void TTrayIcon::ExitCheck() {
    if (cursorOutside_) return;
    const POINT p = CursorPos();
    if (p.x != lastMovePos_.x || p.y != lastMovePos_.y) {
        cursorOutside_ = true;
        MouseExit();
    }
}

// Hooks on the owner's window and the application's

bool TTrayIcon::OwnerMessage(TMessage& m) {
    switch (m.Msg) {
        case WM_SHOWWINDOW:
            if (m.WParam == TRUE && m.LParam == 0) {
                SetForegroundWindow(Application().Handle());
                SetForegroundWindow(ownerControl_->Handle());
                return false;
            }
            if (m.WParam == FALSE && m.LParam == SW_PARENTCLOSING && !Application().Terminated())
                return MinimizeThroughOwner(m);
            return false;
        case WM_SYSCOMMAND:
            if ((m.WParam & 0xFFF0) == SC_MINIMIZE) return MinimizeThroughOwner(m);
            return false;
        default:
            return false;
    }
}

bool TTrayIcon::MinimizeThroughOwner(TMessage& m) {
    if (!minimizeToTray_ || !OnMinimizeToTray) return false;
    const std::weak_ptr<int> alive = alive_;
    OnMinimizeToTray(this);
    if (alive.expired()) return false;
    DoMinimizeToTray();
    m.Result = 1;
    return true;
}

void TTrayIcon::ApplicationMessage(UINT message, WPARAM wParam) {
    const UINT taskbarCreated = TaskbarCreatedMessage();
    if (message == WM_SIZE && wParam == SIZE_MINIMIZED) {
        if (minimizeToTray_) DoMinimizeToTray();
    } else if (message == WM_WINDOWPOSCHANGED) {
        // Only a multi-document frame form would have its start-up decided here, and
        // the framework has none.
        if (startupPending_ && Application().MainForm()) startupPending_ = false;
    } else if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_RESTORE) {
        if (TForm* form = Application().MainForm()) form->SetVisible(true);
    } else if (taskbarCreated != 0 && message == taskbarCreated) {
        // The new taskbar has none of the old icons.
        added_ = false;
        if (iconVisible_) ShowIcon();
    }
}

// TTrayIconHandler

// The window answers close requests itself, as the shell expects of it.
TTrayIconHandler::TTrayIconHandler()
    : window_(HandleMessage, MessageWindow::CloseRequests::Handled) {}

TTrayIconHandler::~TTrayIconHandler() = default;

TTrayIcon* TTrayIconHandler::Find(UINT id) {
    return LiveIcons().Find(id);
}

UINT TTrayIconHandler::Register(TTrayIcon* icon) {
    return LiveIcons().Add(icon);
}

void TTrayIconHandler::Unregister(UINT id) {
    LiveIcons().Remove(id);
}

LRESULT TTrayIconHandler::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case TTrayIcon::kCallbackMessage:
            // A notification for an icon that has gone is dropped.
            if (TTrayIcon* icon = Find(static_cast<UINT>(wParam)))
                icon->HandleNotification(LOWORD(lParam));
            return 0;
        case WM_CLOSE:
        case WM_DESTROY:
        case WM_NCDESTROY:
        case WM_QUIT:
        case WM_QUERYENDSESSION:
        case WM_ENDSESSION:
            // The window neither closes on request nor holds up the end of a session.
            return 1;
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace qm
