#include "app/Setting.h"

#include <windows.h>

#include "clipboard/Clipboard.h"
#include "engine/Pipeline.h"

namespace qm {

namespace {

// A run is at the normal priority class and the program idles otherwise; the run's
// end restores both the flag and the priority, also when a step fails, so that the
// next copy is filtered again.
class FilterRun {
  public:
    explicit FilterRun(bool& busy) : busy_(busy) { busy_ = true; }
    ~FilterRun() {
        if (raised_) SetPriorityClass(GetCurrentProcess(), IDLE_PRIORITY_CLASS);
        busy_ = false;
    }
    FilterRun(const FilterRun&) = delete;
    FilterRun& operator=(const FilterRun&) = delete;
    void RaisePriority() {
        SetPriorityClass(GetCurrentProcess(), NORMAL_PRIORITY_CLASS);
        raised_ = true;
    }

  private:
    bool& busy_;
    bool raised_ = false;
};

}  // namespace

TForm1::TForm1() : TComponent(nullptr) {
    SetName("Form1");
    WatchClipBoard1 = new TWatchClipBoard(this);
    WatchClipBoard1->SetName("WatchClipBoard1");
    WatchClipBoard1->OnAddText = [this](TComponent* sender) { ClipTrapClipChange(sender); };
}

TForm1::~TForm1() = default;

bool TForm1::IsSuspendArgument(const std::string& argument) {
    if (argument.empty()) return false;
    const char first = argument[0];
    return first == 'd' || first == 'D' || first == 's' || first == 'S';
}

void TForm1::FormCreate(const std::vector<std::string>& arguments) {
    Busy = false;
    Suspended = false;
    for (const std::string& argument : arguments) {
        if (IsSuspendArgument(argument)) Suspended = true;
    }
    SetPriorityClass(GetCurrentProcess(), IDLE_PRIORITY_CLASS);
}

FilterOptions TForm1::CurrentOptions() const {
    return FilterOptions{};
}

void TForm1::ClipTrapClipChange(TComponent*) {
    // Our own write below raises a nested notification: it finds Busy set.
    if (Busy) return;
    FilterRun run(Busy);
    if (Suspended || !ClipboardHasFormat(CF_TEXT)) return;
    run.RaisePriority();
    const std::string filtered = FilterText(ReadClipboardText(), CurrentOptions());
    WriteClipboardText(filtered);
}

}  // namespace qm
