#include "app/Setting.h"

#include <windows.h>

#include <shellapi.h>

#include <functional>
#include <utility>

#include "app/About.h"
#include "app/Captions.h"
#include "app/ClipboardRun.h"
#include "app/HotKeys.h"
#include "app/MakeControl.h"
#include "app/TrayIcon.h"
#include "app/res/Resources.h"
#include "base/Exception.h"
#include "base/Path.h"
#include "clipboard/QzClipDetector.h"
#include "clipboard/WatchClipBoard.h"
#include "controls/BigView.h"
#include "controls/EllipsEd.h"
#include "framework/Application.h"
#include "framework/ComCtrls.h"
#include "framework/Dialogs.h"
#include "framework/ExtCtrls.h"
#include "framework/ImageList.h"
#include "framework/Memo.h"
#include "framework/Menus.h"
#include "framework/Messages.h"
#include "framework/StdCtrls.h"
#include "settings/AutoIni.h"

namespace qm {

// The maker has no page of its own yet; the entry opens the reserved example domain.
const char TForm1::kWebSite[] = "https://example.com/";
// "Quillmoth - working"
const char TForm1::kWorkingHint[] = "Quillmoth - \x8f\x88\x97\x9d\x92\x86";

namespace {

TRadioGroup* Group(TForm1* form, TWinControl* parent, const char* name, const char* caption,
                   std::initializer_list<const char*> items, int left, int top, int width,
                   int height) {
    auto* group = Make<TRadioGroup>(form, parent, name, left, top, width, height);
    group->SetCaption(caption);
    for (const char* item : items)
        group->Items().Add(item);
    group->SetItemIndex(0);
    return group;
}

TCheckBox* Check(TForm1* form, TWinControl* parent, const char* name, const char* caption, int left,
                 int top, int width, int height) {
    auto* box = Make<TCheckBox>(form, parent, name, left, top, width, height);
    box->SetCaption(caption);
    return box;
}

// Whether control is of the kind that holds the option's value.
bool HoldsOption(TControl* control, const FilterOptionField& f) {
    switch (f.kind) {
        case FilterOptionField::Kind::Check:
            return dynamic_cast<TCheckBox*>(control) != nullptr;
        case FilterOptionField::Kind::Radio:
            return dynamic_cast<TRadioGroup*>(control) != nullptr;
        case FilterOptionField::Kind::Text:
            break;
    }
    return dynamic_cast<TEdit*>(control) != nullptr;
}

// For its lifetime, the store's messages join a list instead of showing a box.
class StoreMessagesTo {
  public:
    StoreMessagesTo(TAutoIni& store, std::vector<std::string>& list) : store_(store) {
        store_.OnMessage = [&list](const std::string& m) { list.push_back(m); };
    }
    ~StoreMessagesTo() { store_.OnMessage = nullptr; }
    StoreMessagesTo(const StoreMessagesTo&) = delete;
    StoreMessagesTo& operator=(const StoreMessagesTo&) = delete;

