#include "app/LeftAlone.h"

#include <vector>

namespace qm {

namespace {

struct ProcessHandle {
    HANDLE handle;
    ~ProcessHandle() {
        if (handle) CloseHandle(handle);
    }
};

// The list is converted whole before it is split: in code page 932 a "\" or a letter
// may be the second byte of a two-byte character.
std::wstring Widen(std::string_view text) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), size, wide.data(), n);
    return wide;
}

std::wstring_view BareName(std::wstring_view path) {
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring_view::npos ? path : path.substr(slash + 1);
}

std::wstring_view Trimmed(std::wstring_view s) {
    const wchar_t* blanks = L" \t\u3000";
    const std::size_t first = s.find_first_not_of(blanks);
    if (first == std::wstring_view::npos) return {};
    return s.substr(first, s.find_last_not_of(blanks) - first + 1);
}

}  // namespace

std::wstring ProgramOfWindow(HWND window) {
    DWORD process = 0;
    if (!window || !GetWindowThreadProcessId(window, &process) || !process) return {};
    const ProcessHandle opened{OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process)};
    if (!opened.handle) return {};
    std::vector<wchar_t> path(32768);
    DWORD size = static_cast<DWORD>(path.size());
    if (!QueryFullProcessImageNameW(opened.handle, 0, path.data(), &size)) return {};
    return std::wstring(BareName(std::wstring_view(path.data(), size)));
}

bool IsListedProgram(std::string_view list, std::wstring_view program) {
    if (program.empty()) return false;
    const std::wstring names = Widen(list);
    std::wstring_view rest = names;
    while (!rest.empty()) {
        const std::size_t end = rest.find(L';');
        const std::wstring_view name = BareName(Trimmed(rest.substr(0, end)));
        if (!name.empty() &&
            CompareStringOrdinal(name.data(), static_cast<int>(name.size()), program.data(),
                                 static_cast<int>(program.size()), TRUE) == CSTR_EQUAL) {
            return true;
        }
        if (end == std::wstring_view::npos) break;
        rest.remove_prefix(end + 1);
    }
    return false;
}

}  // namespace qm
