// The Windows side of bench/clipboard-roundtrip.sh: waits for the next change of
// the clipboard, then for the text that the round trip ends with, reads it, and
// prints when that was done (the system's time, in nanoseconds since 1970, the
// clock the script starts its copy by) and how many bytes it read.
//   cliptimer filtered   the text once the filter (Quillmoth.exe) owns the clipboard
//   cliptimer copied     the copied text as it came, as soon as it can be read
// The wait starts at once; the script starts its copy after the program is up.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

long long NowNanoseconds() {
    FILETIME t;
    GetSystemTimePreciseAsFileTime(&t);
    const long long ticks =
        static_cast<long long>(t.dwHighDateTime) << 32 | static_cast<long long>(t.dwLowDateTime);
    // 100 ns ticks since 1601 to nanoseconds since 1970.
    return (ticks - 116444736000000000LL) * 100;
}

std::string OwnerName() {
    DWORD process = 0;
    if (HWND owner = GetClipboardOwner()) GetWindowThreadProcessId(owner, &process);
    HANDLE handle =
        process ? OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process) : nullptr;
    if (!handle) return {};
    char path[MAX_PATH];
    DWORD size = MAX_PATH;
    std::string name;
    if (QueryFullProcessImageNameA(handle, 0, path, &size)) {
        const char* base = std::strrchr(path, '\\');
        name = base ? base + 1 : path;
    }
    CloseHandle(handle);
    return name;
}

// The clipboard's CF_TEXT, or nothing when it cannot be opened or holds none.
bool ReadText(std::size_t& bytes) {
    if (!OpenClipboard(nullptr)) return false;
    bool read = false;
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
        if (const char* text = static_cast<const char*>(GlobalLock(data))) {
            bytes = std::strlen(text);
            read = true;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return read;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode != "filtered" && mode != "copied") {
        std::fputs("usage: cliptimer filtered|copied\n", stderr);
        return 2;
    }
    const DWORD start = GetClipboardSequenceNumber();
    const DWORD deadline = GetTickCount() + 120000;
    std::size_t bytes = 0;
    for (;;) {
        if (GetTickCount() > deadline) {
            std::fputs("cliptimer: nothing came within 120 s\n", stderr);
            return 1;
        }
        const bool changed = GetClipboardSequenceNumber() != start;
        if (changed && (mode == "copied" || OwnerName() == "Quillmoth.exe") && ReadText(bytes))
            break;
        Sleep(2);
    }
    std::printf("%lld %zu\n", NowNanoseconds(), bytes);
    return 0;
}