  private:
    TAutoIni& store_;
};

std::string UserName() {
    char name[256];
    DWORD size = sizeof name;
    return GetUserNameA(name, &size) ? std::string(name) : std::string();
}

}  // namespace

TForm1::TForm1() : TForm(nullptr) {
    SetName("Form1");
    SetCaption("Quillmoth");
    SetClientSize(400, 309);
    BuildControls();
    BindOptionControls();
    BuildComponents();
    OnCloseQuery = [this](TComponent* sender, bool& canClose) { FormCloseQuery(sender, canClose); };
    // A close request to the application's window (taskkill without /F, a "close all
    // windows" tool) is Exit: the settings are saved and the components leave in order.
    closeHook_ = Application().AddHook([this](UINT message, WPARAM, LPARAM, LRESULT& result) {
        if (message != WM_CLOSE) return false;
        ExitProgramClick(nullptr);
        result = 0;
        return true;
    });
    Loaded();
}

TForm1::~TForm1() {
    Application().RemoveHook(closeHook_);
    Application().RemoveHook(hotKeyHook_);
    // The components outlive the form's own members: no notice may reach the run
    // once it is gone.
    WatchClipBoard1->OnAddText = nullptr;
}

void TForm1::BuildControls() {
    PageControl1 = Make<TPageControl>(this, this, "PageControl1", 0, 0, 400, 273);
    PageControl1->SetTabOrder(0);

    // The children are added in the order the settings file lists their keys; the
    // tab order is set apart from it.
    Basic = new TTabSheet(this);
    Basic->SetName("Basic");
    Basic->SetCaption(kCaptionBasic);
    Basic->SetPageControl(PageControl1);
    const auto widths = {kItemAsIs, kItemHalf, kItemFull};
    NumberMode = Group(this, Basic, "NumberMode", kCaptionNumberMode, widths, 8, 8, 89, 73);
    AlphabetMode = Group(this, Basic, "AlphabetMode", kCaptionAlphabetMode, widths, 8, 88, 89, 73);
    SignMode = Group(this, Basic, "SignMode", kCaptionSignMode, widths, 8, 168, 89, 73);
    SpaceMode = Group(this, Basic, "SpaceMode", kCaptionSpaceMode, widths, 104, 8, 89, 73);
    KanaMode1 = Group(this, Basic, "KanaMode1", kCaptionKanaMode1,
                      {kItemAsIs, kItemHalfKatakana, kItemFullKatakana}, 200, 8, 89, 73);
    KanaMode2 = Group(this, Basic, "KanaMode2", kCaptionKanaMode2,
                      {kItemAsIs, kItemHalfKatakana, kItemFullKatakana, kItemFullHiragana}, 200, 88,
                      89, 93);
    ReturnMode = Group(this, Basic, "ReturnMode", kCaptionReturnMode, {kItemAsIs, "CR+LF"}, 200,
                       188, 89, 53);
    PunctuationMode =
        Group(this, Basic, "PunctuationMode", kCaptionPunctuationMode,
              {kItemAsIs, kItemIdeographicComma, kItemFullWidthComma}, 104, 88, 89, 73);
    PeriodMode =
        Group(this, Basic, "PeriodMode", kCaptionPeriodMode,
              {kItemAsIs, kItemIdeographicFullStop, kItemFullWidthFullStop}, 104, 168, 89, 73);
    ParenthesisMode =
        Group(this, Basic, "ParenthesisMode", kCaptionParenthesisMode, widths, 296, 8, 89, 73);
    SetTabOrders({NumberMode, AlphabetMode, SignMode, SpaceMode, PunctuationMode, PeriodMode,
                  KanaMode1, KanaMode2, ReturnMode, ParenthesisMode});

    Extend = new TTabSheet(this);
    Extend->SetName("Extend");
    Extend->SetCaption(kCaptionExtend);
    Extend->SetPageControl(PageControl1);
    EnterDeleteMode = Group(this, Extend, "EnterDeleteMode", kCaptionEnterDeleteMode,
                            {kItemAsIs, kCaptionEnterDeleteMode}, 200, 8, 89, 53);
    DelDmySpc = Check(this, Extend, "DelDmySpc", kCaptionDelDmySpc, 8, 136, 185, 17);
    DelConma = Check(this, Extend, "DelConma", kCaptionDelConma, 8, 152, 185, 17);
    UpDownCase = Group(this, Extend, "UpDownCase", kCaptionUpDownCase,
                       {kItemAsIs, kItemLower, kItemUpper}, 296, 8, 89, 73);
    Space2Tab = Group(this, Extend, "Space2Tab", kCaptionSpace2Tab,
                      {kItemAsIs, kItemSpaceToTabHalf, kItemSpaceToTabFull, kItemSpaceToTabBoth},
                      200, 88, 185, 89);
    HTMLGroup = Make<TGroupBox>(this, Extend, "HTMLGroup", 8, 8, 185, 121);
    HTMLGroup->SetCaption(kCaptionHTMLGroup);
    const char* htmlNames[] = {"TagDelete", "AddLI", "RepAmp", "RepLG", "RepQuot", "RepNumber"};
    const char* htmlCaptions[] = {kCaptionTagDelete, kCaptionAddLI,   kCaptionRepAmp,
                                  kCaptionRepLG,     kCaptionRepQuot, kCaptionRepNumber};
    TCheckBox** htmlBoxes[] = {&TagDelete, &AddLI, &RepAmp, &RepLG, &RepQuot, &RepNumber};
    for (int k = 0; k < 6; ++k) {
        *htmlBoxes[k] =
            Check(this, HTMLGroup, htmlNames[k], htmlCaptions[k], 8, 16 + 16 * k, 168, 17);
        (*htmlBoxes[k])->SetTabOrder(k);
    }
    DelEmptyLine = Check(this, Extend, "DelEmptyLine", kCaptionDelEmptyLine, 8, 168, 185, 17);
    ShowForm = Check(this, Extend, "ShowForm", kCaptionShowForm, 200, 181, 177, 17);
    URLHelper = Check(this, Extend, "URLHelper", kCaptionURLHelper, 8, 184, 185, 17);
    RemoveIme = Check(this, Extend, "RemoveIme", kCaptionRemoveIme, 8, 200, 185, 17);
    SetTabOrders({HTMLGroup, DelDmySpc, DelConma, EnterDeleteMode, UpDownCase, Space2Tab,
                  DelEmptyLine, ShowForm, URLHelper, RemoveIme});

    TabSheet1 = new TTabSheet(this);
    TabSheet1->SetName("TabSheet1");
    TabSheet1->SetCaption(kCaptionTabSheet1);
    TabSheet1->SetPageControl(PageControl1);
    UseCustomFilter =
        Check(this, TabSheet1, "UseCustomFilter", kCaptionUseCustomFilter, 8, 8, 369, 17);
    FilterFile = Make<TEllipsesEdit>(this, TabSheet1, "FilterFile", 16, 32, 369, 20);
    FilterFile->SetEditStyle(esAlwaysEllipses);
    FilterFile->SetColor(clWhite);
    FilterFile->SetDeactiveColor(clWhite);
    FilterFile->OnButtonClick = [this](TComponent* sender) { FilterFileButtonClick(sender); };
    FilterView = Make<TBigView>(this, TabSheet1, "FilterView", 8, 56, 377, 185);
    SetFileViewStyle(*FilterView);
    FilterView->OnDblClick = [this](TComponent* sender) { FilterViewDblClick(sender); };
    SetTabOrders({UseCustomFilter, FilterFile, FilterView});

    // Pages the program gained later come after these three, so that the settings file
    // lists their keys after every older one.
    BuildBehaviorPage();
    BuildTryOutPage();

    OkButton = Make<TButton>(this, this, "OkButton", 160, 280, 75, 22);
    OkButton->SetCaption("OK");
    OkButton->SetDefault(true);
    OkButton->SetTabOrder(1);
    OkButton->OnClick = [this](TComponent* sender) { OkButtonClick(sender); };
    CancelButton = Make<TButton>(this, this, "CancelButton", 240, 280, 75, 22);
    CancelButton->SetCaption(kCaptionCancel);
    CancelButton->SetCancel(true);
    CancelButton->SetTabOrder(2);
    CancelButton->OnClick = [this](TComponent* sender) { CancelButtonClick(sender); };
    OptSave = Make<TButton>(this, this, "OptSave", 320, 279, 75, 22);
    OptSave->SetCaption(kCaptionOptSave);
    OptSave->SetTabOrder(3);
    OptSave->OnClick = [this](TComponent* sender) { OptSaveClick(sender); };
}

void TForm1::BuildComponents() {
    AutoSave = new TAutoIni(this);
    AutoSave->SetName("AutoSave");
    AutoSave->SetCheckWinState(true);
    AutoSave->SetCheckWinSize(false);
    AutoSave->SetCheckTag(false);
    AutoSave->SetEnableTag(0);
    AutoSave->SetMakeIniWinDir(false);
    AutoSave->SetCheckControls(ccAllControls);

    MenuR = new TPopupMenu(this);
    MenuR->SetName("MenuR");
    struct Entry {
        TMenuItem** item;
        const char* name;
        const char* caption;
        int picture;
        void (TForm1::*handler)(TComponent*);
    };
    const Entry entries[] = {
        {&N3, "N3", "-", 0, nullptr},
        {&O1, "O1", kMenuOptions, IDI_MENU_OPTIONS, &TForm1::O1Click},
        {&Undo1, "Undo1", kMenuUndo, IDI_MENU_UNDO, &TForm1::Undo1Click},
        {&N2, "N2", "-", 0, nullptr},
        {&Contents1, "Contents1", kMenuContents, IDI_MENU_CONTENTS, &TForm1::Contents1Click},
        {&WebSite, "WebSite", "Orrinworks(&W)", IDI_MENU_WEBSITE, &TForm1::WebSiteClick},
        {&About1, "About1", kMenuAbout, IDI_MENU_ABOUT, &TForm1::About1Click},
        {&N1, "N1", "-", 0, nullptr},
        {&ExitProgram, "ExitProgram", kMenuExit, IDI_MENU_EXIT, &TForm1::ExitProgramClick},
    };
    for (const Entry& e : entries) {
        auto* item = new TMenuItem(this);
        item->SetName(e.name);
        item->SetCaption(e.caption);
        if (e.picture) item->Picture().LoadFromResource(GetModuleHandleA(nullptr), e.picture);
        if (e.handler)
            item->OnClick = [this, h = e.handler](TComponent* sender) { (this->*h)(sender); };
        MenuR->Items().Add(item);
        *e.item = item;
    }
    MenuR->OnPopup = [this](TComponent*) { Undo1->SetEnabled(run_->CanRestore()); };

    IconList = new TImageList(this);
    IconList->SetName("IconList");
    for (const int id : {IDI_TRAY_ON, IDI_TRAY_SUSPENDED}) {
        TIcon icon;
        icon.LoadFromResource(GetModuleHandleA(nullptr), id);
        IconList->AddIcon(icon);
    }

    TrayIcon = new TTrayIcon(this);
    TrayIcon->SetName("TrayIcon");
    TrayIcon->SetIconList(IconList);
    TrayIcon->SetIconIndex(0);
    TrayIcon->SetHint("Quillmoth");
    TrayIcon->SetPopupMenu(MenuR);
    TrayIcon->SetMinimizeToTray(true);
    TrayIcon->SetCycleInterval(0);
    TrayIcon->OnMouseDown = [this](TComponent* sender, TMouseButton button, TShiftState shift,
                                   int x,
                                   int y) { TrayIconMouseClick(sender, button, shift, x, y); };
    TrayIcon->SetIconVisible(true);  // the icon comes up when the form's building ends

    ClipTrap = new TQzClipDetector(this);
    ClipTrap->SetName("ClipTrap");

    SelectFile = new TOpenDialog(this);
    SelectFile->SetName("SelectFile");
    SaveOptFN = new TSaveDialog(this);
    SaveOptFN->SetName("SaveOptFN");
    SaveOptFN->SetFilter(kSettingsFilter);
    SaveOptFN->SetDefaultExt("ini");

    ClipboardRunHooks hooks;
    hooks.options = [this] { return CurrentOptions(); };
    hooks.working = [this, idle = std::string()](bool working) mutable {
        if (working) idle = TrayIcon->Hint();
        TrayIcon->SetHint(working ? std::string(kWorkingHint) : idle);
    };
    hooks.leaveAlone = [this](HWND owner) { return IsLeftAlone(owner); };
    hooks.read = [this](const ClipboardCopy& copy) { KeepSample(copy); };
    run_ = std::make_unique<ClipboardRun>(std::move(hooks));

    WatchClipBoard1 = new TWatchClipBoard(this);
    WatchClipBoard1->SetName("WatchClipBoard1");
    WatchClipBoard1->SetWatch(true);
    WatchClipBoard1->OnAddText = [this](TComponent* sender) { ClipTrapClipChange(sender); };

    hotKeys_ = std::make_unique<GlobalHotKeys>(Application().Handle());
    hotKeyHook_ = Application().AddHook([this](UINT message, WPARAM id, LPARAM, LRESULT& result) {
        if (message != WM_HOTKEY) return false;
        HotKeyPressed(static_cast<int>(id));
        result = 0;
        return true;
    });
}

bool TForm1::IsSuspendArgument(const std::string& argument) {
    if (argument.empty()) return false;
    const char first = argument[0];
    return first == 'd' || first == 'D' || first == 's' || first == 'S';
}

void TForm1::FormCreate(const std::vector<std::string>& arguments) {
    // Every step runs whatever became of the ones before it, and what failed is shown
    // in one box at the end: a box's message loop would let copies be filtered before
    // the command line had its say.
    std::vector<std::string> failures;
    const auto step = [&failures](const std::function<void()>& run) {
        try {
            run();
        } catch (const std::exception& e) {
            failures.push_back(TApplication::ExceptionText(e));
        }
    };
    {
        const StoreMessagesTo collect(*AutoSave, failures);
        step([&] { SetBounds(0, 0, Width(), Height()); });
        step([&] { AutoSave->SetSection(UserName()); });
        step([&] { HelpFile = ChangeFileExt(ProgramPath(), ".pdf"); });
        step([&] { LoadSettings(); });
        Busy = false;
        Suspended = false;
        step([&] {
            if (ShowForm->Checked()) ShowDialog();
        });
        step([&] {
            if (FileExists(FilterFile->Text())) FilterView->LoadFromFile(FilterFile->Text());
        });
        step([&] { PageControl1->SetActivePageIndex(0); });
        step([&] {
            for (const std::string& argument : arguments) {
                if (IsSuspendArgument(argument)) {
                    Suspended = true;
                    TrayIcon->SetIconIndex(1);
                }
            }
        });
        SetPriorityClass(GetCurrentProcess(), IDLE_PRIORITY_CLASS);
        step([&] { RebuildSettingsMenu(); });
        step([&] { RegisterHotKeys(); });
    }
    if (failures.empty()) return;
    std::string text = failures.front();
    for (std::size_t i = 1; i < failures.size(); ++i)
        text += "\r\n\r\n" + failures[i];
    Application().ShowError(text);
}

void TForm1::BindOptionControls() {
    for (const FilterOptionField& f : FilterOptionFields()) {
        auto* control = dynamic_cast<TControl*>(FindComponent(f.name));
        // The settings file keeps each option under its control's name.
        if (!HoldsOption(control, f)) throw Exception(NoOptionControlMessage(f.name));
        optionControls_.push_back(control);
    }
}

FilterOptions TForm1::CurrentOptions() const {
    FilterOptions o;
    const auto fields = FilterOptionFields();
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const FilterOptionField& f = fields[i];
        TControl* control = optionControls_[i];
        switch (f.kind) {
            case FilterOptionField::Kind::Check:
                o.*f.check = static_cast<TCheckBox*>(control)->Checked();
                break;
            case FilterOptionField::Kind::Radio:
                o.*f.radio = static_cast<TRadioGroup*>(control)->ItemIndex();
                break;
            case FilterOptionField::Kind::Text:
                o.*f.text = control->Text();
                break;
        }
    }
    return o;
}

