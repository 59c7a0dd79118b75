// The control-state store on a real form holding every control kind, under Wine's
// private-profile functions.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "base/Exception.h"
#include "base/Path.h"
#include "framework/Application.h"
#include "framework/ComCtrls.h"
#include "framework/ExtCtrls.h"
#include "framework/Form.h"
#include "framework/Messages.h"
#include "framework/StdCtrls.h"
#include "settings/AutoIni.h"

namespace qm {
namespace {

template <typename T>
T* Add(TComponent* owner, TWinControl* parent, const char* name) {
    auto* c = new T(owner);
    c->SetName(name);
    c->SetParent(parent);
    return c;
}

// Every kind, in a page control and a group box; a button and a form-level check box.
struct TestForm : TForm {
    TestForm() : TForm(nullptr) {
        SetName("Form1");
        SetBounds(100, 50, 320, 240);
        pages = Add<TPageControl>(this, this, "PageControl1");
        auto* page1 = new TTabSheet(this);
        page1->SetName("Page1");
        page1->SetPageControl(pages);
        auto* page2 = new TTabSheet(this);
        page2->SetName("Page2");
        page2->SetPageControl(pages);

        radioGroup = Add<TRadioGroup>(this, page1, "RadioGroup1");
        for (const char* item : {"a", "b", "c"})
            radioGroup->Items().Add(item);
        group = Add<TGroupBox>(this, page1, "GroupBox1");
        checkBox = Add<TCheckBox>(this, group, "CheckBox1");
        radioButton = Add<TRadioButton>(this, group, "RadioButton1");
        edit = Add<TEdit>(this, page1, "Edit1");

        listBox = Add<TListBox>(this, page2, "ListBox1");
        for (const char* item : {"x", "y", "z"})
            listBox->Items().Add(item);
        comboBox = Add<TComboBox>(this, page2, "ComboBox1");
        for (const char* item : {"p", "q"})
            comboBox->Items().Add(item);
        shape = Add<TShape>(this, page2, "Shape1");  // added after the list box
        hotKey = Add<THotKey>(this, page2, "HotKey1");

        Add<TButton>(this, this, "Button1");
        checkBox2 = Add<TCheckBox>(this, this, "CheckBox2");

        store = new TAutoIni(this);
        store->SetName("AutoSave");
        store->SetCheckWinState(true);
        store->SetSection("tester");
        HandleNeeded();
    }
    TPageControl* pages;
    TRadioGroup* radioGroup;
    TGroupBox* group;
    TCheckBox* checkBox;
    TRadioButton* radioButton;
    TEdit* edit;
    TListBox* listBox;
    TComboBox* comboBox;
    TShape* shape;
    THotKey* hotKey;
    TCheckBox* checkBox2;
    TAutoIni* store;
};

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// The keys of the file in the order of their lines.
std::vector<std::string> Keys(const std::string& path) {
    std::vector<std::string> keys;
    std::istringstream lines(ReadFile(path));
    std::string line;
    while (std::getline(lines, line)) {
        const std::size_t eq = line.find('=');
        if (eq != std::string::npos) keys.push_back(line.substr(0, eq));
    }
    return keys;
}

void Put(const std::string& path, const char* section, const char* key, const char* value) {
    ASSERT_TRUE(WritePrivateProfileStringA(section, key, value, path.c_str()));
}

class AutoIniTest : public ::testing::Test {
  protected:
    void SetUp() override {
        TAutoIni::SetMessageDisplay([this](const std::string& m) { messages.push_back(m); });
        path = ProgramFolder() + "\\autoini_test.ini";
        Remove(path);
        form.store->SetAIniFileName("autoini_test.ini");
    }
    void TearDown() override {
        TAutoIni::SetMessageDisplay(nullptr);
        Remove(path);
    }
    static void Remove(const std::string& file) {
        SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(file.c_str());
    }
    TestForm form;
    std::string path;
    std::vector<std::string> messages;
};

TEST_F(AutoIniTest, FirstSaveWritesTheKeysInWalkOrderAndLaterSavesKeepForeignKeys) {
    form.store->SaveToIniFile();
    EXPECT_EQ(form.store->FileName(), path);
    const std::vector<std::string> walk{"Form1Top",     "Form1Left", "RadioGroup1", "CheckBox1",
                                        "RadioButton1", "Edit1",     "Shape1",      "ListBox1",
                                        "ComboBox1",    "HotKey1",   "CheckBox2"};
    EXPECT_EQ(Keys(path), walk);
    EXPECT_EQ(ReadFile(path).find("[tester]"), 0u);

    Put(path, "tester", "Other", "kept");
    form.store->SetCheckWinSize(true);
    form.store->SaveToIniFile();
    std::vector<std::string> again = walk;
    again.push_back("Other");
    again.push_back("Form1height");
    again.push_back("Form1width");
    EXPECT_EQ(Keys(path), again);
    EXPECT_TRUE(messages.empty());
}

TEST_F(AutoIniTest, SavedStatesComeBackAndIntegersAreSignedDecimal) {
    form.radioGroup->SetItemIndex(2);
    form.checkBox->SetChecked(true);
    form.radioButton->SetChecked(true);
    form.edit->SetText("C:\\filter.txt");
    form.listBox->SetItemIndex(1);
    form.comboBox->SetItemIndex(0);
    form.shape->Brush().SetColor(clBtnFace);
    form.hotKey->SetHotKey(scCtrl | 'A');
    form.checkBox2->SetChecked(false);
    form.store->SaveToIniFile();

    char value[64];
    GetPrivateProfileStringA("tester", "Shape1", "", value, sizeof value, path.c_str());
    EXPECT_STREQ(value, "-2147483633");
    GetPrivateProfileStringA("tester", "HotKey1", "", value, sizeof value, path.c_str());
    EXPECT_STREQ(value, "16449");
    GetPrivateProfileStringA("tester", "CheckBox1", "", value, sizeof value, path.c_str());
    EXPECT_STREQ(value, "1");

    form.radioGroup->SetItemIndex(0);
    form.checkBox->SetChecked(false);
    form.radioButton->SetChecked(false);
    form.edit->SetText("");
    form.listBox->SetItemIndex(-1);
    form.comboBox->SetItemIndex(1);
    form.shape->Brush().SetColor(clWhite);
    form.hotKey->SetHotKey(0);
    form.checkBox2->SetChecked(true);
    form.SetBounds(7, 8, 320, 240);
    form.store->LoadFromIniFile();

    EXPECT_EQ(form.Left(), 100);
    EXPECT_EQ(form.Top(), 50);
    EXPECT_EQ(form.radioGroup->ItemIndex(), 2);
    EXPECT_TRUE(form.checkBox->Checked());
    EXPECT_TRUE(form.radioButton->Checked());
    EXPECT_EQ(form.edit->Text(), "C:\\filter.txt");
    EXPECT_EQ(form.listBox->ItemIndex(), 1);
    EXPECT_EQ(form.comboBox->ItemIndex(), 0);
    EXPECT_EQ(form.shape->Brush().Color(), clBtnFace);
    EXPECT_EQ(form.hotKey->HotKey(), scCtrl | 'A');
    EXPECT_FALSE(form.checkBox2->Checked());
}

TEST_F(AutoIniTest, MissingFileMovesTheFormToTheCornerAndLeavesTheControls) {
    form.checkBox->SetChecked(true);
    form.edit->SetText("unchanged");
    form.radioGroup->SetItemIndex(1);
    form.store->LoadFromIniFile();
    EXPECT_EQ(form.Left(), 0);
    EXPECT_EQ(form.Top(), 0);
    EXPECT_EQ(form.Width(), 320);
    EXPECT_TRUE(form.checkBox->Checked());
    EXPECT_EQ(form.edit->Text(), "unchanged");
    EXPECT_EQ(form.radioGroup->ItemIndex(), 1);
    EXPECT_FALSE(GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES)
        << "load creates nothing";
}

TEST_F(AutoIniTest, ValuesReadAsDecimalOrHexadecimalAndAnythingElseKeepsTheState) {
    Put(path, "tester", "CheckBox1", "2");
    Put(path, "tester", "CheckBox2", "abc");
    Put(path, "tester", "RadioButton1", "0");
    Put(path, "tester", "RadioGroup1", "0x2");
    Put(path, "tester", "ListBox1", "$1");
    Put(path, "tester", "Shape1", "0XFF");
    Put(path, "tester", "ComboBox1", "0x");  // too short for a prefix: not a number
    form.checkBox2->SetChecked(true);
    form.radioButton->SetChecked(true);
    form.comboBox->SetItemIndex(1);
    form.store->LoadFromIniFile();
    EXPECT_TRUE(form.checkBox->Checked()) << "any value but 0 checks a box";
    EXPECT_TRUE(form.checkBox2->Checked()) << "a word leaves it as it was";
    EXPECT_FALSE(form.radioButton->Checked());
    EXPECT_EQ(form.radioGroup->ItemIndex(), 2);
    EXPECT_EQ(form.listBox->ItemIndex(), 1);
    EXPECT_EQ(form.shape->Brush().Color(), 0xFF);
    EXPECT_EQ(form.comboBox->ItemIndex(), 1);

    Put(path, "tester", "RadioGroup1", "7");
    form.store->LoadFromIniFile();
    EXPECT_EQ(form.radioGroup->ItemIndex(), 2) << "clamped to the last item";
    Put(path, "tester", "RadioGroup1", "-5");
    form.store->LoadFromIniFile();
    EXPECT_EQ(form.radioGroup->ItemIndex(), -1);
}

TEST_F(AutoIniTest, NavigationHotKeyIsPressedAgainAsAnExtendedKey) {
    std::vector<std::pair<UINT, WPARAM>> keys;
    form.hotKey->AddMessageHook([&](TMessage& m) {
        if (m.Msg == WM_KEYDOWN || m.Msg == WM_KEYUP) {
            EXPECT_EQ(m.LParam, 0x01480001);
            keys.emplace_back(m.Msg, m.WParam);
        }
        return false;
    });
    Put(path, "tester", "HotKey1", "34");  // Page Down
    form.store->LoadFromIniFile();
    Application().ProcessMessages();
    EXPECT_EQ(form.hotKey->HotKey(), 0x22);
    EXPECT_EQ(keys, (std::vector<std::pair<UINT, WPARAM>>{{WM_KEYDOWN, 0x22}, {WM_KEYUP, 0x22}}));

    keys.clear();
    Put(path, "tester", "HotKey1", "8226");  // Shift+Page Down
    form.store->LoadFromIniFile();
    Application().ProcessMessages();
    EXPECT_EQ(form.hotKey->HotKey(), scShift | 0x22);
    EXPECT_TRUE(keys.empty());
}

TEST_F(AutoIniTest, EmptySectionBecomesTheProgramFileName) {
    form.store->SetSection("");
    form.store->SaveToIniFile();
    EXPECT_EQ(form.store->Section(), ProgramFileName());
    EXPECT_EQ(ProgramFileName().substr(ProgramFileName().size() - 4), ".exe");
    EXPECT_EQ(ReadFile(path).find("[" + ProgramFileName() + "]"), 0u);
}

TEST_F(AutoIniTest, FileNameIsTakenRelativeToTheProgramFolderWhateverTheWorkingFolder) {
    char saved[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, saved);
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    ASSERT_TRUE(SetCurrentDirectoryA(temp));
    form.store->SaveToIniFile();
    SetCurrentDirectoryA(saved);
    EXPECT_NE(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetFileAttributesA((std::string(temp) + "autoini_test.ini").c_str()),
              INVALID_FILE_ATTRIBUTES);

    // Without a name: the program's own file, its extension replaced.
    form.store->SetAIniFileName("");
    form.store->SaveToIniFile();
    std::string own = ProgramPath();
    own = own.substr(0, own.size() - 4) + ".ini";
    EXPECT_EQ(form.store->FileName(), own);
    EXPECT_NE(GetFileAttributesA(own.c_str()), INVALID_FILE_ATTRIBUTES);
    Remove(own);
}

TEST_F(AutoIniTest, MakeIniWinDirKeepsTheBareNameInTheWindowsDirectory) {
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, MAX_PATH);
    const std::string there = std::string(windows) + "\\autoini_windir.ini";
    Remove(there);
    form.store->SetMakeIniWinDir(true);
    form.store->SetAIniFileName("somewhere\\autoini_windir.ini");
    form.store->SaveToIniFile();
    EXPECT_EQ(form.store->FileName(), "autoini_windir.ini");
    EXPECT_NE(GetFileAttributesA(there.c_str()), INVALID_FILE_ATTRIBUTES);
    Remove(there);
}

TEST_F(AutoIniTest, TagSelectsControlsButContainersAreWalkedWhateverTheirTag) {
    form.store->SetCheckWinState(false);
    form.store->SetCheckTag(true);
    form.store->SetEnableTag(5);
    form.checkBox->SetTag(5);  // inside GroupBox1, tagged 0
    form.listBox->SetTag(5);
    form.pages->SetTag(3);
    form.store->SaveToIniFile();
    EXPECT_EQ(Keys(path), (std::vector<std::string>{"CheckBox1", "ListBox1"}));
}

TEST_F(AutoIniTest, KindsLeftOutAreNeitherWrittenNorRead) {
    Put(path, "tester", "Edit1", "from the file");
    form.store->SetCheckControls(ccAllControls & ~CheckControlBit(ccEdit));
    form.edit->SetText("typed");
    form.store->SaveToIniFile();
    char value[64];
    GetPrivateProfileStringA("tester", "Edit1", "", value, sizeof value, path.c_str());
    EXPECT_STREQ(value, "from the file");
    form.store->LoadFromIniFile();
    EXPECT_EQ(form.edit->Text(), "typed");

    // Without radio groups the group is a container, and its unnamed buttons have
    // no keys of their own.
    form.store->SetCheckControls(CheckControlBit(ccRadioButton));
    form.store->SetCheckWinState(false);
    Remove(path);
    form.store->SaveToIniFile();
    EXPECT_EQ(Keys(path), std::vector<std::string>{"RadioButton1"});
}

TEST_F(AutoIniTest, LongTextIsRestoredCutTo2047Bytes) {
    const std::string longText(3000, 'a');
    form.edit->SetText(longText);
    form.store->SaveToIniFile();
    form.edit->SetText("short");
    form.store->LoadFromIniFile();
    EXPECT_EQ(form.edit->Text(), longText.substr(0, 2047));

    // A missing key leaves even a long text whole.
    Remove(path);
    form.edit->SetText(longText);
    form.store->LoadFromIniFile();
    EXPECT_EQ(form.edit->Text(), longText);
}

TEST_F(AutoIniTest, RefusedWriteShowsTheStoresMessageAndPassesTheErrorOn) {
    // A folder that does not exist: the platform refuses the write.
    form.store->SetAIniFileName("no such folder\\autoini_test.ini");
    const std::string refused = ProgramFolder() + "\\no such folder\\autoini_test.ini";
    try {
        form.store->SaveToIniFile();
        FAIL() << "a refused write must fail";
    } catch (const Exception& e) {
        // "... cannot be written to", then the platform's reason
        const std::string what = e.what();
        EXPECT_EQ(what.rfind(NotWrittenToMessage(refused) + "\r\n", 0), 0u) << what;
        EXPECT_EQ(messages,
                  std::vector<std::string>{std::string(kSettingsNotSavedMessage) + "\r\n" + what});
    }
}

TEST_F(AutoIniTest, OwnerThatIsNoFormFailsWithTheLoadMessage) {
    TForm holder(nullptr);
    auto* panel = new TGroupBox(&holder);
    panel->SetParent(&holder);
    auto* store = new TAutoIni(panel);
    store->SetCheckWinState(true);
    store->SetAIniFileName("autoini_test.ini");
    EXPECT_THROW(store->LoadFromIniFile(), Exception);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].rfind(kSettingsNotReadMessage, 0), 0u);
}

}  // namespace
}  // namespace qm
