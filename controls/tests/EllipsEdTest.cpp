// The ellipsis edit on a real window, driven by real input (SendInput goes through
// the platform's input queue, key state and translation like the user's keys do).
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "controls/EllipsEd.h"
#include "framework/Application.h"
#include "framework/ComCtrls.h"
#include "framework/Form.h"
#include "framework/GdiObject.h"
#include "framework/StdCtrls.h"

namespace qm {
namespace {

void Pump(int milliseconds = 150) {
    for (int waited = 0; waited < milliseconds; waited += 10) {
        Application().ProcessMessages();
        Sleep(10);
    }
    Application().ProcessMessages();
}

void SendKey(WORD vk, bool up) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.wScan = static_cast<WORD>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC));
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &in, sizeof in);
}

// Holds the keys down in order and lets them go in reverse: {VK_CONTROL, VK_RETURN}.
void Chord(std::initializer_list<WORD> keys) {
    for (WORD k : keys)
        SendKey(k, false);
    for (auto it = keys.end(); it != keys.begin();)
        SendKey(*--it, true);
    Pump();
}

// Lower-case letters and digits, as typed on the keyboard.
void Type(const std::string& text) {
    for (char c : text) {
        const WORD vk = (c >= 'a' && c <= 'z') ? static_cast<WORD>(c - 'a' + 'A') : c;
        SendKey(vk, false);
        SendKey(vk, true);
    }
    Pump();
}

void MoveMouse(POINT screen) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    const int w = GetSystemMetrics(SM_CXSCREEN);
    const int h = GetSystemMetrics(SM_CYSCREEN);
    in.mi.dx = (screen.x * 65536 + w - 1) / w;
    in.mi.dy = (screen.y * 65536 + h - 1) / h;
    in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &in, sizeof in);
}

void MouseButton(bool up) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = up ? MOUSEEVENTF_LEFTUP : MOUSEEVENTF_LEFTDOWN;
    SendInput(1, &in, sizeof in);
}

// The middle of a control, on the screen.
POINT Centre(TControl& c) {
    return c.ClientToScreen({c.Width() / 2, c.Height() / 2});
}

void ClickAt(POINT screen) {
    MoveMouse(screen);
    Pump(50);
    MouseButton(false);
    MouseButton(true);
    Pump();
}

RECT FormattingRect(TEllipsesEdit& edit) {
    RECT r{};
    SendMessageA(edit.Handle(), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&r));
    return r;
}

COLORREF PixelOf(TWinControl& control, int x, int y) {
    UpdateWindow(control.Handle());
    WindowDC dc(control.Handle());
    return GetPixel(dc.Get(), x, y);
}

// The settings dialog's arrangement: the edit on a tab page, another control to take
// the focus from it, OK (Enter) and Cancel (Esc) buttons, shown in front and loaded.
struct Dialog {
    // Configure runs before the end of loading, as the form's layout does.
    explicit Dialog(TEditStyle style = esAlwaysEllipses,
                    const std::function<void(TEllipsesEdit&)>& configure = {}) {
        form.SetBounds(100, 100, 420, 200);
        pages = new TPageControl(&form);
        pages->SetParent(&form);
        pages->SetBounds(0, 0, 400, 150);
        page = new TTabSheet(&form);
        page->SetCaption("page");
        page->SetPageControl(pages);
        other = new TEdit(&form);
        other->SetParent(page);
        other->SetBounds(16, 60, 100, 21);
        edit = new TEllipsesEdit(&form);
        edit->SetName("FilterFile");
        edit->SetParent(page);
        edit->SetEditStyle(style);
        edit->SetBounds(16, 32, 369, 20);
        edit->SetTabOrder(0);
        ok = new TButton(&form);
        ok->SetParent(&form);
        ok->SetBounds(160, 155, 75, 22);
        ok->SetDefault(true);
        ok->OnClick = [this](TComponent*) { ++okClicks; };
        cancel = new TButton(&form);
        cancel->SetParent(&form);
        cancel->SetBounds(240, 155, 75, 22);
        cancel->SetCancel(true);
        cancel->OnClick = [this](TComponent*) { ++cancelClicks; };
        if (configure) configure(*edit);
        form.Loaded();
        form.Show();
        SetForegroundWindow(form.Handle());
        other->SetFocus();
        Pump();
    }
    // Tab from the other edit into ours, or out of ours again.
    void TabInto() {
        other->SetFocus();
        Pump(50);
        Chord({VK_SHIFT, VK_TAB});
    }
    void TabOut() { Chord({VK_TAB}); }

