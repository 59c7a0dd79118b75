// The About box and the version strings it reads from a program file.
#pragma once

#include <windows.h>

#include <string>

namespace qm {

// "Key : value" for one of the eight standard version strings of file (0 CompanyName
// ... 7 ProductVersion; above 7 means 2, FileVersion); "Key : None" when the file's
// first translation lacks it; "unidentified" without a usable version resource.
std::string VersionInfoText(const std::string& file, unsigned index);

extern const char kCopyrightNotice[];

// The box's text: title, full-width blank, copyright, an empty line, the file version.
std::string AboutText(const std::string& title, const std::string& executable);

// Shows the About box (caption "information" in Japanese, information icon, OK) over owner.
void ShowAboutBox(HWND owner, const std::string& title);

}  // namespace qm
