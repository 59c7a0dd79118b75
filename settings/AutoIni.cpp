#include "settings/AutoIni.h"

#include <windows.h>

#include <type_traits>
#include <utility>

#include "base/Exception.h"
#include "base/Path.h"
#include "framework/Application.h"
#include "framework/ComCtrls.h"
#include "framework/ExtCtrls.h"
#include "framework/Form.h"
#include "framework/Messages.h"
#include "framework/StdCtrls.h"
#include "settings/IniFile.h"

namespace qm {

namespace {

TAutoIni::MessageDisplay& MessageDisplayHook() {
    static TAutoIni::MessageDisplay display;
    return display;
}

// The file that a bare name in the Windows directory stands for.
std::string FileOfPath(const std::string& path, bool inWindowsDirectory) {
    if (!inWindowsDirectory) return path;
    char folder[MAX_PATH];
    const UINT n = GetWindowsDirectoryA(folder, MAX_PATH);
    return n > 0 && n < MAX_PATH ? std::string(folder, n) + "\\" + path : path;
}

// The platform's profile functions read a file they cannot open (held by a sync
// tool, no permission, a folder of that name) as an empty one: the controls would
// take their defaults, and the next save would write those over the user's
// settings. Only a file that does not exist may read as empty.
void CheckReadable(const std::string& path, const std::string& file) {
    const HANDLE h = CreateFileA(file.c_str(), GENERIC_READ,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
        CloseHandle(h);
        return;
    }
    const DWORD code = GetLastError();
    if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) return;
    throw EInOutError(path + "\r\n" + SystemErrorText(static_cast<int>(code)),
                      static_cast<int>(code));
}

}  // namespace

void TAutoIni::ShowStoreMessage(const std::string& headline, const std::exception& e) const {
    // The headline, then what failed and why: one box says it all.
    const std::string message = headline + "\r\n" + TApplication::ExceptionText(e);
    if (OnMessage) {
        OnMessage(message);
        return;
    }
    if (MessageDisplayHook()) {
        MessageDisplayHook()(message);
        return;
    }
    MessageBoxA(Application().MainWindow(), message.c_str(), Application().Title().c_str(), MB_OK);
}

namespace {

// The key for a key-down or key-up posted to a hot-key box: repeat count 1, scan
// code 0x48, extended key.
constexpr LPARAM kHotKeyKeyData = 0x01480001;

// Writes a control's value under its name, or reads it back with the value it has
// as the default: text, a yes/no or a number, by what `get` gives.
template <typename Control, typename Ini, typename Get, typename Set>
void Keep(TControl* c, const Ini& ini, bool save, Get get, Set set) {
    auto& control = *static_cast<Control*>(c);
    const std::string& key = c->Name();
    const auto value = get(control);
    if constexpr (std::is_same_v<decltype(value), const bool>) {
        if (save) return ini.WriteBool(key, value);
        set(control, ini.ReadBool(key, value));
    } else if constexpr (std::is_same_v<decltype(value), const std::string>) {
        if (save) return ini.WriteString(key, value);
        set(control, ini.ReadString(key, value));
    } else {
        if (save) return ini.WriteInteger(key, value);
        set(control, ini.ReadInteger(key, value));
    }
}

void ShowHotKey(THotKey& box, std::int32_t value) {
    box.SetHotKey(static_cast<TShortCut>(value));
    // A navigation key without modifiers shows under its own name only when the
    // box has seen it as an extended key.
    if (value >= 0x21 && value <= 0x2F) {
        PostMessageA(box.Handle(), WM_KEYDOWN, static_cast<WPARAM>(value), kHotKeyKeyData);
        PostMessageA(box.Handle(), WM_KEYUP, static_cast<WPARAM>(value), kHotKeyKeyData);
    }
}

}  // namespace

// The INI file of one operation, through the platform's private-profile functions.
// Nothing is cached: every value is one read or one write of the file.
class TAutoIni::Profile {
  public:
    Profile(std::string path, std::string section)
        : path_(std::move(path)), section_(std::move(section)) {}

    std::string ReadString(const std::string& key, const std::string& fallback) const {
        char buffer[2048];
        const DWORD n = GetPrivateProfileStringA(section_.c_str(), key.c_str(), fallback.c_str(),
                                                 buffer, sizeof buffer, path_.c_str());
        std::string value(buffer, n);
        // A missing key answers the default cut to the buffer: keep the whole default.
        if (fallback.size() > value.size() && fallback.compare(0, value.size(), value) == 0 &&
            value.size() == sizeof buffer - 1) {
            return fallback;
        }
        return value;
    }

    std::int32_t ReadInteger(const std::string& key, std::int32_t fallback) const {
        return RestoredInteger(ReadString(key, ""), fallback);
    }

    bool ReadBool(const std::string& key, bool fallback) const {
        return RestoredBool(ReadString(key, ""), fallback);
    }

    void WriteString(const std::string& key, const std::string& value) const {
        if (!WritePrivateProfileStringA(section_.c_str(), key.c_str(), value.c_str(),
                                        path_.c_str())) {
            throw Exception(NotWrittenToMessage(path_) + "\r\n" +
                            SystemErrorText(static_cast<int>(GetLastError())));
        }
    }

    void WriteInteger(const std::string& key, std::int32_t value) const {
        WriteString(key, std::to_string(value));
    }

    void WriteBool(const std::string& key, bool value) const {
        WriteString(key, value ? "1" : "0");
    }

  private:
    std::string path_;
    std::string section_;
};

TAutoIni::TAutoIni(TComponent* owner) : TComponent(owner) {}

