// The main form: owner of the clipboard viewer, and the filter handler that runs
// every copied text through the pipeline and puts the result back.
#pragma once

#include <string>
#include <vector>

#include "clipboard/WatchClipBoard.h"
#include "engine/FilterOptions.h"
#include "framework/Component.h"

namespace qm {

class TForm1 : public TComponent {
  public:
    TForm1();
    ~TForm1() override;

    // Start-up after the components exist: the command line, then idle priority.
    void FormCreate(const std::vector<std::string>& arguments);

    // The clipboard viewer's text event.
    void ClipTrapClipChange(TComponent* sender);

    // The options of the next run, as the dialog's controls hold them.
    FilterOptions CurrentOptions() const;

    bool Busy = false;
    bool Suspended = false;

    TWatchClipBoard* WatchClipBoard1 = nullptr;

    // Whether an argument starts the program suspended ("d" or "s" first, any case).
    static bool IsSuspendArgument(const std::string& argument);
};

}  // namespace qm
