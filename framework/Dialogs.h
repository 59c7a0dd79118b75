// The platform's file-open and file-save dialogs as components: set the starting
// folder, the file types ("description|mask|description|mask"), the default
// extension and the options, run Execute, read FileName.
#pragma once

#include <cstdint>
#include <string>

#include "framework/Component.h"

namespace qm {

enum TOpenOption : std::uint32_t {
    ofReadOnly = 1u << 0,         // the read-only box is ticked (in and out)
    ofOverwritePrompt = 1u << 1,  // the save dialog asks before replacing a file
    ofHideReadOnly = 1u << 2,     // no read-only box
    ofNoChangeDir = 1u << 3,      // the working folder stays as it was
    ofNoValidate = 1u << 4,
    ofPathMustExist = 1u << 5,
    ofFileMustExist = 1u << 6,
    ofCreatePrompt = 1u << 7,
    ofEnableSizing = 1u << 8,
};
using TOpenOptions = std::uint32_t;

class TOpenDialog : public TComponent {
  public:
    explicit TOpenDialog(TComponent* owner) : TComponent(owner) {}

    const std::string& InitialDir() const { return initialDir_; }
    void SetInitialDir(std::string dir) { initialDir_ = std::move(dir); }
    const std::string& Filter() const { return filter_; }
    void SetFilter(std::string filter) { filter_ = std::move(filter); }
    int FilterIndex() const { return filterIndex_; }
    void SetFilterIndex(int index) { filterIndex_ = index; }
    // Added to a typed name without one (no dot), e.g. "ini".
    const std::string& DefaultExt() const { return defaultExt_; }
    void SetDefaultExt(std::string ext) { defaultExt_ = std::move(ext); }
    const std::string& FileName() const { return fileName_; }
    void SetFileName(std::string name) { fileName_ = std::move(name); }
    const std::string& Title() const { return title_; }
    void SetTitle(std::string title) { title_ = std::move(title); }
    TOpenOptions Options() const { return options_; }
    void SetOptions(TOpenOptions options) { options_ = options; }

    // Shows the dialog (modal to the application's main window); true when the user
    // chose a file, which is then in FileName. A dialog the platform cannot show
    // raises Exception.
    bool Execute();

  protected:
    virtual bool SaveDialog() const { return false; }

  private:
    std::string initialDir_;
    std::string filter_;
    int filterIndex_ = 1;
    std::string defaultExt_;
    std::string fileName_;
    std::string title_;
    TOpenOptions options_ = ofHideReadOnly | ofEnableSizing;
};

class TSaveDialog : public TOpenDialog {
  public:
    using TOpenDialog::TOpenDialog;

  protected:
    bool SaveDialog() const override { return true; }
};

// "a|b|c|d" as the platform wants it: "a\0b\0c\0d\0\0".
std::string PlatformFilter(const std::string& filter);

}  // namespace qm
