// The standard and extended controls under Wine: state before and after the window
// exists, the user's actions through the platform's notifications, the radio group,
// page control, hot key, speed button and file dialogs.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "framework/Application.h"
#include "framework/Buttons.h"
#include "framework/ComCtrls.h"
#include "framework/Dialogs.h"
#include "framework/ExtCtrls.h"
#include "framework/Form.h"
#include "framework/StdCtrls.h"

namespace qm {
namespace {

template <typename T>
T* Add(TForm& form, TWinControl* parent = nullptr) {
    auto* c = new T(&form);
    c->SetParent(parent ? parent : &form);
    return c;
}

TEST(RadioGroup, IndexIsClampedAndOnlyTheUsersChoiceRaisesOnClick) {
    TForm form(nullptr);
    auto* group = Add<TRadioGroup>(form);
    group->SetBounds(8, 8, 89, 73);
    for (const char* item : {"one", "two", "three"})
        group->Items().Add(item);
    int clicks = 0;
    group->OnClick = [&](TComponent* sender) {
        EXPECT_EQ(sender, group);
        ++clicks;
    };
    EXPECT_EQ(group->ItemIndex(), -1);
    group->SetItemIndex(7);
    EXPECT_EQ(group->ItemIndex(), 2);
    group->SetItemIndex(-5);
    EXPECT_EQ(group->ItemIndex(), -1);
    group->SetItemIndex(1);
    EXPECT_EQ(clicks, 0);

    // The buttons are the group's children, one per item, laid out top to bottom.
    ASSERT_EQ(group->ControlCount(), 3);
    auto* third = dynamic_cast<TRadioButton*>(group->Controls(2));
    ASSERT_NE(third, nullptr);
    EXPECT_EQ(third->Caption(), "three");
    EXPECT_GT(third->Top(), group->Controls(1)->Top());
    EXPECT_TRUE(static_cast<TRadioButton*>(group->Controls(1))->Checked());

    SendMessageA(third->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(group->ItemIndex(), 2);
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(static_cast<TRadioButton*>(group->Controls(1))->Checked());
    EXPECT_EQ(SendMessageA(third->Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);

    group->Items().Delete(2);
    EXPECT_EQ(group->ControlCount(), 2);
    EXPECT_EQ(group->ItemIndex(), 1) << "the selection follows the list's end";
}

TEST(CheckBox, GrayedIsNotCheckedAndChangesRaiseOnClick) {
    TForm form(nullptr);
    auto* box = Add<TCheckBox>(form);
    int clicks = 0;
    box->OnClick = [&](TComponent*) { ++clicks; };
    box->SetState(cbGrayed);
    EXPECT_EQ(box->State(), cbUnchecked) << "grayed only when allowed";
    box->SetAllowGrayed(true);
    box->SetState(cbGrayed);
    EXPECT_FALSE(box->Checked());
    EXPECT_EQ(SendMessageA(box->Handle(), BM_GETCHECK, 0, 0), BST_INDETERMINATE);
    box->SetChecked(true);
    box->SetChecked(true);
    EXPECT_EQ(clicks, 2);

    SendMessageA(box->Handle(), BM_CLICK, 0, 0);  // the user: checked -> grayed
    EXPECT_EQ(box->State(), cbGrayed);
    SendMessageA(box->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(box->State(), cbUnchecked);
    EXPECT_EQ(clicks, 4);
}

TEST(RadioButton, CheckingOneUnchecksItsSiblingsOnly) {
    TForm form(nullptr);
    auto* a = Add<TRadioButton>(form);
    auto* b = Add<TRadioButton>(form);
    auto* group = Add<TGroupBox>(form);
    auto* other = Add<TRadioButton>(form, group);
    other->SetChecked(true);
    a->SetChecked(true);
    SendMessageA(b->Handle(), BM_CLICK, 0, 0);
    EXPECT_TRUE(b->Checked());
    EXPECT_FALSE(a->Checked());
    EXPECT_TRUE(other->Checked());
    EXPECT_TRUE(b->TabStop());
    EXPECT_FALSE(a->TabStop());
}

TEST(GroupBox, CaptionSetAfterTheWindowExistedWasLost) {
    TForm form(nullptr);
    auto* group = Add<TGroupBox>(form);
    group->HandleNeeded();
    group->SetCaption("later");
    EXPECT_EQ(group->Caption(), "later");
}

TEST(Edit, TextAndOnChangeBeforeAndAfterTheWindowExists) {
    TForm form(nullptr);
    auto* edit = Add<TEdit>(form);
    std::vector<std::string> changes;
    edit->OnChange = [&](TComponent*) { changes.push_back(edit->Text()); };
    edit->SetText("before");
    edit->HandleNeeded();
    EXPECT_EQ(edit->Text(), "before");
    edit->SetText("after");
    edit->SetText("after");
    SetWindowTextA(edit->Handle(), "typed");
    EXPECT_EQ(changes, (std::vector<std::string>{"before", "after", "typed"}));

    edit->SelectAll();
    EXPECT_EQ(edit->SelStart(), 0);
    EXPECT_EQ(edit->SelLength(), 5);
    edit->SetReadOnly(true);
    EXPECT_TRUE(GetWindowLongPtrA(edit->Handle(), GWL_STYLE) & ES_READONLY);
    edit->SetMaxLength(3);
    SetFocus(edit->Handle());
    SendMessageA(edit->Handle(), EM_SETREADONLY, FALSE, 0);
    SendMessageA(edit->Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
    SendMessageA(edit->Handle(), EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>("abcdef"));
    EXPECT_EQ(edit->Text(), "abc");
}

TEST(ListAndComboBox, ItemsAndIndexSurviveTheWindow) {
    TForm form(nullptr);
    auto* list = Add<TListBox>(form);
    auto* combo = Add<TComboBox>(form);
    for (TControlItems* items : {&list->Items(), &combo->Items()}) {
        items->Add("a");
        items->Add("b");
        items->Add("c");
    }
    list->SetItemIndex(2);
    combo->SetItemIndex(5);
    EXPECT_EQ(combo->ItemIndex(), -1) << "out of range selects nothing";
    combo->SetItemIndex(1);
    form.HandleNeeded();
    EXPECT_EQ(SendMessageA(list->Handle(), LB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(list->ItemIndex(), 2);
    EXPECT_EQ(combo->ItemIndex(), 1);

    SendMessageA(list->Handle(), LB_SETCURSEL, 0, 0);  // as the user would
    combo->SetStyle(csDropDownList);                   // a new window
    list->Items().Insert(0, "first");
    EXPECT_EQ(list->ItemIndex(), 1);
    EXPECT_EQ(combo->ItemIndex(), 1);
    EXPECT_EQ(SendMessageA(combo->Handle(), CB_GETCOUNT, 0, 0), 3);
    form.DestroyHandle();
    EXPECT_EQ(list->ItemIndex(), 1);
    EXPECT_EQ(list->Items().Get(0), "first");
}

TEST(PageControl, FirstPageIsActiveAndTheUsersTabShowsItsPage) {
    TForm form(nullptr);
    form.SetBounds(0, 0, 400, 300);
    auto* pages = Add<TPageControl>(form);
    pages->SetBounds(0, 0, 400, 273);
    TTabSheet* sheets[3];
    for (int i = 0; i < 3; ++i) {
        sheets[i] = new TTabSheet(&form);
        sheets[i]->SetCaption("page" + std::to_string(i));
        sheets[i]->SetPageControl(pages);
    }
    EXPECT_EQ(pages->ActivePage(), sheets[0]);
    EXPECT_TRUE(sheets[0]->Visible());
    EXPECT_FALSE(sheets[1]->Visible());
    int changes = 0;
    pages->OnChange = [&](TComponent*) { ++changes; };

    form.Show();
    Application().ProcessMessages();
    EXPECT_EQ(SendMessageA(pages->Handle(), TCM_GETITEMCOUNT, 0, 0), 3);
    EXPECT_GT(sheets[1]->Width(), 300) << "sheets fill the display area";
    RECT tab;
    SendMessageA(pages->Handle(), TCM_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&tab));
    const LPARAM at = MAKELPARAM((tab.left + tab.right) / 2, (tab.top + tab.bottom) / 2);
    SendMessageA(pages->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(pages->Handle(), WM_LBUTTONUP, 0, at);
    EXPECT_EQ(pages->ActivePage(), sheets[2]);
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(IsWindowVisible(sheets[2]->Handle()));
    EXPECT_FALSE(IsWindowVisible(sheets[0]->Handle()));

    pages->SetActivePageIndex(0);
    EXPECT_EQ(SendMessageA(pages->Handle(), TCM_GETCURSEL, 0, 0), 0);
    delete sheets[0];
    EXPECT_EQ(pages->PageCount(), 2);
    EXPECT_EQ(pages->ActivePage(), sheets[1]);
}

TEST(HotKey, ModifiersConvertBothWays) {
    for (unsigned mods = 0; mods < 8; ++mods) {
        TShortCut s = 'K';
        BYTE platform = 0;
        if (mods & 1) s |= scShift, platform |= HOTKEYF_SHIFT;
        if (mods & 2) s |= scCtrl, platform |= HOTKEYF_CONTROL;
        if (mods & 4) s |= scAlt, platform |= HOTKEYF_ALT;
        EXPECT_EQ(ShortCutToHotKeyValue(s), MAKEWORD('K', platform));
        EXPECT_EQ(HotKeyValueToShortCut(MAKEWORD('K', platform | HOTKEYF_EXT)), s);
    }
    TForm form(nullptr);
    auto* hotKey = Add<THotKey>(form);
    hotKey->SetHotKey(scCtrl | scShift | VK_F5);
    EXPECT_EQ(SendMessageA(hotKey->Handle(), HKM_GETHOTKEY, 0, 0),
              MAKEWORD(VK_F5, HOTKEYF_CONTROL | HOTKEYF_SHIFT));
    SendMessageA(hotKey->Handle(), HKM_SETHOTKEY, MAKEWORD('Q', HOTKEYF_ALT), 0);
    EXPECT_EQ(hotKey->HotKey(), scAlt | 'Q');
}

TEST(SpeedButton, PressShowsPressedAndReleaseOverItClicks) {
    TForm form(nullptr);
    auto* edit = Add<TEdit>(form);
    edit->SetBounds(0, 0, 120, 21);
    auto* button = new TSpeedButton(&form);
    button->SetParent(edit);  // inside an edit box, as the ellipsis edit has it
    button->SetBounds(100, 0, 18, 17);
    int clicks = 0;
    button->OnClick = [&](TComponent*) { ++clicks; };
    form.Show();
    auto* other = Add<TButton>(form);
    other->SetBounds(0, 40, 75, 25);
    other->SetFocus();

    const LPARAM on = MAKELPARAM(105, 5);
    SendMessageA(edit->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, on);
    EXPECT_TRUE(button->Pressed());
    EXPECT_NE(GetFocus(), edit->Handle()) << "the edit never saw the press";
    SendMessageA(edit->Handle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_FALSE(button->Pressed()) << "dragged off";
    SendMessageA(edit->Handle(), WM_MOUSEMOVE, MK_LBUTTON, on);
    SendMessageA(edit->Handle(), WM_LBUTTONUP, 0, on);
    EXPECT_FALSE(button->Pressed());
    EXPECT_EQ(clicks, 1);

    SendMessageA(edit->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, on);
    SendMessageA(edit->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));  // released elsewhere
    EXPECT_EQ(clicks, 1);
}

TEST(SpeedButton, ClickHandlerRanWithTheMouseStillCaptured) {
    TForm form(nullptr);
    auto* edit = Add<TEdit>(form);
    edit->SetBounds(0, 0, 120, 21);
    auto* button = new TSpeedButton(&form);
    button->SetParent(edit);
    button->SetBounds(100, 0, 18, 17);
    HWND captured = reinterpret_cast<HWND>(1);
    // A click that opens a dialog needs the mouse free.
    button->OnClick = [&](TComponent*) { captured = GetCapture(); };
    form.Show();
    const LPARAM on = MAKELPARAM(105, 5);
    SendMessageA(edit->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, on);
    SendMessageA(edit->Handle(), WM_LBUTTONUP, 0, on);
    EXPECT_EQ(captured, nullptr);
}

TEST(Application, ProcessMessagesDeliversQueuedMessagesInsideAHandler) {
    TForm form(nullptr);
    auto* button = Add<TButton>(form);
    std::vector<std::string> order;
    form.AddMessageHook([&](TMessage& m) {
        if (m.Msg == WM_USER + 5) order.push_back("queued");
        return false;
    });
    button->OnClick = [&](TComponent*) {
        PostMessageA(form.Handle(), WM_USER + 5, 0, 0);
        Application().ProcessMessages();
        order.push_back("handler ends");
    };
    SendMessageA(button->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(order, (std::vector<std::string>{"queued", "handler ends"}));
}

TEST(FileDialogs, FilterTakesThePlatformsForm) {
    EXPECT_EQ(PlatformFilter(""), "");
    EXPECT_EQ(PlatformFilter("Settings (*.ini)|*.ini"),
              std::string("Settings (*.ini)\0*.ini\0\0", 24));
}

// Answers the dialog the test thread opens, once it is there.
HWND FindDialog() {
    HWND found = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND w, LPARAM p) -> BOOL {
            char name[16] = {};
            GetClassNameA(w, name, sizeof name);
            if (std::string(name) == "#32770" && IsWindowVisible(w)) {
                *reinterpret_cast<HWND*>(p) = w;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

WPARAM dialogAnswer = IDCANCEL;

void CALLBACK AnswerDialog(HWND, UINT, UINT_PTR timer, DWORD) {
    if (HWND dialog = FindDialog()) {
        KillTimer(nullptr, timer);
        PostMessageA(dialog, WM_COMMAND, dialogAnswer, 0);
    }
}

TEST(FileDialogs, CancelAnswersFalseAndOkGivesTheChosenName) {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    TOpenDialog open(nullptr);
    open.SetInitialDir(temp);
    open.SetFileName("keep.txt");
    dialogAnswer = IDCANCEL;
    SetTimer(nullptr, 0, 100, AnswerDialog);
    EXPECT_FALSE(open.Execute());
    EXPECT_EQ(open.FileName(), "keep.txt");

    TSaveDialog save(nullptr);
    save.SetInitialDir(temp);
    save.SetFilter("Settings (*.ini)|*.ini");
    save.SetDefaultExt("ini");
    save.SetFileName("work");
    dialogAnswer = IDOK;
    SetTimer(nullptr, 0, 100, AnswerDialog);
    ASSERT_TRUE(save.Execute());
    const std::string name = save.FileName();
    EXPECT_EQ(name.substr(name.size() - 9), "\\work.ini") << name;
}

}  // namespace
}  // namespace qm