void TForm1::ClipTrapClipChange(TComponent*) {
    run_->Run(Busy, Suspended);
}

void TForm1::ShowDialog() {
    MakeFullyVisible();
    // A copy that came since the dialog last opened replaces the sample; else the
    // sample stays as the user left it.
    if (!sample_.empty()) SampleText->SetText(std::exchange(sample_, std::string()));
    RefreshTryOut();
    Show();
    BringToFront();
}

void TForm1::HideDialog() {
    Hide();
}

void TForm1::ReloadFilterView() {
    if (FileExists(FilterFile->Text())) {
        FilterView->LoadFromFile(FilterFile->Text());
    } else {
        FilterView->Clear();
    }
}

bool TForm1::LoadSettings() {
    try {
        AutoSave->LoadFromIniFile();
    } catch (const std::exception&) {
        settingsUnread_ = true;
        return false;
    }
    settingsUnread_ = false;
    return true;
}

bool TForm1::SaveSettings() {
    try {
        AutoSave->SaveToIniFile();
    } catch (const std::exception&) {
        return false;
    }
    settingsUnread_ = false;
    return true;
}

void TForm1::OkButtonClick(TComponent*) {
    // Unsaved, the dialog stays for the user to try again or cancel.
    if (!SaveSettings()) return;
    HideDialog();
    ReloadFilterView();
    RebuildSettingsMenu();
    RegisterHotKeys();
}

