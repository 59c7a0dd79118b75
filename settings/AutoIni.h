// The control-state store: saves the states of its owner form's input controls into
// one section of an INI file, each under the control's name, and reads them back.
// Optionally the form's position (and size) goes along. The control names are the
// file's keys, so renaming a control changes the file format.
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <string>

#include "framework/Component.h"

namespace qm {

class TControl;
class TWinControl;

// The control kinds the store knows, in the order in which a control is matched.
enum TCheckControl : std::uint8_t {
    ccEdit,
    ccCheckBox,
    ccRadioButton,
    ccRadioGroup,
    ccListBox,
    ccComboBox,
    ccColor,
    ccHotKey,
};
// A set of kinds in one byte, bit n for kind n.
using TCheckControls = std::uint8_t;
constexpr TCheckControls CheckControlBit(TCheckControl kind) {
    return static_cast<TCheckControls>(1u << kind);
}
constexpr TCheckControls ccAllControls = 0xFF;

class TAutoIni : public TComponent {
  public:
    // Shows the store's own short failure message; a plain box with OK by default.
    using MessageDisplay = std::function<void(const std::string& message)>;

    explicit TAutoIni(TComponent* owner);

    // Empty: the program's file name with its extension, set at the next operation.
    const std::string& Section() const { return section_; }
    void SetSection(std::string section) { section_ = std::move(section); }
    // Empty: the program's own INI file; else a file name taken relative to the
    // program's folder.
    const std::string& AIniFileName() const { return iniFileName_; }
    void SetAIniFileName(std::string name) { iniFileName_ = std::move(name); }
    TCheckControls CheckControls() const { return checkControls_; }
    void SetCheckControls(TCheckControls kinds) { checkControls_ = kinds; }
    bool CheckWinState() const { return checkWinState_; }
    void SetCheckWinState(bool on) { checkWinState_ = on; }
    bool CheckWinSize() const { return checkWinSize_; }
    void SetCheckWinSize(bool on) { checkWinSize_ = on; }
    bool CheckTag() const { return checkTag_; }
    void SetCheckTag(bool on) { checkTag_ = on; }
    std::int32_t EnableTag() const { return enableTag_; }
    void SetEnableTag(std::int32_t tag) { enableTag_ = tag; }
    // Keep the file in the Windows directory (the path cut to its bare file name).
    bool MakeIniWinDir() const { return makeIniWinDir_; }
    void SetMakeIniWinDir(bool on) { makeIniWinDir_ = on; }
    // Kept with the component; neither operation reads it.
    const std::string& RegKey() const { return regKey_; }
    void SetRegKey(std::string key) { regKey_ = std::move(key); }

    // Write or read the window keys (when enabled) and every selected control's
    // value. A failure shows "cannot save to the settings file" ("cannot read the
    // settings file") in Japanese with what failed and why, and is passed on to the
    // caller. A settings file that exists but cannot be opened fails the load.
    void SaveToIniFile();
    void LoadFromIniFile();

    // The path the last operation used.
    const std::string& FileName() const { return path_; }

    // Lets a test see the store's messages instead of a modal box.
    static void SetMessageDisplay(MessageDisplay display);
    // When set, this store's messages go here instead (the main form keeps those of
    // its start-up for one box at its end).
    MessageDisplay OnMessage;

  private:
    class Profile;
    void ShowStoreMessage(const std::string& headline, const std::exception& e) const;
    void ResolvePath();
    TWinControl* OwnerControl() const;
    void Run(bool save);
    void Walk(TWinControl* container, const Profile& ini, bool save);
    bool KindOf(TControl* control, TCheckControl& kind) const;
    // Writes (save) or reads one control's value.
    static void Transfer(TControl* control, TCheckControl kind, const Profile& ini, bool save);

    std::string section_;
    std::string iniFileName_;
    TCheckControls checkControls_ = ccAllControls;
    bool checkWinState_ = false;
    bool checkWinSize_ = false;
    bool checkTag_ = false;
    std::int32_t enableTag_ = 0;
    bool makeIniWinDir_ = false;
    std::string regKey_;
    std::string path_;
};

}  // namespace qm
