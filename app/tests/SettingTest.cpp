// The filter handler on the real clipboard, in the test process.
#include <gtest/gtest.h>

#include "app/Setting.h"

#include <algorithm>
#include <fstream>
#include <sstream>

#include "app/HotKeys.h"
#include "app/LeftAlone.h"
#include "app/TrayIcon.h"
#include "base/Path.h"
#include "cli/FilterCommand.h"
#include "clipboard/Clipboard.h"
#include "clipboard/WatchClipBoard.h"
#include "clipboard/tests/ClipboardTestSupport.h"
#include "controls/BigView.h"
#include "controls/EllipsEd.h"
#include "framework/Application.h"
#include "framework/ComCtrls.h"
#include "framework/ExtCtrls.h"
#include "framework/Memo.h"
#include "framework/Menus.h"
#include "framework/Messages.h"
#include "framework/StdCtrls.h"
#include "settings/AutoIni.h"

namespace qm {
namespace {

TEST(TForm1, SuspendArguments) {
    for (const char* yes : {"d", "S", "Disable", "suspend"})
        EXPECT_TRUE(TForm1::IsSuspendArgument(yes)) << yes;
    for (const char* no : {"-d", "", "x", "/s"})
        EXPECT_FALSE(TForm1::IsSuspendArgument(no)) << no;
}

std::string ReadFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string UserName() {
    char name[256];
    DWORD size = sizeof name;
    return GetUserNameA(name, &size) ? name : "";
}

// "[user]" and a line break, the user's section header.
std::string SectionLine() {
    std::string line(1, '[');
    line += UserName();
    line += "]\r\n";
    return line;
}

// The keys of one section of a settings file, in file order.
std::vector<std::string> KeysOf(const std::string& ini, const std::string& section) {
    std::vector<std::string> keys;
    std::istringstream lines(ini);
    std::string line;
    bool in = false;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line[0] == '[') {
            in = line == "[" + section + "]";
        } else if (in && line.find('=') != std::string::npos) {
            keys.push_back(line.substr(0, line.find('=')));
        }
    }
    return keys;
}

struct FormTest : ::testing::Test {
    void SetUp() override {
        Application().SetErrorDisplay([this](const std::string& m) { errors.push_back(m); });
        TAutoIni::SetMessageDisplay([this](const std::string& m) { errors.push_back(m); });
        DeleteFileA(ini.c_str());
        RemoveDirectoryA(ini.c_str());
    }
    void TearDown() override {
        form.reset();
        Application().SetErrorDisplay(nullptr);
        TAutoIni::SetMessageDisplay(nullptr);
        SetPriorityClass(GetCurrentProcess(), NORMAL_PRIORITY_CLASS);
        DeleteFileA(ini.c_str());
        RemoveDirectoryA(ini.c_str());
    }
    void Start(std::vector<std::string> arguments = {}) {
        form = std::make_unique<TForm1>();
        form->FormCreate(arguments);
    }
    std::unique_ptr<TForm1> form;
    std::vector<std::string> errors;
    const std::string folder = ProgramFolder();
    const std::string ini = ProgramPath().substr(0, ProgramPath().rfind('.')) + ".ini";
};

TEST_F(FormTest, FiltersACopyOnceAndIdlesAfterwards) {
    form = std::make_unique<TForm1>();
    form->FormCreate({});
    EXPECT_EQ(GetPriorityClass(GetCurrentProcess()), static_cast<DWORD>(IDLE_PRIORITY_CLASS));
    int runs = 0;
    form->WatchClipBoard1->OnAddText = [&](TComponent* s) {
        ++runs;
        form->ClipTrapClipChange(s);
    };
    PutText("a\nb\n");
    ASSERT_TRUE(PumpUntil([] { return ReadClipboardText() == "a\r\nb"; }));
    Settle();
    // The run and the notification of its own write: the second finds Busy set.
    EXPECT_EQ(runs, 2);
    EXPECT_FALSE(form->Busy);
    EXPECT_EQ(GetPriorityClass(GetCurrentProcess()), static_cast<DWORD>(IDLE_PRIORITY_CLASS));
    EXPECT_TRUE(errors.empty());
}

