#include "framework/Dialogs.h"

#include <windows.h>

#include <commdlg.h>

#include <vector>

#include "base/Exception.h"
#include "framework/Application.h"
#include "framework/Messages.h"

namespace qm {

std::string PlatformFilter(const std::string& filter) {
    if (filter.empty()) return {};
    std::string s = filter;
    for (char& c : s) {
        if (c == '|') c = '\0';
    }
    s.push_back('\0');
    s.push_back('\0');
    return s;
}

bool TOpenDialog::Execute() {
    std::vector<char> name(32768, '\0');
    fileName_.copy(name.data(), name.size() - 1);
    const std::string filter = PlatformFilter(filter_);

    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = Application().MainWindow();
    ofn.lpstrFilter = filter.empty() ? nullptr : filter.c_str();
    ofn.nFilterIndex = static_cast<DWORD>(filterIndex_);
    ofn.lpstrFile = name.data();
    ofn.nMaxFile = static_cast<DWORD>(name.size());
    ofn.lpstrInitialDir = initialDir_.empty() ? nullptr : initialDir_.c_str();
    ofn.lpstrTitle = title_.empty() ? nullptr : title_.c_str();
    ofn.lpstrDefExt = defaultExt_.empty() ? nullptr : defaultExt_.c_str();
    ofn.Flags = OFN_EXPLORER;
    const std::pair<TOpenOption, DWORD> flags[] = {
        {ofReadOnly, OFN_READONLY},           {ofOverwritePrompt, OFN_OVERWRITEPROMPT},
        {ofHideReadOnly, OFN_HIDEREADONLY},   {ofNoChangeDir, OFN_NOCHANGEDIR},
        {ofNoValidate, OFN_NOVALIDATE},       {ofPathMustExist, OFN_PATHMUSTEXIST},
        {ofFileMustExist, OFN_FILEMUSTEXIST}, {ofCreatePrompt, OFN_CREATEPROMPT},
        {ofEnableSizing, OFN_ENABLESIZING},
    };
    for (const auto& [option, flag] : flags) {
        if (options_ & option) ofn.Flags |= flag;
    }

    const BOOL chosen = SaveDialog() ? GetSaveFileNameA(&ofn) : GetOpenFileNameA(&ofn);
    if (!chosen) {
        const DWORD error = CommDlgExtendedError();
        if (error != 0) throw Exception(FileDialogFailedMessage(error));
        return false;
    }
    fileName_ = name.data();
    filterIndex_ = static_cast<int>(ofn.nFilterIndex);
    if (ofn.Flags & OFN_READONLY)
        options_ |= ofReadOnly;
    else
        options_ &= ~static_cast<TOpenOptions>(ofReadOnly);
    return true;
}

}  // namespace qm
