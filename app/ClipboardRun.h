// One run of the filter over the clipboard, the work of the clipboard viewer's text
// event: read the copy, filter it, compare, and write the result back only when it
// differs and no newer copy has come meanwhile. Whatever the run cannot be sure of
// (a copy marked private, text that cannot be read) it leaves as the user copied it.
// A copy its source wrote as Unicode goes back as Unicode, so that the characters
// code page 932 cannot hold come back as they were copied.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>

#include <windows.h>

#include "clipboard/Clipboard.h"
#include "engine/FilterOptions.h"

namespace qm {

enum class RunOutcome {
    NotRun,      // our own write's echo, filtering suspended, or no text
    Private,     // the source marked its copy as none of our business
    LeftAlone,   // the copy comes from a program the user listed
    Unreadable,  // text was offered but could not be had
    Unchanged,   // the filter changed nothing: the copy keeps all its formats
    TooForeign,  // more distinct characters outside code page 932 than stand-in codes
    Refused,     // the filter file is no filter file, as it was at the last copy
    Superseded,  // a newer copy came while we filtered; its own run follows
    Written,
};

struct ClipboardRunHooks {
    // The options of the run, taken once there is a text to filter.
    std::function<FilterOptions()> options;
    // Told true when the run starts working on a text and false when it ends, also
    // when it fails: a big copy takes seconds, and the user is shown why.
    std::function<void(bool working)> working;
    // Whether the copy's owner window (null when the copy has none) belongs to a
    // program whose copies are left alone. Asked under the opening that reads the
    // copy, so that the answer is about the copy read.
    std::function<bool(HWND owner)> leaveAlone;
    // Told of every copy a run reads, before it is filtered.
    std::function<void(const ClipboardCopy& copy)> read;
};

// The run of the filter for the clipboard viewer's text event. It keeps what one
// run must know of the last: a notice that came while a run was busy may be our own
// write's echo or another program's newer copy, and only the clipboard's sequence
// number tells them apart.
class ClipboardRun {
  public:
    explicit ClipboardRun(ClipboardRunHooks hooks) : hooks_(std::move(hooks)) {}

    // `busy` is set for the run's length: a notice that comes meanwhile (our own
    // write raises one, and a busy neighbour in the chain lets others in) returns at
    // once, and the run goes again when the clipboard has changed since it looked.
    // The process runs at the normal priority class while a run works and at the
    // idle class otherwise. Errors (the filter file, the clipboard held by another
    // program) are raised once the run has put all that back.
    RunOutcome Run(bool& busy, bool suspended);

    // Whether Restore has something to put back: a run changed a copy and the
    // clipboard still holds what that run wrote.
    bool CanRestore() const;
    // Puts the copy back as the last run that changed something read it, unless the
    // clipboard has moved on meanwhile, and answers whether it did. The notice of that
    // write starts no run: the user asked for the copy as it was.
    bool Restore(bool& busy, bool suspended);

  private:
    RunOutcome RunOnce(bool& busy, bool suspended);
    // Whether the clipboard holds another copy than the one the last run left there.
    bool ChangedSinceRun() const;
    template <typename Text>
    RunOutcome Write(const Text& filtered, ClipboardCopy&& copy);

    ClipboardRunHooks hooks_;
    bool missed_ = false;
    // How the last run left the clipboard: with our write on it, or with the copy
    // of this sequence number. Our own write's number does not tell: the platform
    // may count its closing, and the notices it raises, as further changes.
    bool wrote_ = false;
    DWORD lastSequence_ = 0;
    // A file as its path, size and last write tell it apart from its other versions.
    struct FileVersion {
        std::string path;
        std::uint64_t size = 0;
        std::uint64_t written = 0;
        bool operator==(const FileVersion&) const = default;
    };
    // The filter file the engine refused last (too large, binary): it refuses it at
    // every copy until it changes, and the user hears of each version once.
    std::optional<FileVersion> refused_;
    // The copy as read by the last run that changed something, and the clipboard's
    // sequence number once that run's result was on it. Held in memory only.
    std::optional<ClipboardCopy> original_;
    std::optional<DWORD> resultSequence_;
    // The sequence number once a restore was on the clipboard: a notice that finds
    // it there is the restore's own, however late it comes.
    std::optional<DWORD> restoredSequence_;
};

}  // namespace qm
