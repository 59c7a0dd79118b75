#include "app/ClipboardRun.h"

#include <windows.h>

#include <utility>

#include "clipboard/Clipboard.h"
#include "engine/Pipeline.h"
#include "engine/UserFilter.h"
#include "unicode/UnicodeText.h"

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

RunOutcome ClipboardRun::Run(bool& busy, bool suspended) {
    if (busy) {
        missed_ = true;
        return RunOutcome::NotRun;
    }
    RunOutcome outcome;
    do {
        missed_ = false;
        outcome = RunOnce(busy, suspended);
    } while (missed_ && ChangedSinceRun());
    return outcome;
}

bool ClipboardRun::ChangedSinceRun() const {
    return wrote_ ? !ClipboardHoldsOurWrite() : GetClipboardSequenceNumber() != lastSequence_;
}

RunOutcome ClipboardRun::RunOnce(bool& busy, bool suspended) {
    RunGuard run(busy);
    wrote_ = false;
    lastSequence_ = GetClipboardSequenceNumber();
    if (suspended || !ClipboardHasFormat(CF_TEXT)) return RunOutcome::NotRun;
    run.RaisePriority();
    const Working working(hooks_.working);

    ClipboardCopy copy = ReadClipboardCopy();
    lastSequence_ = copy.sequence;
    if (copy.isPrivate) return RunOutcome::Private;
    if (copy.unreadable) return RunOutcome::Unreadable;

    const FilterOptions options = hooks_.options();
    try {
        // The copy as read goes before the write makes its block: a big copy is then in
        // memory three times at the most (the platform's, the result, the write's block).
        if (copy.isUnicode) {
            Utf16Filtered filtered = FilterUtf16(
                copy.unicode, [&](std::string_view text) { return FilterText(text, options); });
            if (filtered.outcome == Utf16Filtered::Outcome::TooManyForeign)
                return RunOutcome::TooForeign;
            if (filtered.outcome == Utf16Filtered::Outcome::Unchanged) return RunOutcome::Unchanged;
            std::u16string().swap(copy.unicode);
            return Write(filtered.text, copy.sequence);
        }
        const std::string filtered = FilterText(copy.text, options);
        if (filtered == copy.text) return RunOutcome::Unchanged;
        std::string().swap(copy.text);
        return Write(filtered, copy.sequence);
    } catch (const EFilterFileRefused&) {
        // The copy stays as it is; the error goes to the user once for this version of
        // the file, not at every copy.
        FileVersion version{options.FilterFile};
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (GetFileAttributesExA(version.path.c_str(), GetFileExInfoStandard, &data)) {
            version.size = (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
            version.written = (std::uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32) |
                              data.ftLastWriteTime.dwLowDateTime;
        }
        if (refused_ == version) return RunOutcome::Refused;
        refused_ = std::move(version);
        throw;
    }
}

template <typename Text>
RunOutcome ClipboardRun::Write(const Text& filtered, DWORD sequence) {
    if (!WriteClipboardTextIfUnchanged(filtered, sequence)) return RunOutcome::Superseded;
    wrote_ = true;
    return RunOutcome::Written;
}

}  // namespace qm