    TForm form{nullptr};
    TPageControl* pages;
    TTabSheet* page;
    TEdit* other;
    TEllipsesEdit* edit;
    TButton* ok;
    TButton* cancel;
    int okClicks = 0;
    int cancelClicks = 0;
};

TEST(EllipsesEditKeys, CtrlEnterAloneClicksTheButtonAndEnterNeverReachesTheText) {
    Dialog d;
    std::vector<TComponent*> senders;
    std::vector<WORD> keysSeen;
    d.edit->OnButtonClick = [&](TComponent* sender) { senders.push_back(sender); };
    d.edit->OnKeyDown = [&](TComponent*, WORD& key, TShiftState) { keysSeen.push_back(key); };
    d.edit->SetText("abc");
    d.edit->SetFocus();
    Pump();
    ASSERT_EQ(GetFocus(), d.edit->Handle());

    Chord({VK_CONTROL, VK_RETURN});
    EXPECT_EQ(senders, std::vector<TComponent*>{d.edit});
    Chord({VK_SHIFT, VK_CONTROL, VK_RETURN});
    Chord({VK_RETURN});
    EXPECT_EQ(senders.size(), 1u) << "only exactly Ctrl clicks";
    EXPECT_EQ(d.edit->Text(), "abc");
    for (WORD key : keysSeen)
        EXPECT_NE(key, VK_RETURN) << "Enter is consumed before the key-down event";
    EXPECT_FALSE(keysSeen.empty()) << "the other keys still reach it";
    EXPECT_EQ(GetFocus(), d.edit->Handle()) << "Enter did not leave the edit";
}

TEST(EllipsesEditKeys, EnterLeavesTheTextAsItWasAndSelectsItAll) {
    Dialog d(esEllipses);
    d.edit->SetText("path\\to\\rules.txt");
    d.edit->SetFocus();
    d.edit->SetSelection(4, 0);
    Chord({VK_RETURN});
    EXPECT_EQ(d.edit->Text(), "path\\to\\rules.txt");
    EXPECT_EQ(d.edit->SelStart(), 0);
    EXPECT_EQ(d.edit->SelLength(), 17);
    EXPECT_EQ(SendMessageA(d.edit->Handle(), EM_GETLINECOUNT, 0, 0), 1);

    d.edit->SetText("");
    Chord({VK_RETURN});
    EXPECT_EQ(d.edit->Text(), "");
    Chord({VK_CONTROL, VK_RETURN});  // no handler: the click does nothing
    EXPECT_EQ(d.edit->Text(), "");
}

TEST(EllipsesEditKeys, LineBreakAfterEnterIsTakenBackAtTheNextRepaint) {
    // Where the platform's multi-line edit has the room, it makes a line break of the
    // character that follows Enter; here it is put in as the edit would.
    Dialog d;
    d.edit->SetText("abc");
    d.edit->SetFocus();
    Pump();
    d.edit->SetSelection(3, 0);
    SendMessageA(d.edit->Handle(), WM_KEYDOWN, VK_RETURN, 0x001C0001);
    SendMessageA(d.edit->Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("abc\r\n"));
    EXPECT_EQ(d.edit->Text(), "abc\r\n") << "the break is in until the repaint";
    Pump();
    EXPECT_EQ(d.edit->Text(), "abc");
    EXPECT_EQ(d.edit->SelStart(), 0);
    EXPECT_EQ(d.edit->SelLength(), 3);

    d.edit->SetText("");
    SendMessageA(d.edit->Handle(), WM_KEYDOWN, VK_RETURN, 0x001C0001);
    SendMessageA(d.edit->Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("\r\n"));
    Pump();
    EXPECT_EQ(d.edit->Text(), "") << "an empty text is put back too";
}