TEST_F(FormTest, SuspendedLeavesClipboardAndPriorityAlone) {
    form = std::make_unique<TForm1>();
    form->FormCreate({"x", "s"});
    ASSERT_TRUE(form->Suspended);
    SetPriorityClass(GetCurrentProcess(), NORMAL_PRIORITY_CLASS);
    PutText("a\nb");
    Settle();
    Settle();
    EXPECT_EQ(ReadClipboardText(), "a\nb");
    EXPECT_EQ(GetPriorityClass(GetCurrentProcess()), static_cast<DWORD>(NORMAL_PRIORITY_CLASS));
}

TEST_F(FormTest, BusyRunIgnoresANotification) {
    form = std::make_unique<TForm1>();
    form->FormCreate({});
    form->Busy = true;
    PutText("a\nb");
    Settle();
    Settle();
    EXPECT_EQ(ReadClipboardText(), "a\nb");
}

TEST_F(FormTest, OkWritesTheUsersSectionWithTheKeysInWalkOrder) {
    Start();
    form->NumberMode->SetItemIndex(1);
    form->OkButtonClick(form->OkButton);
    const std::vector<std::string> expected = {
        "Form1Top",   "Form1Left",       "NumberMode",      "AlphabetMode", "SignMode",
        "SpaceMode",  "KanaMode1",       "KanaMode2",       "ReturnMode",   "PunctuationMode",
        "PeriodMode", "ParenthesisMode", "EnterDeleteMode", "DelDmySpc",    "DelConma",
        "UpDownCase", "Space2Tab",       "TagDelete",       "AddLI",        "RepAmp",
        "RepLG",      "RepQuot",         "RepNumber",       "DelEmptyLine", "ShowForm",
        "URLHelper",  "RemoveIme",       "UseCustomFilter", "FilterFile",   "HotKeySuspend",
        "HotKeyUndo", "ExcludePrograms"};
    EXPECT_EQ(KeysOf(ReadFile(ini), UserName()), expected);
    EXPECT_NE(ReadFile(ini).find("NumberMode=1"), std::string::npos);
    EXPECT_TRUE(errors.empty());
}

// Every option the dialog saves, the command line's --ini reads back as the dialog
// holds it: the two read one file by one set of rules.
TEST_F(FormTest, TheCommandLineReadsEveryOptionTheDialogSaved) {
    using Kind = FilterOptionField::Kind;
    Start();
    for (const FilterOptionField& f : FilterOptionFields()) {
        TComponent* control = form->FindComponent(f.name);
        if (f.kind == Kind::Check) {
            ASSERT_TRUE(dynamic_cast<TCheckBox*>(control)) << f.name;
            static_cast<TCheckBox*>(control)->SetChecked(true);
        } else if (f.kind == Kind::Radio) {
            auto* group = dynamic_cast<TRadioGroup*>(control);
            ASSERT_TRUE(group) << f.name;
            EXPECT_EQ(group->Items().Count(), f.items) << f.name;
            group->SetItemIndex(f.items - 1);
        } else {
            ASSERT_TRUE(dynamic_cast<TEdit*>(control)) << f.name;
            // C:\<hyo>\rules.txt: the kanji 0x955C ends with the byte of "\"
            static_cast<TEdit*>(control)->SetText("C:\\\x95\x5C\\rules.txt");
        }
    }
    form->OkButtonClick(form->OkButton);
    const FilterCommand read = ParseFilterCommand({"--ini", ini, "--section", UserName()});
    ASSERT_EQ(read.action, FilterCommand::Action::Filter) << read.error;
    const FilterOptions saved = form->CurrentOptions(), initial;
    for (const FilterOptionField& f : FilterOptionFields()) {
        if (f.kind == Kind::Check) {
            EXPECT_NE(saved.*f.check, initial.*f.check) << f.name;
            EXPECT_EQ(read.options.*f.check, saved.*f.check) << f.name;
        } else if (f.kind == Kind::Radio) {
            EXPECT_NE(saved.*f.radio, initial.*f.radio) << f.name;
            EXPECT_EQ(read.options.*f.radio, saved.*f.radio) << f.name;
        } else {
            EXPECT_NE(saved.*f.text, initial.*f.text) << f.name;
            EXPECT_EQ(read.options.*f.text, saved.*f.text) << f.name;
        }
    }
    EXPECT_TRUE(errors.empty());
}

TEST_F(FormTest, ADialogChangeFiltersTheNextCopyBeforeOk) {
    Start();
    form->NumberMode->SetItemIndex(1);
    PutText("\x82\x51\x82\x4f\x82\x51\x82\x55");  // 2026 in full-width digits
    ASSERT_TRUE(PumpUntil([] { return ReadClipboardText() == "2026"; }));
    EXPECT_FALSE(FileExists(ini));
}

