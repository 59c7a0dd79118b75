// The fourth page of the settings dialog: the two global hot keys and the programs
// whose copies are left alone, with what the program does with them.
#include <windows.h>

#include "app/Captions.h"
#include "app/HotKeys.h"
#include "app/LeftAlone.h"
#include "app/MakeControl.h"
#include "app/Setting.h"
#include "app/TrayIcon.h"
#include "framework/Application.h"
#include "framework/ComCtrls.h"
#include "framework/StdCtrls.h"

namespace qm {

void TForm1::BuildBehaviorPage() {
    Behavior = new TTabSheet(this);
    Behavior->SetName("Behavior");
    Behavior->SetCaption(kCaptionBehavior);
    Behavior->SetPageControl(PageControl1);

    SuspendKeyGroup = Make<TGroupBox>(this, Behavior, "SuspendKeyGroup", 8, 8, 185, 49);
    SuspendKeyGroup->SetCaption(kCaptionSuspendKeyGroup);
    HotKeySuspend = Make<THotKey>(this, SuspendKeyGroup, "HotKeySuspend", 8, 20, 168, 19);
    UndoKeyGroup = Make<TGroupBox>(this, Behavior, "UndoKeyGroup", 200, 8, 185, 49);
    UndoKeyGroup->SetCaption(kCaptionUndoKeyGroup);
    HotKeyUndo = Make<THotKey>(this, UndoKeyGroup, "HotKeyUndo", 8, 20, 168, 19);
    ExcludeGroup = Make<TGroupBox>(this, Behavior, "ExcludeGroup", 8, 64, 377, 53);
    ExcludeGroup->SetCaption(kCaptionExcludeGroup);
    ExcludePrograms = Make<TEdit>(this, ExcludeGroup, "ExcludePrograms", 8, 20, 360, 21);

    SetTabOrders({SuspendKeyGroup, UndoKeyGroup, ExcludeGroup});
}

void TForm1::RegisterHotKeys() {
    const std::string refused = hotKeys_->Register(HotKeySuspend->HotKey(), HotKeyUndo->HotKey());
    // After the handler: a box of its own would stop start-up, or the OK it answers.
    if (!refused.empty()) Application().ShowErrorLater(refused);
}

void TForm1::HotKeyPressed(int id) {
    if (id == GlobalHotKeys::kSuspend) {
        TrayIconMouseClick(TrayIcon, mbLeft, 0, 0, 0);
    } else if (id == GlobalHotKeys::kUndo) {
        Undo1Click(nullptr);
    }
}

bool TForm1::IsLeftAlone(HWND owner) {
    const std::string list = ExcludePrograms->Text();
    return !list.empty() && IsListedProgram(list, ProgramOfWindow(owner));
}

}  // namespace qm
