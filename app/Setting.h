// The main form, which is at the same time the settings dialog: its controls hold
// the filter options (read at every run), its components watch the clipboard, sit
// in the tray and keep the settings; its handlers are the program's commands.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/FilterOptions.h"
#include "framework/Form.h"

namespace qm {

struct ClipboardCopy;
class ClipboardRun;
class GlobalHotKeys;
class TAutoIni;
class TBigView;
class TButton;
class TCheckBox;
class TControl;
class TEdit;
class TEllipsesEdit;
class TGroupBox;
class THotKey;
class TImageList;
class TMemo;
class TMenuItem;
class TOpenDialog;
class TPageControl;
class TPopupMenu;
class TQzClipDetector;
class TRadioGroup;
class TSaveDialog;
class TTabSheet;
class TTrayIcon;
class TWatchClipBoard;

// The try-out page's sample made from a copy: its start, cut on a character boundary,
// with every line break CR LF as an edit box shows it.
std::string SampleOf(std::string_view text);

class TForm1 : public TForm {
  public:
    // Builds every control and component. Creating the clipboard viewer empties the
    // clipboard and joins the viewer chain; the tray icon comes up.
    TForm1();
    ~TForm1() override;

    // Start-up after the form exists: settings, command line, idle priority, presets.
    void FormCreate(const std::vector<std::string>& arguments);

    // The filter: the clipboard viewer's text event.
    void ClipTrapClipChange(TComponent* sender);
    // The options of a run, as the controls hold them now.
    FilterOptions CurrentOptions() const;

    void OkButtonClick(TComponent* sender);
    void CancelButtonClick(TComponent* sender);
    void FormCloseQuery(TComponent* sender, bool& canClose);
    void O1Click(TComponent* sender);
    void Contents1Click(TComponent* sender);
    void WebSiteClick(TComponent* sender);
    void About1Click(TComponent* sender);
    void ExitProgramClick(TComponent* sender);
    void TrayIconMouseClick(TComponent* sender, TMouseButton button, TShiftState shift, int x,
                            int y);
    void FilterFileButtonClick(TComponent* sender);
    void FilterViewDblClick(TComponent* sender);
    void OptSaveClick(TComponent* sender);
    void SettingsMenuItemClick(TComponent* sender);
    void RebuildSettingsMenu();
    // Puts back the copy as the last run that changed something read it.
    void Undo1Click(TComponent* sender);
    // Registers the hot keys as their boxes hold them; a key that cannot be had is
    // told once the message being handled is done with.
    void RegisterHotKeys();
    // WM_HOTKEY: suspend/resume as a left click on the tray icon, or undo.
    void HotKeyPressed(int id);
    // Whether a copy whose clipboard owner is this window is left alone.
    bool IsLeftAlone(HWND owner);
    // The try-out page: the sample filtered with the options as they stand.
    void RefreshTryOut();

    void ShowDialog();
    void HideDialog();

    void WndProc(TMessage& message) override;

    // Whether an argument starts the program suspended ("d" or "s" first, any case).
    static bool IsSuspendArgument(const std::string& argument);

    bool Busy = false;
    bool Suspended = false;
    std::string HelpFile;

    TPageControl* PageControl1;
    TTabSheet* Basic;
    TRadioGroup *NumberMode, *AlphabetMode, *SignMode, *SpaceMode, *KanaMode1, *KanaMode2,
        *ReturnMode, *PunctuationMode, *PeriodMode, *ParenthesisMode;
    TTabSheet* Extend;
    TRadioGroup* EnterDeleteMode;
    TCheckBox *DelDmySpc, *DelConma;
    TRadioGroup *UpDownCase, *Space2Tab;
    TGroupBox* HTMLGroup;
    TCheckBox *TagDelete, *AddLI, *RepAmp, *RepLG, *RepQuot, *RepNumber;
    TCheckBox *DelEmptyLine, *ShowForm, *URLHelper, *RemoveIme;
    TTabSheet* TabSheet1;
    TCheckBox* UseCustomFilter;
    TEllipsesEdit* FilterFile;
    TBigView* FilterView;
    TTabSheet* Behavior;
    TGroupBox *SuspendKeyGroup, *UndoKeyGroup, *ExcludeGroup;
    THotKey *HotKeySuspend, *HotKeyUndo;
    TEdit* ExcludePrograms;
    TTabSheet* TryOut;
    // Without a name: the settings file keeps controls by name, and a sample (the
    // user's last copy, perhaps a secret) is no setting.
    TMemo* SampleText;
    TBigView* SampleView;
    TButton *OkButton, *CancelButton, *OptSave;

    TAutoIni* AutoSave;
    TPopupMenu* MenuR;
    TMenuItem *N3, *O1, *Undo1, *N2, *Contents1, *WebSite, *About1, *N1, *ExitProgram;
    TTrayIcon* TrayIcon;
    TImageList* IconList;
    TQzClipDetector* ClipTrap;
    TOpenDialog* SelectFile;
    TSaveDialog* SaveOptFN;
    TWatchClipBoard* WatchClipBoard1;

    static const char kWebSite[];
    // The tray icon's tip while a copy is being filtered.
    static const char kWorkingHint[];

  private:
    void BuildControls();
    // The control of every filter option, found by the option's name.
    void BindOptionControls();
    void BuildBehaviorPage();
    void BuildTryOutPage();
    void BuildComponents();
    void ReloadFilterView();
    // The program's own settings file. Each answers whether it worked; when not, the
    // store has shown why.
    bool LoadSettings();
    bool SaveSettings();
    // The last copy a run read, as the try-out page starts from it.
    void KeepSample(const ClipboardCopy& copy);

    // Preset entries and the settings file each one loads, relative to the program's
    // folder (a file found in a subfolder keeps its subfolder).
    std::map<const TMenuItem*, std::string> presetFiles_;
    // In the order of FilterOptionFields().
    std::vector<TControl*> optionControls_;
    int closeHook_ = 0;
    // The settings file could not be read: Exit leaves it as it is rather than write
    // over it what the dialog holds instead. An explicit OK may write.
    bool settingsUnread_ = false;
    int hotKeyHook_ = 0;
    std::unique_ptr<ClipboardRun> run_;
    std::unique_ptr<GlobalHotKeys> hotKeys_;
    std::string sample_;
};

}  // namespace qm
