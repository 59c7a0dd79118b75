#include "app/ClipboardRun.h"

#include <windows.h>

#include <utility>

#include "clipboard/Clipboard.h"
#include "engine/Pipeline.h"

namespace qm {

namespace {

// A run is at the normal priority class and the program idles otherwise; the run's
// end restores both the flag and the priority, also when a step fails, so that the
// next copy is filtered again.
class RunGuard {
  public:
    explicit RunGuard(bool& busy) : busy_(busy) { busy_ = true; }
    ~RunGuard() {
        if (raised_) SetPriorityClass(GetCurrentProcess(), IDLE_PRIORITY_CLASS);
        busy_ = false;
    }
    RunGuard(const RunGuard&) = delete;
    RunGuard& operator=(const RunGuard&) = delete;
    void RaisePriority() {
        SetPriorityClass(GetCurrentProcess(), NORMAL_PRIORITY_CLASS);
        raised_ = true;
    }

  private:
    bool& busy_;
    bool raised_ = false;
};

class Working {
  public:
    explicit Working(const std::function<void(bool)>& signal) : signal_(signal) {
        if (signal_) signal_(true);
    }
    ~Working() {
        if (signal_) signal_(false);
    }
    Working(const Working&) = delete;
    Working& operator=(const Working&) = delete;

  private:
    const std::function<void(bool)>& signal_;
};

}  // namespace

RunOutcome RunClipboardFilter(bool& busy, bool suspended, const ClipboardRunHooks& hooks) {
    if (busy) return RunOutcome::NotRun;
    RunGuard run(busy);
    if (suspended || !ClipboardHasFormat(CF_TEXT)) return RunOutcome::NotRun;
    run.RaisePriority();
    const Working working(hooks.working);

    ClipboardCopy copy = ReadClipboardCopy();
    if (copy.isPrivate) return RunOutcome::Private;
    if (copy.unreadable) return RunOutcome::Unreadable;

    const std::string filtered = FilterText(copy.text, hooks.options());
    if (filtered == copy.text) return RunOutcome::Unchanged;
    // The copy as read goes before the write makes its block: a big copy is then in
    // memory three times at the most (the platform's, the result, the write's block).
    std::string().swap(copy.text);

    if (!WriteClipboardTextIfUnchanged(filtered, copy.sequence)) return RunOutcome::Superseded;
    return RunOutcome::Written;
}

}  // namespace qm