TEST_F(FormTest, CancelRestoresTheSavedStateAndTheCloseBoxOnlyHides) {
    Start();
    form->NumberMode->SetItemIndex(1);
    form->OkButtonClick(form->OkButton);
    const std::string saved = ReadFile(ini);
    form->ShowDialog();
    form->NumberMode->SetItemIndex(2);
    form->Close();  // the close box while the dialog is on screen
    EXPECT_FALSE(form->Visible());
    EXPECT_EQ(form->NumberMode->ItemIndex(), 2);
    EXPECT_EQ(ReadFile(ini), saved);
    form->CancelButtonClick(form->CancelButton);
    EXPECT_EQ(form->NumberMode->ItemIndex(), 1);
}

TEST_F(FormTest, ExitSavesChangesNeverConfirmed) {
    Start();
    form->ShowDialog();
    form->TagDelete->SetChecked(true);
    form->ExitProgramClick(nullptr);
    EXPECT_FALSE(form->Visible());
    EXPECT_NE(ReadFile(ini).find("TagDelete=1"), std::string::npos);
}

TEST_F(FormTest, UnreadableSettingsAreReportedOnceAndNotOverwrittenAtExit) {
    const std::string saved = SectionLine() + "NumberMode=1\r\n";
    WriteFile(ini, saved);
    // A sync tool holds the file while the program starts.
    HANDLE held = CreateFileA(ini.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    Start();
    CloseHandle(held);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].rfind(kSettingsNotReadMessage, 0), 0u) << errors[0];
    EXPECT_NE(errors[0].find(ini), std::string::npos);
    form->ExitProgramClick(nullptr);
    EXPECT_EQ(ReadFile(ini), saved);
}

TEST_F(FormTest, ExitEndsAndOkKeepsTheDialogWhenTheSettingsCannotBeWritten) {
    Start();
    ASSERT_TRUE(CreateDirectoryA(ini.c_str(), nullptr));  // a folder where the file goes
    form->ShowDialog();
    form->OkButtonClick(form->OkButton);
    EXPECT_TRUE(form->Visible());
    EXPECT_EQ(errors.size(), 1u);
    form->HideDialog();
    bool canClose = false;
    form->FormCloseQuery(form.get(), canClose);
    EXPECT_TRUE(canClose);
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_EQ(errors[1].rfind(kSettingsNotSavedMessage, 0), 0u) << errors[1];
}

TEST_F(FormTest, AFailedStartUpStepSkipsNoLaterOne) {
    const std::string rules = folder + "\\qm-held.txt";
    WriteFile(rules, "a\tb\r\n");
    WriteFile(ini, SectionLine() + "FilterFile=" + rules + "\r\n");
    // An editor holds the filter file without sharing it: the view cannot show it.
    HANDLE held = CreateFileA(rules.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    Start({"s"});
    CloseHandle(held);
    DeleteFileA(rules.c_str());
    EXPECT_TRUE(form->Suspended);
    EXPECT_EQ(GetPriorityClass(GetCurrentProcess()), static_cast<DWORD>(IDLE_PRIORITY_CLASS));
    EXPECT_NE(form->MenuR->Items().Items(0)->Caption(), "-") << "the presets menu is built";
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find("qm-held.txt"), std::string::npos);
}

TEST_F(FormTest, AStoredPositionOffEveryMonitorComesBackOnScreen) {
    WriteFile(ini, SectionLine() + "Form1Top=-30000\r\nForm1Left=2147483000\r\n");
    Start();
    form->ShowDialog();
    RECT window, work;
    GetWindowRect(form->Handle(), &window);
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_GE(window.left, work.left);
    EXPECT_GE(window.top, work.top);
    EXPECT_LE(window.right, work.right);
    EXPECT_LE(window.bottom, work.bottom);
}

TEST_F(FormTest, EndOfSessionHidesTheDialogAndSavesNothing) {
    Start();
    form->ShowDialog();
    EXPECT_EQ(SendMessageA(form->Handle(), WM_QUERYENDSESSION, 0, 0), 1);
    EXPECT_FALSE(form->Visible());
    EXPECT_FALSE(FileExists(ini));
}

