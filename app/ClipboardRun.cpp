#include "app/ClipboardRun.h"

#include <windows.h>

#include <optional>
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

// The clipboard's sequence number with our own write on it; none when another
// program has come in since, for it would own the clipboard. The number is taken after
// the write's opening has closed: the platform may count the closing as a change.
std::optional<DWORD> SequenceOfOurWrite() {
    const DWORD sequence = GetClipboardSequenceNumber();
    if (!ClipboardHoldsOurWrite()) return std::nullopt;
    return sequence;
}

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

bool ClipboardRun::CanRestore() const {
    return original_ && resultSequence_ && GetClipboardSequenceNumber() == *resultSequence_;
}

bool ClipboardRun::Restore(bool& busy, bool suspended) {
    if (busy || !CanRestore()) return false;
    bool restored = false;
    {
        // Busy for the write, as a run is: the notice the write raises starts nothing.
        RunGuard guard(busy);
        missed_ = false;
        restored = original_->isUnicode
                       ? WriteClipboardTextIfUnchanged(original_->unicode, *resultSequence_)
                       : WriteClipboardTextIfUnchanged(original_->text, *resultSequence_);
        if (restored) {
            wrote_ = true;
            restoredSequence_ = SequenceOfOurWrite();
            original_.reset();
            resultSequence_.reset();
        }
    }
    // A copy that came while the restore was being written gets its run now.
    if (missed_ && ChangedSinceRun()) Run(busy, suspended);
    return restored;
}

RunOutcome ClipboardRun::RunOnce(bool& busy, bool suspended) {
    RunGuard run(busy);
    wrote_ = false;
    lastSequence_ = GetClipboardSequenceNumber();
    // The notice of our own write, however late the platform delivers it.
    if (lastSequence_ == resultSequence_ || lastSequence_ == restoredSequence_)
        return RunOutcome::NotRun;
    // The clipboard has moved on: what it held before can no longer be put back.
    original_.reset();
    resultSequence_.reset();
    restoredSequence_.reset();
    if (suspended || !ClipboardHasFormat(CF_TEXT)) return RunOutcome::NotRun;
    run.RaisePriority();
    const Working working(hooks_.working);

    ClipboardCopy copy;
    {
        // One opening for the owner and the read: the owner asked about is the copy's.
        const ClipboardOpening opening;
        if (hooks_.leaveAlone && hooks_.leaveAlone(GetClipboardOwner()))
            return RunOutcome::LeftAlone;
        copy = ReadClipboardCopy();
    }
    lastSequence_ = copy.sequence;
    if (copy.isPrivate) return RunOutcome::Private;
    if (copy.unreadable) return RunOutcome::Unreadable;
    if (hooks_.read) hooks_.read(copy);

    const FilterOptions options = hooks_.options();
    try {
        if (copy.isUnicode) {
            Utf16Filtered filtered = FilterUtf16(
                copy.unicode, [&](std::string_view text) { return FilterText(text, options); });
            if (filtered.outcome == Utf16Filtered::Outcome::TooManyForeign)
                return RunOutcome::TooForeign;
            if (filtered.outcome == Utf16Filtered::Outcome::Unchanged) return RunOutcome::Unchanged;
            return Write(filtered.text, std::move(copy));
        }
        const std::string filtered = FilterText(copy.text, options);
        if (filtered == copy.text) return RunOutcome::Unchanged;
        return Write(filtered, std::move(copy));
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
RunOutcome ClipboardRun::Write(const Text& filtered, ClipboardCopy&& copy) {
    if (!WriteClipboardTextIfUnchanged(filtered, copy.sequence)) return RunOutcome::Superseded;
    wrote_ = true;
    // The copy as read is what a restore puts back.
    resultSequence_ = SequenceOfOurWrite();
    original_ = std::move(copy);
    return RunOutcome::Written;
}

}  // namespace qm