void TForm1::CancelButtonClick(TComponent*) {
    HideDialog();
    LoadSettings();
    RegisterHotKeys();
}

void TForm1::FormCloseQuery(TComponent*, bool& canClose) {
    // The close box on screen only hides the dialog; a close while hidden is Exit,
    // which ends the program also when the settings cannot be written.
    canClose = !Visible();
    HideDialog();
    if (canClose && !settingsUnread_) SaveSettings();
}

void TForm1::O1Click(TComponent*) {
    ShowDialog();
}

void TForm1::Contents1Click(TComponent*) {
    ShellExecuteA(Handle(), "OPEN", HelpFile.c_str(), "", "", SW_SHOW);
}

void TForm1::WebSiteClick(TComponent*) {
    ShellExecuteA(Handle(), "OPEN", kWebSite, "", "", SW_SHOW);
}

void TForm1::About1Click(TComponent*) {
    ShowAboutBox(Handle(), Application().Title());
}

void TForm1::Undo1Click(TComponent*) {
    run_->Restore(Busy, Suspended);
}

void TForm1::ExitProgramClick(TComponent*) {
    HideDialog();
    Close();
}

void TForm1::TrayIconMouseClick(TComponent*, TMouseButton button, TShiftState, int, int) {
    if (button == mbLeft) {
        Suspended = !Suspended;
        TrayIcon->SetIconIndex(Suspended ? 1 : 0);
    } else if (button == mbMiddle) {
        ShowDialog();
    }
}

