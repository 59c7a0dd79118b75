// Paths in the platform's form, and the program's own. The splits walk characters: a
// 0x5C that is the second byte of a two-byte character (the kanji 0x955C of a program
// named with it) is no separator.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace qm {

// The bare file name of path, extension included.
std::string ExtractFileName(const std::string& path);

// The folder part of path without its trailing separator ("C:\x" for "C:\x\a.ini");
// empty when path names no folder.
std::string ExtractFileDir(const std::string& path);

// The bare file name of path without its last extension: "a.b" for "C:\x\a.b.ini".
std::string ExtractFileTitle(const std::string& path);

// path with its last extension replaced by ext (".ini"); a dot in a folder's name is
// no extension, and a name without one gets ext appended.
std::string ChangeFileExt(const std::string& path, const std::string& ext);

// path made absolute from the working folder; path itself when the platform cannot.
std::string FullPath(const std::string& path);

// Whether a file (not a folder) of that name exists. On Windows a name with a
// wildcard names none.
bool FileExists(const std::string& path);
// The same by the folder's listing: on Windows an entry that the platform cannot
// describe (a socket or a device under Wine) counts too, where FileExists sees none.
bool FileListed(const std::string& path);

// The program file's full path, its folder (no trailing separator) and its name.
std::string ProgramPath();
std::string ProgramFolder();
std::string ProgramFileName();

#ifdef _WIN32

// The bounds of the presets scan, which runs on the interface thread at start and
// after every OK, wherever the program sits (the Desktop, a drive's root): subfolder
// levels below the program's folder, and paths listed.
inline constexpr int kPresetDepth = 4;
inline constexpr std::size_t kPresetLimit = 200;

// Appends to list the full paths of the files in folder that match mask, in the
// order the file system gives them, then those of every subfolder, depth-first.
// Hidden and system files are listed; folders are searched, never listed. Folders
// that are reparse points (links, junctions) are not entered, subfolders only down
// to depth levels, and the list grows to limit paths at most: the answer is false
// when it stopped there with more to list.
bool ListFiles(std::string folder, const std::string& mask, std::vector<std::string>& list,
               int depth = kPresetDepth, std::size_t limit = kPresetLimit);

#endif

}  // namespace qm