TEST(EllipsesEditKeys, TabAndEscGoToTheDialogAndEnterStaysInTheEdit) {
    Dialog d;
    d.edit->SetFocus();
    Pump();
    Chord({VK_RETURN});
    EXPECT_EQ(d.okClicks, 0) << "Enter is the edit's";
    const HWND pageWindow = d.page->Handle();
    Chord({VK_ESCAPE});
    EXPECT_EQ(d.cancelClicks, 1);
    Pump();
    EXPECT_TRUE(IsWindow(pageWindow)) << "the tab page was not closed";
    Chord({VK_TAB});
    EXPECT_EQ(GetFocus(), d.other->Handle());
    EXPECT_EQ(d.edit->Text(), "") << "no tab character";

    d.edit->SetEditStyle(esNormal);
    d.edit->SetFocus();
    Pump();
    Chord({VK_RETURN});
    EXPECT_EQ(d.okClicks, 1) << "a plain one-line edit leaves Enter to the dialog";
}

TEST(EllipsesEditKeys, CtrlEnterKeepsTheTextTheHandlerPutIn) {
    Dialog d;
    d.edit->SetText("old.txt");
    int clicks = 0;
    d.edit->OnButtonClick = [&](TComponent* sender) {
        // A picker: its own message loop runs, then the choice goes into the edit.
        Pump(50);
        static_cast<TEllipsesEdit*>(sender)->SetText(++clicks == 1 ? "C:\\rules.txt" : "x.txt");
    };
    d.edit->SetFocus();
    Pump();
    Chord({VK_CONTROL, VK_RETURN});
    EXPECT_EQ(d.edit->Text(), "C:\\rules.txt");

    d.edit->OnButtonClick = [&](TComponent*) { d.edit->SetText("picked.txt"); };
    Chord({VK_CONTROL, VK_RETURN});
    EXPECT_EQ(d.edit->Text(), "picked.txt");
}

TEST(EllipsesEditKeys, FirstCharUpperCapitalisesTheFirstLetterOnly) {
    Dialog d(esEllipses);
    d.edit->SetFirstCharUpper(true);
    d.edit->SetFocus();
    Pump();
    Type("abc");
    EXPECT_EQ(d.edit->Text(), "Abc");

    d.edit->SelectAll();
    Type("xy");
    EXPECT_EQ(d.edit->Text(), "Xy") << "typed over the whole text";
    d.edit->SetSelection(0, 1);
    Type("z");
    EXPECT_EQ(d.edit->Text(), "zy") << "only part of the text was selected";

    // Double-byte text selected whole: the edit counts its positions in its own units.
    d.edit->SetText("\x82\xA0\x82\xA2");  // hiragana a i
    d.edit->SelectAll();
    Type("q");
    EXPECT_EQ(d.edit->Text(), "Q");
}

TEST(EllipsesEditKeys, SecondByteOfADoubleByteFirstCharacterStaysUnchanged) {
    // Full-width B is 0x82 0x61: its second byte is the code of a. The platform hands a
    // double-byte character to a code-page window as two characters, lead byte first.
    Dialog d(esEllipses);
    d.edit->SetFirstCharUpper(true);
    d.edit->SetFocus();
    Pump();
    std::string passedOn;
    d.edit->OnKeyPress = [&](TComponent*, char& key) { passedOn += key; };
    SendMessageA(d.edit->Handle(), WM_CHAR, 0x82, 1);
    SendMessageA(d.edit->Handle(), WM_CHAR, 0x61, 1);
    EXPECT_EQ(passedOn, "\x82\x61");  // full-width B

    d.edit->SetText("");
    passedOn.clear();
    SendMessageA(d.edit->Handle(), WM_CHAR, 'b', 1);
    EXPECT_EQ(passedOn, "B");
}

