#include "base/Path.h"

#include "base/Characters.h"

#ifdef _WIN32
#include <windows.h>

#include <cstring>
#else
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#endif

namespace qm {

namespace {

// Just past the last "\" or "/" that is a character of its own (and the drive colon
// when colon is set); 0 when there is none.
std::size_t AfterLastSeparator(const std::string& path, bool colon) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < path.size(); i = NextCharStart(path, i)) {
        const char c = path[i];
        if (c == '\\' || c == '/' || (colon && c == ':')) start = i + 1;
    }
    return start;
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

std::string ProgramFolder() {
    return ExtractFileDir(ProgramPath());
}

std::string ProgramFileName() {
    return ExtractFileName(ProgramPath());
}

#ifdef _WIN32

std::string FullPath(const std::string& path) {
    const DWORD size = GetFullPathNameA(path.c_str(), 0, nullptr, nullptr);
    if (size == 0) return path;
    std::string full(size, '\0');
    const DWORD used = GetFullPathNameA(path.c_str(), size, full.data(), nullptr);
    if (used == 0 || used >= size) return path;
    full.resize(used);
    return full;
}

bool FileExists(const std::string& path) {
    if (path.empty() || path.find_first_of("*?") != std::string::npos) return false;
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FileListed(const std::string& path) {
    // Wildcards would make the listing find some other file.
    if (path.empty() || path.find_first_of("*?") != std::string::npos) return false;
    WIN32_FIND_DATAA found;
    const HANDLE find = FindFirstFileA(path.c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return false;
    FindClose(find);
    return !(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string ProgramPath() {
    std::string path(MAX_PATH, '\0');
    for (;;) {
        const DWORD n = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

namespace {

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

#else

std::string FullPath(const std::string& path) {
    if (char* real = realpath(path.c_str(), nullptr)) {
        std::string full(real);
        std::free(real);
        return full;
    }
    if (!path.empty() && path[0] == '/') return path;
    std::string cwd(PATH_MAX, '\0');
    if (!getcwd(cwd.data(), cwd.size())) return path;
    cwd.resize(std::strlen(cwd.c_str()));
    return cwd + "/" + path;
}

bool FileExists(const std::string& path) {
    struct stat status;
    return !path.empty() && ::stat(path.c_str(), &status) == 0 && !S_ISDIR(status.st_mode);
}

bool FileListed(const std::string& path) {
    return FileExists(path);
}

std::string ProgramPath() {
    std::string path(PATH_MAX, '\0');
    const ssize_t n = ::readlink("/proc/self/exe", path.data(), path.size());
    path.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    return path;
}

#endif

}  // namespace qm
