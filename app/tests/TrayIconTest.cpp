// The tray icon under Wine with a stand-in for the shell: what the icon sends the
// shell, and the events the shell's notifications raise. The real notification area
// is exercised by tests/e2e/tray_e2e.sh.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/TrayIcon.h"
#include "app/tests/MessagePump.h"
#include "framework/Application.h"
#include "framework/Form.h"
#include "framework/tests/IconTestSupport.h"

namespace qm {
namespace {

using test::IconColor;
using test::Now;
using test::PumpFor;
using test::PumpUntil;
using test::SolidIcon;

const COLORREF kRed = RGB(255, 0, 0);
const COLORREF kGreen = RGB(0, 255, 0);
const COLORREF kBlue = RGB(0, 0, 255);

// Keeps icons by identifier like the shell: a second add of the same icon is refused,
// and so are updates and removals of icons it does not have.
struct FakeShell {
    struct Call {
        DWORD message;
        NOTIFYICONDATAA data;
    };
    FakeShell() {
        TTrayIcon::SetShellNotify([this](DWORD message, NOTIFYICONDATAA& data) {
            calls.push_back({message, data});
            switch (message) {
                case NIM_ADD:
                    if (refuseAdds > 0) {
                        --refuseAdds;
                        return FALSE;
                    }
                    return present.insert(data.uID).second ? TRUE : FALSE;
                case NIM_DELETE:
                    return present.erase(data.uID) ? TRUE : FALSE;
                default:
                    return present.count(data.uID) ? TRUE : FALSE;
            }
        });
    }
    ~FakeShell() { TTrayIcon::SetShellNotify(nullptr); }
    int Count(DWORD message) const {
        int n = 0;
        for (const Call& c : calls)
            n += c.message == message;
        return n;
    }
    std::vector<DWORD> Messages() const {
        std::vector<DWORD> m;
        for (const Call& c : calls)
            m.push_back(c.message);
        return m;
    }
    std::vector<Call> calls;
    std::set<UINT> present;
    int refuseAdds = 0;
};

// Every event of an icon, in the order raised.
struct EventLog {
    explicit EventLog(TTrayIcon& icon) {
        auto buttonName = [](TMouseButton b) {
            return b == mbLeft ? std::string("left") : b == mbRight ? "right" : "middle";
        };
        icon.OnClick = [this](TComponent*) { events.push_back("click"); };
        icon.OnMouseDown = [this, buttonName](TComponent*, TMouseButton b, TShiftState s, int,
                                              int) {
            events.push_back("down " + buttonName(b));
            shifts.push_back(s);
        };
        icon.OnMouseUp = [this, buttonName](TComponent*, TMouseButton b, TShiftState, int, int) {
            events.push_back("up " + buttonName(b));
        };
        icon.OnMouseMove = [this](TComponent*, TShiftState, int, int) { events.push_back("move"); };
        icon.OnMouseEnter = [this](TComponent*) { events.push_back("enter"); };
        icon.OnMouseExit = [this](TComponent*) { events.push_back("exit"); };
        icon.OnBalloonHintShow = [this](TComponent*) { events.push_back("balloon show"); };
        icon.OnBalloonHintHide = [this](TComponent*) { events.push_back("balloon hide"); };
        icon.OnBalloonHintTimeout = [this](TComponent*) { events.push_back("balloon timeout"); };
        icon.OnBalloonHintClick = [this](TComponent*) { events.push_back("balloon click"); };
    }
    std::vector<std::string> events;
    std::vector<TShiftState> shifts;
};

void Notify(const TTrayIcon& icon, UINT code) {
    SendMessageA(TTrayIconHandler::Instance()->Handle(), TTrayIcon::kCallbackMessage,
                 icon.Identifier(), code);
}

using Events = std::vector<std::string>;

TEST(TrayIcon, RecordIsTheBalloonCapableOneAndTheIconAppearsOnlyAtTheEndOfBuilding) {
    FakeShell shell;
    TComponent form(nullptr);
    auto* icon = new TTrayIcon(&form);
    icon->SetHint("Quillmoth");
    icon->SetIconVisible(true);
    EXPECT_TRUE(shell.calls.empty());
    icon->Loaded();
    EXPECT_EQ(shell.Messages(), (std::vector<DWORD>{NIM_MODIFY, NIM_ADD, NIM_SETVERSION}));
    const NOTIFYICONDATAA& sent = shell.calls[1].data;
    EXPECT_EQ(sent.cbSize, NOTIFYICONDATAA_V2_SIZE);
    EXPECT_LT(sent.cbSize, sizeof(NOTIFYICONDATAA));
    EXPECT_EQ(sent.hWnd, TTrayIconHandler::Instance()->Handle());
    EXPECT_EQ(sent.uFlags, 7u);
    EXPECT_EQ(sent.uCallbackMessage, 0x800u);
    EXPECT_STREQ(sent.szTip, "Quillmoth");
    EXPECT_EQ(shell.calls[2].data.uVersion, 0u);
    EXPECT_EQ(shell.present.size(), 1u);

    // Adding it again is refused and changes nothing; destruction removes it.
    EXPECT_FALSE(icon->ShowIcon());
    EXPECT_TRUE(icon->IconVisible());
    delete icon;
    EXPECT_TRUE(shell.present.empty());
    EXPECT_EQ(TTrayIconHandler::Instance(), nullptr);
}

TEST(TrayIcon, TipIsCutTo127BytesWithoutSplittingACharacterAndEmptyWithoutShowHint) {
    FakeShell shell;
    TComponent form(nullptr);
    TTrayIcon icon(&form);
    icon.Loaded();
    icon.SetHint(std::string(200, 'a'));
    EXPECT_EQ(std::string(icon.NotifyIconData().szTip), std::string(127, 'a'));
    // A two-byte character across the limit stays out whole.
    std::string hint(126, 'a');
    hint += "\x82\xa0";  // hiragana a
    icon.SetHint(hint);
    EXPECT_EQ(std::string(icon.NotifyIconData().szTip), std::string(126, 'a'));
    hint = std::string(125, 'a') + "\x82\xa0";
    icon.SetHint(hint);
    EXPECT_EQ(std::string(icon.NotifyIconData().szTip), hint);

    icon.SetShowHint(false);
    const auto& tip = icon.NotifyIconData().szTip;
    EXPECT_EQ(std::count(std::begin(tip), std::end(tip), '\0'), 128);
    EXPECT_EQ(shell.calls.back().message, static_cast<DWORD>(NIM_MODIFY));
}

TEST(TrayIcon, IconIndexIsClampedToTheListAndShowsThatImage) {
    FakeShell shell;
    TComponent form(nullptr);
    auto* list = new TImageList(&form);
    for (COLORREF c : {kRed, kGreen}) {
        HICON i = SolidIcon(c);
        list->AddIcon(i);
        DestroyIcon(i);
    }
    TTrayIcon icon(&form);
    icon.SetIconList(list);
    icon.Loaded();
    EXPECT_EQ(IconColor(icon.Icon().Handle()), kRed);
    icon.SetIconIndex(5);
    EXPECT_EQ(icon.IconIndex(), 1);
    EXPECT_EQ(IconColor(icon.Icon().Handle()), kGreen);
    EXPECT_EQ(shell.calls.back().data.hIcon, icon.Icon().Handle());
    icon.SetIconIndex(-3);
    EXPECT_EQ(icon.IconIndex(), 0);

    icon.SetIconIndex(1);
    delete list;  // the icon lets go of it
    EXPECT_EQ(icon.IconList(), nullptr);
    EXPECT_EQ(icon.IconIndex(), 0);
    icon.SetIconIndex(1);
    EXPECT_EQ(icon.IconIndex(), 0);

    // A picture of its own, copied: the caller keeps its icon.
    TIcon blue;
    blue.SetHandle(SolidIcon(kBlue));
    const int before = shell.Count(NIM_MODIFY);
    icon.SetIcon(blue);
    EXPECT_EQ(shell.Count(NIM_MODIFY), before + 1);  // one update, not two
    EXPECT_NE(icon.Icon().Handle(), blue.Handle());
    EXPECT_EQ(IconColor(icon.Icon().Handle()), kBlue);
    // A change of the picture itself updates the icon too.
    icon.Icon().SetHandle(SolidIcon(kRed));
    EXPECT_EQ(shell.Count(NIM_MODIFY), before + 2);
    EXPECT_EQ(shell.calls.back().data.hIcon, icon.Icon().Handle());
}

TEST(TrayIcon, CyclingReportsTheNextIndexWhileShowingTheCurrentImage) {
    FakeShell shell;
    TComponent form(nullptr);
    auto* list = new TImageList(&form);
    for (COLORREF c : {kRed, kGreen, kBlue}) {
        HICON i = SolidIcon(c);
        list->AddIcon(i);
        DestroyIcon(i);
    }
    TTrayIcon icon(&form);
    icon.SetIconList(list);
    icon.SetCycleInterval(30);
    icon.SetCycleIcons(true);
    std::vector<int> next;
    std::vector<COLORREF> shown;
    icon.OnCycle = [&](TComponent*, int n) {
        next.push_back(n);
        shown.push_back(IconColor(icon.Icon().Handle()));
    };
    PumpFor(100);
    EXPECT_TRUE(next.empty());  // nothing runs before the end of building
    icon.Loaded();
    ASSERT_TRUE(PumpUntil([&] { return next.size() >= 4; }, 5000));
    icon.SetCycleIcons(false);
    next.resize(4);
    shown.resize(4);
    EXPECT_EQ(next, (std::vector<int>{1, 2, 0, 1}));
    EXPECT_EQ(shown, (std::vector<COLORREF>{kRed, kGreen, kBlue, kRed}));

    // A new interval starts over at image 0; interval 0 never runs.
    icon.SetCycleIcons(true);
    icon.SetCycleInterval(0);
    EXPECT_EQ(icon.IconIndex(), 0);
    next.clear();
    PumpFor(150);
    EXPECT_TRUE(next.empty());
}

TEST(TrayIcon, LeftClickWithoutDoubleClickHandlerRaisesDownClickUp) {
    FakeShell shell;
    TComponent form(nullptr);
    TTrayIcon icon(&form);
    icon.Loaded();
    EventLog log(icon);
    Notify(icon, WM_LBUTTONDOWN);
    Notify(icon, WM_LBUTTONUP);
    EXPECT_EQ(log.events, (Events{"down left", "click", "up left"}));
    EXPECT_TRUE(log.shifts[0] & ssLeft);
    // A release without a press seen is no click.
    log.events.clear();
    Notify(icon, WM_LBUTTONUP);
    EXPECT_EQ(log.events, (Events{"up left"}));
    // Middle and right buttons.
    log.events.clear();
    Notify(icon, WM_MBUTTONDOWN);
    Notify(icon, WM_MBUTTONUP);
    Notify(icon, WM_RBUTTONDOWN);  // no menu set
    Notify(icon, WM_RBUTTONUP);
    Notify(icon, WM_RBUTTONDBLCLK);
    EXPECT_EQ(log.events, (Events{"down middle", "up middle", "down right", "up right"}));
    EXPECT_TRUE(log.shifts[1] & ssMiddle);
    EXPECT_TRUE(log.shifts[2] & ssRight);
}

TEST(TrayIcon, WithDoubleClickHandlerTheClickWaitsAndADoubleClickCancelsIt) {
    FakeShell shell;
    TComponent form(nullptr);
    TTrayIcon icon(&form);
    icon.Loaded();
    EventLog log(icon);
    ULONGLONG clickAt = 0;
    icon.OnClick = [&](TComponent*) {
        log.events.push_back("click");
        clickAt = Now();
    };
    icon.OnDblClick = [&](TComponent*) { log.events.push_back("dblclick"); };
    const ULONGLONG pressAt = Now();
    Notify(icon, WM_LBUTTONDOWN);
    Notify(icon, WM_LBUTTONUP);
    EXPECT_EQ(log.events, (Events{"down left", "up left"}));
    ASSERT_TRUE(PumpUntil([&] { return clickAt != 0; }, 5000 + GetDoubleClickTime()));
    EXPECT_GE(clickAt + 20, pressAt + GetDoubleClickTime());
    EXPECT_EQ(log.events, (Events{"down left", "up left", "click"}));

    log.events.clear();
    Notify(icon, WM_LBUTTONDOWN);
    Notify(icon, WM_LBUTTONUP);
    Notify(icon, WM_LBUTTONDBLCLK);
    Notify(icon, WM_LBUTTONUP);
    PumpFor(GetDoubleClickTime() + 300);
    EXPECT_EQ(log.events, (Events{"down left", "up left", "dblclick", "up left"}));

    // A press held past the double-click time clicks on release.
    log.events.clear();
    Notify(icon, WM_LBUTTONDOWN);
    PumpFor(GetDoubleClickTime() + 200);
    Notify(icon, WM_LBUTTONUP);
    EXPECT_EQ(log.events, (Events{"down left", "click", "up left"}));
}

TEST(TrayIcon, DisabledIconIgnoresTheMouseButRelaysBalloons) {
    FakeShell shell;
    TComponent form(nullptr);
    auto* menu = new TPopupMenu(&form);
    int popups = 0;
    menu->OnPopup = [&](TComponent*) { ++popups; };
    TTrayIcon icon(&form);
    icon.SetPopupMenu(menu);
    icon.SetLeftPopup(true);
    icon.Loaded();
    EventLog log(icon);
    icon.OnDblClick = [&](TComponent*) { log.events.push_back("dblclick"); };
    icon.SetEnabled(false);
    for (UINT code : {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_RBUTTONDOWN,
                      WM_RBUTTONUP, WM_MBUTTONDOWN, WM_MBUTTONUP})
        Notify(icon, code);
    PumpFor(GetDoubleClickTime() + 100);
    EXPECT_TRUE(log.events.empty());
    EXPECT_EQ(popups, 0);
    for (UINT code : {NIN_BALLOONSHOW, NIN_BALLOONHIDE, NIN_BALLOONTIMEOUT, NIN_BALLOONUSERCLICK})
        Notify(icon, code);
    EXPECT_EQ(log.events,
              (Events{"balloon show", "balloon hide", "balloon timeout", "balloon click"}));
}

TEST(TrayIcon, RightPressOpensTheMenuThenTheOwnerGetsNull) {
    FakeShell shell;
    TForm form(nullptr);
    form.HandleNeeded();
    auto* menu = new TPopupMenu(&form);
    std::vector<std::string> log;
    auto* item = new TMenuItem(&form);
    item->SetCaption("&Options");
    item->OnClick = [&](TComponent*) { log.push_back("options"); };
    menu->Items().Add(item);
    // Chosen by its accelerator once the menu's own loop runs.
    menu->OnPopup = [&](TComponent*) {
        log.push_back("popup");
        PostMessageA(Application().Handle(), WM_KEYDOWN, 'O', 0);
    };
    form.AddMessageHook([&](TMessage& m) {
        if (m.Msg == WM_NULL) log.push_back("null");
        return false;
    });
    auto* icon = new TTrayIcon(&form);
    icon->SetPopupMenu(menu);
    icon->Loaded();
    icon->OnMouseDown = [&](TComponent*, TMouseButton b, TShiftState, int, int) {
        log.push_back(b == mbRight ? "down right" : "down");
    };
    Notify(*icon, WM_RBUTTONDOWN);
    log.push_back("handled");
    PumpFor(50);
    EXPECT_EQ(log, (Events{"down right", "popup", "options", "handled", "null"}));
    EXPECT_EQ(menu->PopupComponent(), icon);

    // Automatic popup off: no menu.
    log.clear();
    menu->SetAutoPopup(false);
    Notify(*icon, WM_RBUTTONDOWN);
    EXPECT_EQ(log, (Events{"down right"}));
    delete icon;
    EXPECT_EQ(menu->PopupComponent(), nullptr);
}

TEST(TrayIcon, DoubleClickChoosesTheDefaultMenuEntryUnlessTheLeftButtonOpensTheMenu) {
    FakeShell shell;
    TComponent form(nullptr);
    auto* menu = new TPopupMenu(&form);
    std::vector<std::string> log;
    for (const char* caption : {"first", "second", "third"}) {
        auto* item = new TMenuItem(&form);
        item->SetCaption(caption);
        item->SetDefault(caption != std::string("first"));
        item->OnClick = [&log, caption](TComponent*) { log.push_back(caption); };
        menu->Items().Add(item);
    }
    TTrayIcon icon(&form);
    icon.SetPopupMenu(menu);
    icon.Loaded();
    Notify(icon, WM_LBUTTONDBLCLK);
    EXPECT_EQ(log, (Events{"second"}));
    icon.SetLeftPopup(true);
    Notify(icon, WM_LBUTTONDBLCLK);
    EXPECT_EQ(log, (Events{"second"}));
    delete menu;  // the icon lets go of it
    EXPECT_EQ(icon.PopupMenu(), nullptr);
    Notify(icon, WM_LBUTTONDBLCLK);
}

TEST(TrayIcon, NotificationForADestroyedIconIsDropped) {
    FakeShell shell;
    TComponent form(nullptr);
    TTrayIcon keeper(&form);  // keeps the shared window
    keeper.Loaded();
    EventLog keeperLog(keeper);
    auto* gone = new TTrayIcon(&form);
    gone->Loaded();
    const UINT id = gone->Identifier();
    EXPECT_NE(id, keeper.Identifier());
    delete gone;
    HWND window = TTrayIconHandler::Instance()->Handle();
    PostMessageA(window, TTrayIcon::kCallbackMessage, id, WM_LBUTTONDOWN);
    SendMessageA(window, TTrayIcon::kCallbackMessage, id, WM_LBUTTONUP);
    PumpFor(50);
    EXPECT_TRUE(keeperLog.events.empty());
    // The identifier is not handed on to the next icon.
    TTrayIcon next(&form);
    EXPECT_NE(next.Identifier(), id);
    EXPECT_EQ(TTrayIconHandler::Find(id), nullptr);
    EXPECT_EQ(TTrayIconHandler::Find(next.Identifier()), &next);
    // The shared window does not close on request.
    EXPECT_EQ(SendMessageA(window, WM_CLOSE, 0, 0), 1);
    EXPECT_EQ(SendMessageA(window, WM_QUERYENDSESSION, 0, 0), 1);
    EXPECT_TRUE(IsWindow(window));
}

TEST(TrayIcon, RefusedAddIsRetriedWhileTheIconShouldBeVisible) {
    FakeShell shell;
    TComponent form(nullptr);
    {
        // The shell comes up after two refusals.
        shell.refuseAdds = 2;
        TTrayIcon icon(&form);
        icon.SetAddRetry(20, 10);
        icon.SetIconVisible(true);
        icon.Loaded();
        EXPECT_TRUE(shell.present.empty());
        ASSERT_TRUE(PumpUntil([&] { return !shell.present.empty(); }, 5000));
        EXPECT_EQ(shell.Count(NIM_ADD), 3);
        PumpFor(100);
        EXPECT_EQ(shell.Count(NIM_ADD), 3);  // no more tries once it is there
    }
    shell.calls.clear();
    {
        // Hiding the icon ends the tries; so does running out of them.
        shell.refuseAdds = 1000;
        TTrayIcon icon(&form);
        icon.SetAddRetry(20, 3);
        icon.Loaded();
        EXPECT_FALSE(icon.ShowIcon());
        ASSERT_TRUE(PumpUntil([&] { return shell.Count(NIM_ADD) >= 2; }, 5000));
        icon.HideIcon();
        const int tries = shell.Count(NIM_ADD);
        PumpFor(150);
        EXPECT_EQ(shell.Count(NIM_ADD), tries);

        shell.calls.clear();
        icon.ShowIcon();
        PumpFor(300);
        EXPECT_EQ(shell.Count(NIM_ADD), 1 + 3);
    }
}

TEST(TrayIcon, TaskbarCreatedPutsAVisibleIconBack) {
    ASSERT_NE(TTrayIcon::TaskbarCreatedMessage(), 0u);
    FakeShell shell;
    TComponent form(nullptr);
    TTrayIcon shown(&form);
    shown.SetIconVisible(true);
    shown.Loaded();
    TTrayIcon hidden(&form);
    hidden.Loaded();
    ASSERT_EQ(shell.present.size(), 1u);
    shell.present.clear();  // the shell restarted without our icons
    shell.calls.clear();
    SendMessageA(Application().Handle(), TTrayIcon::TaskbarCreatedMessage(), 0, 0);
    EXPECT_EQ(shell.Count(NIM_ADD), 1);
    EXPECT_EQ(shell.present.count(shown.Identifier()), 1u);
}

// Makes a form the application's main form for one test.
struct MainFormScope {
    explicit MainFormScope(TForm& form) { Application().SetMainForm(&form); }
    ~MainFormScope() {
        Application().SetMainForm(nullptr);
        Application().SetShowMainForm(true);
    }
};

TEST(TrayIcon, MinimizingSendsTheFormToTheTray) {
    FakeShell shell;
    TForm form(nullptr);
    MainFormScope scope(form);
    auto* icon = new TTrayIcon(&form);
    icon->SetMinimizeToTray(true);
    icon->Loaded();
    // Stands for the form's own handling: sees what the icon passes on.
    int passedOn = 0;
    form.AddMessageHook([&](TMessage& m) {
        if (m.Msg != WM_SYSCOMMAND) return false;
        ++passedOn;
        return true;
    });
    form.Show();

    // Without a handler the owner minimises as usual; the application window's
    // minimised notification then sends the form to the tray.
    SendMessageA(form.Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_EQ(passedOn, 1);
    EXPECT_TRUE(shell.present.empty());
    SendMessageA(Application().Handle(), WM_SIZE, SIZE_MINIMIZED, 0);
    EXPECT_FALSE(form.Visible());
    EXPECT_TRUE(icon->IconVisible());
    EXPECT_EQ(shell.present.size(), 1u);

    // With a handler the owner's own minimise command, and the hiding of the form
    // because its owner minimises, go to the tray at once.
    SendMessageA(Application().Handle(), WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_TRUE(form.Visible());
    int events = 0;
    icon->OnMinimizeToTray = [&](TComponent*) { ++events; };
    EXPECT_EQ(SendMessageA(form.Handle(), WM_SYSCOMMAND, SC_MINIMIZE | 2, 0), 1);
    EXPECT_EQ(passedOn, 1);
    EXPECT_EQ(events, 1);
    EXPECT_FALSE(form.Visible());
    EXPECT_EQ(SendMessageA(form.Handle(), WM_SHOWWINDOW, FALSE, SW_PARENTCLOSING), 1);
    EXPECT_EQ(events, 2);

    // Off: nothing is intercepted.
    form.Show();
    icon->SetMinimizeToTray(false);
    SendMessageA(form.Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_EQ(passedOn, 2);
    SendMessageA(Application().Handle(), WM_SIZE, SIZE_MINIMIZED, 0);
    EXPECT_EQ(events, 2);
    EXPECT_TRUE(form.Visible());
    delete icon;
}

TEST(TrayIcon, StartupHandlerCanKeepTheMainFormHidden) {
    FakeShell shell;
    TForm form(nullptr);
    MainFormScope scope(form);
    form.Show();
    auto* icon = new TTrayIcon(&form);
    int calls = 0;
    icon->OnStartup = [&](TComponent* sender, bool& show) {
        EXPECT_EQ(sender, icon);
        EXPECT_TRUE(show);
        show = false;
        ++calls;
    };
    icon->Loaded();
    icon->Loaded();  // building ends once
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(Application().ShowMainForm());
    EXPECT_FALSE(form.Visible());
    EXPECT_EQ(shell.Count(NIM_SETVERSION), 1);
    delete icon;
}

TEST(TrayIcon, EnterComesWithTheFirstMoveAndExitWhenTheCursorLeaves) {
    FakeShell shell;
    TComponent form(nullptr);
    TTrayIcon icon(&form);
    icon.SetWantEnterExitEvents(true);
    icon.Loaded();
    EventLog log(icon);
    SetCursorPos(200, 200);
    PumpFor(50);
    Notify(icon, WM_MOUSEMOVE);
    Notify(icon, WM_MOUSEMOVE);
    PumpFor(100);
    EXPECT_EQ(log.events, (Events{"enter", "move", "move"}));
    SetCursorPos(260, 230);
    ASSERT_TRUE(PumpUntil([&] { return log.events.size() == 4; }, 3000));
    EXPECT_EQ(log.events.back(), "exit");
    PumpFor(100);
    EXPECT_EQ(log.events.size(), 4u);
}

}  // namespace
}  // namespace qm
