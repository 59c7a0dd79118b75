// Programs whose copies are left alone: the user lists them by file name ("KeePass.exe;
// EXCEL.EXE"), and a copy whose clipboard owner runs one of them is not filtered.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace qm {

// The bare file name of the program that runs the window ("KeePass.exe"); empty when
// it cannot be had (no window, a process gone or closed to us).
std::wstring ProgramOfWindow(HWND window);

// Whether program is one of the names in list (code page 932, names between ";"), as
// the file system compares names: case-insensitively. A name given with its folder
// counts by its bare name; an empty program is in no list.
bool IsListedProgram(std::string_view list, std::wstring_view program);

}  // namespace qm
