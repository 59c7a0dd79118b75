#include "app/About.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "base/Path.h"

namespace qm {

const char kCopyrightNotice[] = "Copyright (C) 2026 Orrinworks";

namespace {

const char* const kVersionKeys[] = {"\\CompanyName",  "\\FileDescription", "\\FileVersion",
                                    "\\InternalName", "\\LegalCopyright",  "\\OriginalFilename",
                                    "\\ProductName",  "\\ProductVersion"};

}  // namespace

std::string VersionInfoText(const std::string& file, unsigned index) {
    if (index > 7) index = 2;
    const std::string key = kVersionKeys[index];
    const std::string name = key.substr(1);
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(file.c_str(), &handle);
    if (size == 0) return "unidentified";
    std::vector<char> block(size);
    if (!GetFileVersionInfoA(file.c_str(), 0, size, block.data())) return "unidentified";

    void* translation = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", &translation, &length) ||
        length < 4) {
        return "unidentified";
    }
    // Language in the low half, code page in the high half: "041103A4".
    DWORD entry;
    std::memcpy(&entry, translation, sizeof entry);
    char table[9];
    std::snprintf(table, sizeof table, "%04X%04X", static_cast<unsigned>(entry & 0xFFFF),
                  static_cast<unsigned>(entry >> 16));

    const std::string query = std::string("\\StringFileInfo\\") + table + key;
    void* value = nullptr;
    if (VerQueryValueA(block.data(), query.c_str(), &value, &length) && length > 0) {
        return name + " : " + static_cast<const char*>(value);
    }
    return name + " : None";
}

std::string AboutText(const std::string& title, const std::string& executable) {
    // title, a full-width blank (0x81 0x40), the notice, an empty line, the version
    return title + "\x81\x40" + kCopyrightNotice + "\r\n\r\n" + VersionInfoText(executable, 2);
}

void ShowAboutBox(HWND owner, const std::string& title) {
    // "information"
    MessageBoxA(owner, AboutText(title, ProgramPath()).c_str(), "\x8f\xee\x95\xf1",
                MB_OK | MB_ICONINFORMATION);
}

}  // namespace qm