void TForm1::FilterFileButtonClick(TComponent* sender) {
    SelectFile->SetInitialDir(ProgramFolder());
    if (!SelectFile->Execute()) return;
    static_cast<TEllipsesEdit*>(sender)->SetText(SelectFile->FileName());
    FilterView->LoadFromFile(SelectFile->FileName());
}

void TForm1::FilterViewDblClick(TComponent*) {
    if (FileExists(FilterFile->Text())) {
        ShellExecuteA(Handle(), "OPEN", FilterFile->Text().c_str(), "", "", SW_SHOW);
    }
}

void TForm1::OptSaveClick(TComponent*) {
    SaveOptFN->SetInitialDir(ProgramFolder());
    try {
        if (!SaveOptFN->Execute()) return;
        AutoSave->SetAIniFileName(ExtractFileName(SaveOptFN->FileName()));
        try {
            AutoSave->SaveToIniFile();
        } catch (const std::exception&) {
            AutoSave->SetAIniFileName("");
            throw;
        }
        AutoSave->SetAIniFileName("");
        RebuildSettingsMenu();
    } catch (const Exception&) {
        // The store has shown that it cannot save; nothing more is said.
    }
}

void TForm1::RebuildSettingsMenu() {
    TMenuItem& items = MenuR->Items();
    while (items.Count() > 0 && items.Items(0)->Caption() != "-") {
        // Taken out of the menu, not destroyed: the form owns it until it goes.
        presetFiles_.erase(items.Items(0));
        items.Delete(0);
    }
    std::vector<std::string> files;
    const std::string folder = ProgramFolder();
    const DWORD attributes = GetFileAttributesA(folder.c_str());
    bool complete = true;
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        complete = ListFiles(folder + "\\", "*.ini", files);
    }
    if (!complete) {
        // More settings files than the menu lists: a last entry says so.
        auto* more = new TMenuItem(this);
        more->SetCaption(kMenuMorePresets);
        more->SetEnabled(false);
        more->SetAutoHotkeys(maManual);
        items.Insert(0, more);
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        const std::string& path = files[files.size() - 1 - i];
        auto* item = new TMenuItem(this);
        item->SetCaption(ExtractFileTitle(path));
        item->SetHint(ExtractFileName(path));
        item->SetAutoHotkeys(maManual);
        item->OnClick = [this](TComponent* sender) { SettingsMenuItemClick(sender); };
        items.Insert(0, item);
        presetFiles_[item] = path.substr(folder.size() + 1);
    }
}

void TForm1::SettingsMenuItemClick(TComponent* sender) {
    const auto found = presetFiles_.find(static_cast<TMenuItem*>(sender));
    if (found == presetFiles_.end()) return;
    AutoSave->SetAIniFileName(found->second);
    try {
        AutoSave->LoadFromIniFile();
    } catch (const std::exception&) {
        AutoSave->SetAIniFileName("");
        throw;
    }
    AutoSave->SetAIniFileName("");
    OkButtonClick(OkButton);
}

void TForm1::WndProc(TMessage& message) {
    if (message.Msg == WM_QUERYENDSESSION) {
        // Log-off or shutdown: the dialog goes, nothing is saved.
        HideDialog();
        message.Result = 1;
        return;
    }
    TForm::WndProc(message);
}

}  // namespace qm
