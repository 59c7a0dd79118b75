// One run of the filter over the clipboard, the work of the clipboard viewer's text
// event: read the copy, filter it, compare, and write the result back only when it
// differs and no newer copy has come meanwhile. Whatever the run cannot be sure of
// (a copy marked private, text that cannot be read) it leaves as the user copied it.
#pragma once

#include <functional>
#include <string>

#include "engine/FilterOptions.h"

namespace qm {

enum class RunOutcome {
    NotRun,      // our own write's echo, filtering suspended, or no text
    Private,     // the source marked its copy as none of our business
    Unreadable,  // text was offered but could not be had
    Unchanged,   // the filter changed nothing: the copy keeps all its formats
    Superseded,  // a newer copy came while we filtered; its own run follows
    Written,
};

struct ClipboardRunHooks {
    // The options of the run, taken once there is a text to filter.
    std::function<FilterOptions()> options;
    // Told true when the run starts working on a text and false when it ends, also
    // when it fails: a big copy takes seconds, and the user is shown why.
    std::function<void(bool working)> working;
};

// `busy` is set for the run's length: the notification our own write raises finds it
// set and returns at once. The process runs at the normal priority class while a run
// works and at the idle class otherwise. Errors (the filter file, the clipboard
// held by another program) are raised once the run has put all that back.
RunOutcome RunClipboardFilter(bool& busy, bool suspended, const ClipboardRunHooks& hooks);

}  // namespace qm