void TAutoIni::SetMessageDisplay(MessageDisplay display) {
    MessageDisplayHook() = std::move(display);
}

void TAutoIni::ResolvePath() {
    if (section_.empty()) section_ = ProgramFileName();
    if (!iniFileName_.empty()) {
        path_ = ProgramFolder() + "\\" + iniFileName_;
    } else {
        path_ = ChangeFileExt(ProgramPath(), ".ini");
    }
    // A bare file name goes to the Windows directory.
    if (makeIniWinDir_) path_ = ExtractFileName(path_);
}

TWinControl* TAutoIni::OwnerControl() const {
    auto* owner = dynamic_cast<TWinControl*>(Owner());
    if (!owner) throw Exception(OwnerNotWindowedMessage(Name()));
    return owner;
}

void TAutoIni::SaveToIniFile() {
    ResolvePath();
    try {
        Run(true);
    } catch (const std::exception& e) {
        ShowStoreMessage(kSettingsNotSavedMessage, e);
        throw;
    }
}

void TAutoIni::LoadFromIniFile() {
    ResolvePath();
    try {
        CheckReadable(path_, FileOfPath(path_, makeIniWinDir_));
        Run(false);
    } catch (const std::exception& e) {
        ShowStoreMessage(kSettingsNotReadMessage, e);
        throw;
    }
}

void TAutoIni::Run(bool save) {
    TWinControl* owner = OwnerControl();
    const Profile ini(path_, section_);
    if (checkWinState_) {
        auto* form = dynamic_cast<TForm*>(owner);
        if (!form) throw Exception(OwnerNotFormMessage(Name()));
        const std::string name = form->Name();
        if (save) {
            ini.WriteInteger(name + "Top", form->Top());
            ini.WriteInteger(name + "Left", form->Left());
            if (checkWinSize_) {
                ini.WriteInteger(name + "height", form->Height());
                ini.WriteInteger(name + "width", form->Width());
            }
        } else {
            // Without the keys the form goes to the top-left corner of the screen.
            const int top = ini.ReadInteger(name + "Top", 0);
            const int left = ini.ReadInteger(name + "Left", 0);
            int height = form->Height();
            int width = form->Width();
            if (checkWinSize_) {
                height = ini.ReadInteger(name + "height", height);
                width = ini.ReadInteger(name + "width", width);
            }
            form->SetBounds(left, top, width, height);
        }
    }
    Walk(owner, ini, save);
}

bool TAutoIni::KindOf(TControl* c, TCheckControl& kind) const {
    const std::pair<TCheckControl, bool> kinds[] = {
        {ccEdit, dynamic_cast<TEdit*>(c) != nullptr},
        {ccCheckBox, dynamic_cast<TCheckBox*>(c) != nullptr},
        {ccRadioButton, dynamic_cast<TRadioButton*>(c) != nullptr},
        {ccRadioGroup, dynamic_cast<TRadioGroup*>(c) != nullptr},
        {ccListBox, dynamic_cast<TListBox*>(c) != nullptr},
        {ccComboBox, dynamic_cast<TComboBox*>(c) != nullptr},
        {ccColor, dynamic_cast<TShape*>(c) != nullptr},
        {ccHotKey, dynamic_cast<THotKey*>(c) != nullptr},
    };
    for (const auto& [k, is] : kinds) {
        if (is && (checkControls_ & CheckControlBit(k))) {
            kind = k;
            return true;
        }
    }
    return false;
}

void TAutoIni::Walk(TWinControl* container, const Profile& ini, bool save) {
    for (int i = 0; i < container->ControlCount(); ++i) {
        TControl* c = container->Controls(i);
        TCheckControl kind;
        if (KindOf(c, kind)) {
            // A stored control is never walked into (a radio group's own buttons).
            // A control without a name has no key of its own.
            if (checkTag_ && c->Tag() != enableTag_) continue;
            if (c->Name().empty()) continue;
            Transfer(c, kind, ini, save);
            continue;
        }
        // Containers are walked whatever their tag.
        auto* windowed = dynamic_cast<TWinControl*>(c);
        if (windowed && windowed->ControlCount() > 0) Walk(windowed, ini, save);
    }
}

void TAutoIni::Transfer(TControl* c, TCheckControl kind, const Profile& ini, bool save) {
    const auto checked = [](auto& box) { return box.Checked(); };
    const auto check = [](auto& box, bool on) { box.SetChecked(on); };
    const auto index = [](auto& list) { return list.ItemIndex(); };
    const auto select = [](auto& list, int i) { list.SetItemIndex(i); };
    switch (kind) {
        case ccEdit:
            return Keep<TControl>(
                c, ini, save, [](TControl& edit) { return edit.Text(); },
                [](TControl& edit, const std::string& text) { edit.SetText(text); });
        case ccCheckBox:
            return Keep<TCheckBox>(c, ini, save, checked, check);
        case ccRadioButton:
            return Keep<TRadioButton>(c, ini, save, checked, check);
        case ccRadioGroup:
            return Keep<TRadioGroup>(c, ini, save, index, select);
        case ccListBox:
            return Keep<TListBox>(c, ini, save, index, select);
        case ccComboBox:
            return Keep<TComboBox>(c, ini, save, index, select);
        case ccColor:
            return Keep<TShape>(
                c, ini, save, [](TShape& shape) { return shape.Brush().Color(); },
                [](TShape& shape, TColor color) { shape.Brush().SetColor(color); });
        case ccHotKey:
            return Keep<THotKey>(
                c, ini, save, [](THotKey& box) { return std::int32_t{box.HotKey()}; }, ShowHotKey);
    }
}

}  // namespace qm