TEST(EllipsesEditKeys, TextIsCapitalisedWhenSwitchedOnAndOnLeaving) {
    Dialog d;
    d.edit->SetText("zeta");
    d.edit->SetFirstCharUpper(true);
    EXPECT_EQ(d.edit->Text(), "Zeta");
    d.edit->SetFocus();
    Pump();
    d.edit->SetText("alpha beta");
    d.TabOut();
    EXPECT_NE(GetFocus(), d.edit->Handle());
    EXPECT_EQ(d.edit->Text(), "Alpha beta");

    for (const char* unchanged :
         {"\x82\x61x", "\xE9t\x82\xA0", "1abc",
          "\xB1"}) {  // full-width B x, a kanji and hiragana a, 1abc, half-width a
        d.edit->SetText(unchanged);
        d.edit->SetFirstCharUpper(false);
        d.edit->SetFirstCharUpper(true);
        EXPECT_EQ(d.edit->Text(), unchanged);
    }
    d.edit->SetFirstCharUpper(false);
    d.edit->SetText("off");
    d.TabInto();
    d.TabOut();
    EXPECT_EQ(d.edit->Text(), "off");
}

TEST(EllipsesEditButton, EllipsesStyleShowsTheButtonOnlyWhileFocused) {
    Dialog d(esEllipses);
    const int w = GetSystemMetrics(SM_CXHSCROLL);
    EXPECT_FALSE(d.edit->ButtonShown());
    const RECT wide = FormattingRect(*d.edit);

    d.TabInto();
    ASSERT_EQ(GetFocus(), d.edit->Handle());
    ASSERT_TRUE(d.edit->ButtonShown());
    TEllipsesButton& b = d.edit->Button();
    EXPECT_EQ(b.Left(), d.edit->Width() - w - 5);
    EXPECT_EQ(b.Top(), 0);
    EXPECT_EQ(b.Width(), w + 1);
    EXPECT_EQ(b.Height(), d.edit->Height() - 4);
    const RECT narrow = FormattingRect(*d.edit);
    EXPECT_EQ(wide.right - narrow.right, w + 1 + 2);

    d.TabOut();
    EXPECT_NE(GetFocus(), d.edit->Handle());
    EXPECT_EQ(b.Width(), 0);
    EXPECT_EQ(FormattingRect(*d.edit).right, wide.right);

    d.edit->SetEditStyle(esAlwaysEllipses);
    EXPECT_TRUE(d.edit->ButtonShown()) << "without the focus";
    d.edit->SetEditStyle(esNormal);
    EXPECT_FALSE(d.edit->ButtonShown());
    d.TabInto();
    EXPECT_FALSE(d.edit->ButtonShown()) << "not even with the focus";
}

TEST(EllipsesEditButton, BoundsForEachBorder) {
    Dialog d;
    const int w = GetSystemMetrics(SM_CXHSCROLL);
    TEllipsesEdit& e = *d.edit;
    TEllipsesButton& b = e.Button();
    e.SetCtl3D(false);
    EXPECT_EQ(e.Height(), e.RuleHeight());
    EXPECT_EQ(b.BoundsRect().left, e.Width() - w - 3);
    EXPECT_EQ(b.Top(), 1);
    EXPECT_EQ(b.Width(), w + 3);
    EXPECT_EQ(b.Height(), e.Height() - 1);
    e.SetBorderStyle(bsNone);
    EXPECT_EQ(b.Left(), e.Width() - w);
    EXPECT_EQ(b.Top(), 0);
    EXPECT_EQ(b.Width(), w);
    EXPECT_EQ(b.Height(), e.Height());
    RECT client;
    GetClientRect(e.Handle(), &client);
    EXPECT_EQ(b.BoundsRect().right, client.right) << "no border: the button ends the client area";
}