TEST_F(FormTest, TrayClicksSuspendResumeAndShowTheDialog) {
    Start({"Disable"});
    EXPECT_TRUE(form->Suspended);
    EXPECT_EQ(form->TrayIcon->IconIndex(), 1);
    form->TrayIconMouseClick(form->TrayIcon, mbLeft, 0, 0, 0);
    EXPECT_FALSE(form->Suspended);
    EXPECT_EQ(form->TrayIcon->IconIndex(), 0);
    form->TrayIconMouseClick(form->TrayIcon, mbRight, 0, 0, 0);
    EXPECT_FALSE(form->Visible());
    form->TrayIconMouseClick(form->TrayIcon, mbMiddle, 0, 0, 0);
    EXPECT_TRUE(form->Visible());
    EXPECT_EQ(form->PageControl1->ActivePageIndex(), 0);
}

TEST_F(FormTest, PresetsListTheFolderFirstAndLoadTheFileTheyName) {
    const std::string sub = folder + "\\qm-presets";
    CreateDirectoryA(sub.c_str(), nullptr);
    const std::string section = SectionLine();
    WriteFile(folder + "\\qm-top.ini", section + "NumberMode=1\r\n");
    WriteFile(sub + "\\qm-deep.ini", section + "NumberMode=2\r\n");
    // A same-named file in the program's folder must not be the one a subfolder entry loads.
    WriteFile(folder + "\\qm-deep.ini", section + "NumberMode=0\r\n");
    Start();
    std::vector<std::string> captions;
    TMenuItem* deepInSub = nullptr;
    for (int i = 0; i < form->MenuR->Items().Count(); ++i) {
        TMenuItem* item = form->MenuR->Items().Items(i);
        if (item->Caption() == "-") break;
        captions.push_back(item->Caption());
        if (item->Caption() == "qm-deep") deepInSub = item;
    }
    // The subfolder's file comes after every file of the folder itself.
    ASSERT_GE(captions.size(), 3u);
    EXPECT_EQ(captions.back(), "qm-deep");
    EXPECT_EQ(std::count(captions.begin(), captions.end(), "qm-top"), 1);
    ASSERT_NE(deepInSub, nullptr);
    deepInSub->OnClick(deepInSub);
    EXPECT_EQ(form->NumberMode->ItemIndex(), 2);
    // The preset became the saved settings too, and the menu was rebuilt around the click.
    EXPECT_NE(ReadFile(ini).find("NumberMode=2"), std::string::npos);
    EXPECT_EQ(form->AutoSave->AIniFileName(), "");
    DeleteFileA((folder + "\\qm-top.ini").c_str());
    DeleteFileA((folder + "\\qm-deep.ini").c_str());
    DeleteFileA((sub + "\\qm-deep.ini").c_str());
    RemoveDirectoryA(sub.c_str());
}

TEST_F(FormTest, PresetsBeyondTheMenusLimitEndInADisabledEllipsis) {
    const std::string sub = folder + "\\qm-many";
    CreateDirectoryA(sub.c_str(), nullptr);
    for (std::size_t i = 0; i <= kPresetLimit; ++i)
        WriteFile(sub + "\\" + std::to_string(i) + ".ini", "");
    Start();
    TMenuItem& items = form->MenuR->Items();
    const int last = static_cast<int>(kPresetLimit);
    ASSERT_GT(items.Count(), last + 1);
    EXPECT_EQ(items.Items(last)->Caption(), "\x81\x63");  // "..."
    EXPECT_FALSE(items.Items(last)->Enabled());
    EXPECT_EQ(items.Items(last + 1)->Caption(), "-");
    for (std::size_t i = 0; i <= kPresetLimit; ++i)
        DeleteFileA((sub + "\\" + std::to_string(i) + ".ini").c_str());
    RemoveDirectoryA(sub.c_str());
}

TEST_F(FormTest, TheFilterViewShowsTheFilterFileAndOkClearsItWhenTheFileIsGone) {
    const std::string rules = folder + "\\qm-rules.txt";
    WriteFile(rules, "a\tb\r\nc\td\r\n");
    WriteFile(ini, SectionLine() + "FilterFile=" + rules + "\r\n");
    Start();
    EXPECT_EQ(form->FilterView->LineCount(), 2);
    DeleteFileA(rules.c_str());
    form->OkButtonClick(form->OkButton);
    EXPECT_EQ(form->FilterView->LineCount(), 0);
}

