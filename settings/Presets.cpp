#include "settings/Presets.h"

#include <windows.h>

#include <cstring>

namespace qm {

namespace {

// Just past the last "\" or "/" that is a character of its own (and the drive colon
// when colon is set); 0 when there is none.
std::size_t AfterLastSeparator(const std::string& path, bool colon) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < path.size(); ++i) {
        const auto c = static_cast<unsigned char>(path[i]);
        if (IsDBCSLeadByte(c) && i + 1 < path.size()) {
            ++i;
        } else if (c == '\\' || c == '/' || (colon && c == ':')) {
            start = i + 1;
        }
    }
    return start;
}

class FindHandle {
  public:
    FindHandle(const std::string& pattern, WIN32_FIND_DATAA& data)
        : handle_(FindFirstFileA(pattern.c_str(), &data)) {}
    ~FindHandle() {
        if (handle_ != INVALID_HANDLE_VALUE) FindClose(handle_);
    }
    FindHandle(const FindHandle&) = delete;
    FindHandle& operator=(const FindHandle&) = delete;
    bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    bool Next(WIN32_FIND_DATAA& data) { return FindNextFileA(handle_, &data) != 0; }

  private:
    HANDLE handle_;
};

bool IsDots(const char* name) {
    return !std::strcmp(name, ".") || !std::strcmp(name, "..");
}

}  // namespace

std::string ExtractFileName(const std::string& path) {
    return path.substr(AfterLastSeparator(path, true));
}

std::string ExtractFileDir(const std::string& path) {
    const std::size_t start = AfterLastSeparator(path, false);
    return path.substr(0, start == 0 ? 0 : start - 1);
}

std::string ChangeFileExt(const std::string& path, const std::string& ext) {
    // A dot is never the second byte of a two-byte character.
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || dot < AfterLastSeparator(path, true)) return path + ext;
    return path.substr(0, dot) + ext;
}

std::string ExtractFileTitle(const std::string& path) {
    const std::string name = ExtractFileName(path);
    const std::size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

bool ListFiles(std::string folder, const std::string& mask, std::vector<std::string>& list,
               int depth, std::size_t limit) {
    if (folder.empty() || AfterLastSeparator(folder, false) != folder.size()) folder += '\\';
    WIN32_FIND_DATAA data;
    {
        FindHandle files(folder + mask, data);
        for (bool more = files.Valid(); more; more = files.Next(data)) {
            if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !IsDots(data.cFileName)) {
                if (list.size() >= limit) return false;
                list.push_back(folder + data.cFileName);
            }
        }
    }
    if (depth <= 0) return true;
    FindHandle entries(folder + "*.*", data);
    for (bool more = entries.Valid(); more; more = entries.Next(data)) {
        const DWORD a = data.dwFileAttributes;
        // A link back up the tree would be walked for ever.
        if ((a & FILE_ATTRIBUTE_DIRECTORY) && !(a & FILE_ATTRIBUTE_REPARSE_POINT) &&
            !IsDots(data.cFileName)) {
            if (!ListFiles(folder + data.cFileName + "\\", mask, list, depth - 1, limit))
                return false;
        }
    }
    return true;
}

}  // namespace qm