TEST(EllipsesEditButton, MouseClickRaisesOnButtonClickWithTheMouseFree) {
    Dialog d;
    TEllipsesButton& b = d.edit->Button();
    std::vector<TComponent*> senders;
    HWND captureInHandler = reinterpret_cast<HWND>(1);
    d.edit->OnButtonClick = [&](TComponent* sender) {
        senders.push_back(sender);
        captureInHandler = GetCapture();
    };
    MoveMouse(Centre(b));
    Pump(50);
    MouseButton(false);
    Pump();
    EXPECT_TRUE(b.Held());
    MoveMouse(d.edit->ClientToScreen({2, 2}));
    Pump(50);
    EXPECT_TRUE(b.Held()) << "held until the release, wherever the pointer is";
    MoveMouse(Centre(b));
    Pump(50);
    MouseButton(true);
    Pump();
    EXPECT_FALSE(b.Held());
    EXPECT_EQ(senders, std::vector<TComponent*>{d.edit});
    EXPECT_EQ(captureInHandler, nullptr) << "a picker opened here gets the mouse";
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST(EllipsesEditButton, CursorIsTheArrowOverTheButtonOnly) {
    Dialog d;
    MoveMouse(Centre(d.edit->Button()));
    Pump();
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_ARROW));
    MoveMouse(d.edit->ClientToScreen({10, 5}));
    Pump();
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_IBEAM));
}