// A run that ends with an error must leave the program ready for the next copy.
TEST_F(FormTest, FailedRunLeftBusySetAndTheNextCopyUnfiltered) {
    const std::string rules = folder + "\\qm-locked.txt";
    WriteFile(rules, "a\tb\r\n");
    Start();
    form->UseCustomFilter->SetChecked(true);
    form->FilterFile->SetText(rules);
    HANDLE held = CreateFileA(rules.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    PutText("a\n");
    ASSERT_TRUE(PumpUntil([&] { return !errors.empty(); }));
    EXPECT_NE(errors.front().find("qm-locked.txt"), std::string::npos);
    EXPECT_FALSE(form->Busy);
    EXPECT_EQ(GetPriorityClass(GetCurrentProcess()), static_cast<DWORD>(IDLE_PRIORITY_CLASS));
    EXPECT_EQ(form->TrayIcon->Hint(), "Quillmoth");  // no longer "working"
    EXPECT_EQ(ReadClipboardText(), "a\n");           // what the clipboard held stays
    CloseHandle(held);
    PutText("aa\n");
    ASSERT_TRUE(PumpUntil([] { return ReadClipboardText() == "bb"; }));
    DeleteFileA(rules.c_str());
}

TEST_F(FormTest, ARefusedFilterFileIsReportedOncePerVersionAndCopiesStayAsTheyAre) {
    const std::string rules = folder + "\\qm-binary.txt";
    WriteFile(rules, std::string("a\tb\r\n\0x\r\n", 9));  // a NUL byte: no text file
    Start();
    form->UseCustomFilter->SetChecked(true);
    form->FilterFile->SetText(rules);
    PutText("a\n");
    ASSERT_TRUE(PumpUntil([&] { return !errors.empty(); }));
    PutText("aa\n");
    Settle();
    Settle();
    EXPECT_EQ(errors.size(), 1u) << "no box at the second copy";
    EXPECT_EQ(ReadClipboardText(), "aa\n");
    WriteFile(rules, std::string("a\tb\r\n\0xy\r\n", 10));  // changed, still refused
    PutText("a\n");
    ASSERT_TRUE(PumpUntil([&] { return errors.size() == 2; }));
    EXPECT_EQ(ReadClipboardText(), "a\n");
    DeleteFileA(rules.c_str());
}

std::vector<std::string> ViewLines(const TBigView& view) {
    std::vector<std::string> lines;
    for (int i = 0; i < view.Lines().Count(); ++i)
        lines.push_back(view.Lines().Get(i));
    return lines;
}

// The try-out page starts from the last copy and shows it filtered anew when an option
// changes; a filter file that cannot be read is told in the view, not in a box.
TEST_F(FormTest, TryOutShowsTheLastCopyFilteredAsTheOptionsChange) {
    const std::string rules = folder + "\\qm-tryout.txt";
    WriteFile(rules, "a\tb\r\n");
    Start();
    // full-width 1 2, a tab, full-width A, LF, half-width katakana a
    PutText("\x82\x50\x82\x51\t\x82\x60\n\xb1");
    ASSERT_TRUE(PumpUntil([] { return ReadClipboardText().find("\r\n") != std::string::npos; }));
    form->ShowDialog();
    EXPECT_EQ(form->SampleText->Text(), "\x82\x50\x82\x51\t\x82\x60\r\n\xb1");
    EXPECT_EQ(ViewLines(*form->SampleView),
              (std::vector<std::string>{"\x82\x50\x82\x51\t\x82\x60", "\xb1"}));
    // The user picks half-width digits.
    SendMessageA(static_cast<TWinControl*>(form->NumberMode->Controls(1))->Handle(), BM_CLICK, 0,
                 0);
    EXPECT_EQ(ViewLines(*form->SampleView), (std::vector<std::string>{"12\t\x82\x60", "\xb1"}));

    form->FilterFile->SetText(rules);
    HANDLE held = CreateFileA(rules.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    form->UseCustomFilter->SetChecked(true);
    ASSERT_EQ(form->SampleView->LineCount(), 1);
    EXPECT_NE(form->SampleView->Lines().Get(0).find("qm-tryout.txt"), std::string::npos);
    EXPECT_TRUE(errors.empty());
    CloseHandle(held);
    DeleteFileA(rules.c_str());
}

TEST(TryOut, SampleIsCutBeforeATwoByteCharacterThatWouldNotFit) {
    std::string copy(64 * 1024 - 1, 'a');
    copy += "\x82\xa0";  // hiragana a across the limit
    EXPECT_EQ(SampleOf(copy), std::string(64 * 1024 - 1, 'a'));
}

// Undo puts back the bytes the last changing run read, and only while the clipboard
// still holds that run's result; its own write is not filtered again.
TEST_F(FormTest, UndoPutsBackTheOriginalUntilTheClipboardMovesOn) {
    Start();
    form->NumberMode->SetItemIndex(1);
    const auto undoEnabled = [&] {
        form->MenuR->OnPopup(form->MenuR);
        return form->Undo1->Enabled();
    };
    EXPECT_FALSE(undoEnabled());
    const std::string original = "\x82\x51\x82\x4f\r\n";  // 20 in full-width digits
    PutText(original);
    ASSERT_TRUE(PumpUntil([] { return ReadClipboardText() == "20\r\n"; }));
    EXPECT_TRUE(undoEnabled());
    form->Undo1Click(form->Undo1);
    EXPECT_EQ(ReadClipboardText(), original);
    // A notice of the restore that comes late is recognised as well.
    SendMessageA(form->WatchClipBoard1->WindowHandle(), WM_DRAWCLIPBOARD, 0, 0);
    Settle();
    EXPECT_EQ(ReadClipboardText(), original);
    EXPECT_FALSE(undoEnabled());

    PutText("\x82\x52");  // 3 in a full-width digit
    ASSERT_TRUE(PumpUntil([] { return ReadClipboardText() == "3"; }));
    PutText("plain");  // a copy the filter leaves alone: the 3 can no longer be put back
    Settle();
    EXPECT_FALSE(undoEnabled());
    form->Undo1Click(form->Undo1);
    EXPECT_EQ(ReadClipboardText(), "plain");
    EXPECT_TRUE(errors.empty());
}

// WM_HOTKEY suspends as a left click does; a key that another program holds is named
// in one message, and the other key is registered all the same.
TEST_F(FormTest, HotKeysAreRegisteredAndAKeyHeldElsewhereIsNamed) {
    ASSERT_TRUE(RegisterHotKey(nullptr, 0x51, MOD_CONTROL | MOD_ALT, VK_F9));
    Start();
    form->HotKeySuspend->SetHotKey(scCtrl | scAlt | VK_F10);
    form->HotKeyUndo->SetHotKey(scCtrl | scAlt | VK_F9);
    form->OkButtonClick(form->OkButton);
    ASSERT_TRUE(PumpUntil([&] { return !errors.empty(); }));
    EXPECT_EQ(errors.size(), 1u);
    EXPECT_NE(errors.front().find("Ctrl+Alt+F9"), std::string::npos);
    EXPECT_FALSE(RegisterHotKey(nullptr, 0x52, MOD_CONTROL | MOD_ALT, VK_F10));
    PostMessageA(Application().Handle(), WM_HOTKEY, GlobalHotKeys::kSuspend, 0);
    ASSERT_TRUE(PumpUntil([&] { return form->Suspended; }));
    EXPECT_EQ(form->TrayIcon->IconIndex(), 1);
    UnregisterHotKey(nullptr, 0x51);
}

TEST_F(FormTest, CopiesOfAListedProgramAreLeftAlone) {
    Start();
    std::string self = ProgramFileName();
    CharUpperA(self.data());
    form->ExcludePrograms->SetText("other.exe; " + self);
    PutText("a\nb");  // the test's own window owns this copy
    Settle();
    EXPECT_EQ(ReadClipboardText(), "a\nb");
    form->ExcludePrograms->SetText("other.exe");
    PutText("c\nd");
    ASSERT_TRUE(PumpUntil([] { return ReadClipboardText() == "c\r\nd"; }));
}

TEST(LeftAlone, ListedNamesMatchByBareNameInAnyCase) {
    // Blanks round the names, a folder, and a name whose katakana so (0x83 0x5C) has "\"
    // for its second byte.
    const std::string list = " KeePass.exe ;C:\\Tools\\\x83\x5C\x83\x74\x83\x67.exe; ";
    EXPECT_TRUE(IsListedProgram(list, L"keepass.EXE"));
    EXPECT_TRUE(IsListedProgram(list, L"\u30bd\u30d5\u30c8.exe"));
    EXPECT_FALSE(IsListedProgram(list, L"\u30d5\u30c8.exe"));
    EXPECT_FALSE(IsListedProgram(list, L"KeePass"));
    EXPECT_FALSE(IsListedProgram(list, L""));
}

}  // namespace
}  // namespace qm