TEST(EllipsesEditButton, PaintsThreeBlackDotsAndAFlatOrPressedFace) {
    Dialog d;
    d.edit->SetText("");
    TEllipsesButton& b = d.edit->Button();
    const int q = b.Width() / 4;
    const int cy = b.Height() / 2;
    for (int x : {q + 1, 2 * q + 1, 3 * q + 1})
        EXPECT_EQ(PixelOf(*d.edit, b.Left() + x - 1, b.Top() + cy - 1), RGB(0, 0, 0)) << x;
    EXPECT_EQ(PixelOf(*d.edit, b.Left() + 1, b.Top() + 1), RGB(255, 255, 255));
    EXPECT_EQ(PixelOf(*d.edit, b.Left(), b.Top()), GetSysColor(COLOR_BTNFACE));

    MoveMouse(Centre(b));
    Pump(50);
    MouseButton(false);
    Pump();
    EXPECT_EQ(PixelOf(*d.edit, b.Left(), b.Top()), GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(PixelOf(*d.edit, b.Left() + 1, b.Top() + 1), GetSysColor(COLOR_BTNFACE));
    MouseButton(true);
    Pump();
}

TEST(EllipsesEditLook, DeactiveColorFromTheStartUntilTheFirstFocus) {
    Dialog d(esEllipses, [](TEllipsesEdit& e) {
        e.SetColor(clLime);
        e.SetDeactiveColor(clRed);
    });
    TEllipsesEdit& edit = *d.edit;
    EXPECT_EQ(edit.Color(), clRed);
    EXPECT_EQ(PixelOf(edit, 60, 5), RGB(255, 0, 0));

    ClickAt(edit.ClientToScreen({60, 5}));
    ASSERT_EQ(GetFocus(), edit.Handle());
    EXPECT_EQ(PixelOf(edit, 60, 5), RGB(0, 255, 0));
    d.TabOut();
    ASSERT_NE(GetFocus(), edit.Handle());
    EXPECT_EQ(PixelOf(edit, 60, 5), RGB(255, 0, 0));
}

TEST(EllipsesEditLook, EnteringRunsTheBaseThenLayoutThenSelectionThenColour) {
    Dialog d(esEllipses);
    d.edit->SetText("some text");
    std::vector<std::string> seen;
    d.edit->OnEnter = [&](TComponent*) {
        seen.push_back(std::string("enter button ") + (d.edit->ButtonShown() ? "1" : "0") +
                       " colour " + (d.edit->Color() == clWhite ? "active" : "deactive"));
    };
    d.edit->OnExit = [&](TComponent*) {
        seen.push_back(std::string("exit button ") + (d.edit->ButtonShown() ? "1" : "0"));
    };
    d.edit->SetDeactiveColor(clInfoBk);
    d.TabInto();
    EXPECT_EQ(d.edit->SelLength(), 9) << "AutoSelect";
    EXPECT_EQ(d.edit->Color(), clWhite);
    d.TabOut();
    EXPECT_EQ(d.edit->Color(), clInfoBk);
    EXPECT_EQ(seen, (std::vector<std::string>{"enter button 0 colour deactive", "exit button 1"}));
}

// The height rule worked out from the platform's text metrics.
int ExpectedHeight(TFont& font, bool border, bool ctl3D) {
    WindowDC screen(nullptr);
    TEXTMETRICA system{}, metrics{};
    {
        SelectedObject s(screen.Get(), GetStockObject(SYSTEM_FONT));
        GetTextMetricsA(screen.Get(), &system);
    }
    {
        SelectedObject s(screen.Get(), font.Handle());
        GetTextMetricsA(screen.Get(), &metrics);
    }
    if (!border) return metrics.tmHeight;
    const int cy = GetSystemMetrics(SM_CYBORDER);
    return metrics.tmHeight + std::min(system.tmHeight, metrics.tmHeight) / 4 + 4 * cy - 1 +
           (ctl3D ? 2 : 0);
}

TEST(EllipsesEditLook, FontChangeGivesTheRuleHeight) {
    Dialog d;
    TEllipsesEdit& e = *d.edit;
    const int dialogFont = ExpectedHeight(e.Font(), true, true);
    EXPECT_EQ(e.Height(), dialogFont);
    e.SetBounds(e.Left(), e.Top(), e.Width(), 45);
    EXPECT_EQ(e.Height(), dialogFont) << "whatever height it is given";

    e.Font().SetHeight(-24);
    const int large = ExpectedHeight(e.Font(), true, true);
    EXPECT_GT(large, dialogFont + 10);
    EXPECT_EQ(e.Height(), large);
    RECT window;
    GetWindowRect(e.Handle(), &window);
    EXPECT_EQ(window.bottom - window.top, large);
    EXPECT_EQ(e.Button().Height(), large - 4) << "the button follows";

    e.SetCtl3D(false);
    EXPECT_EQ(e.Height(), large - 2);
    e.SetBorderStyle(bsNone);
    EXPECT_EQ(e.Height(), ExpectedHeight(e.Font(), false, false));
}

TEST(EllipsesEditWindow, StyleFollowsEditStyleAndPasswordCharAndKeepsTheText) {
    Dialog d(esNormal);
    TEllipsesEdit& e = *d.edit;
    e.SetText("secret");
    auto style = [&] { return GetWindowLongPtrA(e.Handle(), GWL_STYLE); };
    EXPECT_FALSE(style() & ES_MULTILINE);
    const HWND before = e.Handle();
    e.SetEditStyle(esEllipses);
    EXPECT_NE(e.Handle(), before) << "a new window";
    EXPECT_TRUE(style() & ES_MULTILINE);
    EXPECT_EQ(e.Text(), "secret");

    // A multi-line window would show a password in clear: the window stays
    // single-line and keeps off the button with its right margin.
    e.SetEditStyle(esAlwaysEllipses);
    e.SetPasswordChar('*');
    EXPECT_TRUE(style() & ES_PASSWORD);
    EXPECT_EQ(SendMessageA(e.Handle(), EM_GETPASSWORDCHAR, 0, 0), '*');
    EXPECT_EQ(HIWORD(SendMessageA(e.Handle(), EM_GETMARGINS, 0, 0)), e.Button().Width() + 2);
    EXPECT_EQ(e.Text(), "secret");
}

}  // namespace
}  // namespace qm
