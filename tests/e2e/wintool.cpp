// Looks at the windows of other programs, for the end-to-end tests: what a dialog or a
// message box says, and where its controls are on the screen, so that a test can
// click them with real input.
//   wintool texts TITLE           the text of every window inside the visible top-level
//                                 window titled TITLE, one a line, in window order
//   wintool center TITLE TEXT [N] the screen point at the middle of the N-th (from 0)
//                                 window inside TITLE whose text is TEXT
//   wintool rect TITLE TEXT [N]   its screen rectangle: left top right bottom
//   wintool tab TITLE N           the screen point at the middle of the N-th (from 0)
//                                 tab of the page control inside TITLE
//   wintool visible TITLE         exit 0 when a visible top-level window has TITLE
//   wintool close EXE [--untitled]
//                                 posts WM_CLOSE to every top-level window of the
//                                 processes whose program file is EXE (only to those
//                                 without a title with --untitled), as taskkill does
// Titles and texts are compared as the program's code page has them (Wine turns the
// command line into it).
#include <windows.h>

#include <commctrl.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

HWND FindTopLevel(const std::string& title) {
    struct Search {
        const std::string* title;
        HWND found;
    } search{&title, nullptr};
    EnumWindows(
        [](HWND w, LPARAM p) -> BOOL {
            auto* s = reinterpret_cast<Search*>(p);
            char text[512];
            GetWindowTextA(w, text, sizeof text);
            if (IsWindowVisible(w) && *s->title == text) {
                s->found = w;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::vector<HWND> Children(HWND parent) {
    std::vector<HWND> children;
    EnumChildWindows(
        parent,
        [](HWND w, LPARAM p) -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(p)->push_back(w);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&children));
    return children;
}

std::string TextOf(HWND w) {
    char text[4096];
    const LRESULT n = SendMessageA(w, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return std::string(text, static_cast<std::size_t>(n));
}

int CloseWindowsOf(const char* exe, bool untitledOnly) {
    struct Search {
        std::vector<DWORD> processes;
        bool untitledOnly;
        int posted = 0;
    } search{{}, untitledOnly};
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more;
         more = Process32Next(snapshot, &entry)) {
        if (lstrcmpiA(entry.szExeFile, exe) == 0) search.processes.push_back(entry.th32ProcessID);
    }
    CloseHandle(snapshot);
    EnumWindows(
        [](HWND w, LPARAM p) -> BOOL {
            auto* s = reinterpret_cast<Search*>(p);
            DWORD process = 0;
            GetWindowThreadProcessId(w, &process);
            for (DWORD wanted : s->processes) {
                if (process != wanted || (s->untitledOnly && GetWindowTextLengthA(w) > 0)) continue;
                PostMessageA(w, WM_CLOSE, 0, 0);
                ++s->posted;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    std::printf("%d\n", search.posted);
    return search.posted > 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "close" && argc >= 3)
        return CloseWindowsOf(argv[2], argc > 3 && std::string(argv[3]) == "--untitled");
    if (argc < 3) {
        std::fputs("usage: wintool texts|center|rect|tab|visible|close TITLE [TEXT [N]]\n", stderr);
        return 2;
    }
    const HWND top = FindTopLevel(argv[2]);
    if (command == "visible") return top ? 0 : 1;
    if (!top) {
        std::fprintf(stderr, "wintool: no visible window titled %s\n", argv[2]);
        return 1;
    }
    if (command == "texts") {
        std::printf("%s\n", TextOf(top).c_str());
        for (HWND w : Children(top))
            std::printf("%s\n", TextOf(w).c_str());
        return 0;
    }
    if ((command == "center" || command == "rect") && argc >= 4) {
        int wanted = argc >= 5 ? std::atoi(argv[4]) : 0;
        for (HWND w : Children(top)) {
            if (!IsWindowVisible(w) || TextOf(w) != argv[3] || wanted-- > 0) continue;
            RECT r;
            GetWindowRect(w, &r);
            if (command == "rect") {
                std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
            } else {
                std::printf("%ld %ld\n", (r.left + r.right) / 2, (r.top + r.bottom) / 2);
            }
            return 0;
        }
        std::fprintf(stderr, "wintool: no such window inside %s\n", argv[2]);
        return 1;
    }
    if (command == "tab" && argc >= 4) {
        for (HWND w : Children(top)) {
            char name[64];
            GetClassNameA(w, name, sizeof name);
            const std::string cls = name;
            if (cls != WC_TABCONTROLA && cls.find("PageControl") == std::string::npos) continue;
            // The control writes the rectangle into its own process's memory.
            DWORD process = 0;
            GetWindowThreadProcessId(w, &process);
            HANDLE other = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ, FALSE, process);
            void* remote =
                other ? VirtualAllocEx(other, nullptr, sizeof(RECT), MEM_COMMIT, PAGE_READWRITE)
                      : nullptr;
            RECT r{};
            const bool got = remote &&
                             SendMessageA(w, TCM_GETITEMRECT, std::atoi(argv[3]),
                                          reinterpret_cast<LPARAM>(remote)) &&
                             ReadProcessMemory(other, remote, &r, sizeof r, nullptr);
            if (remote) VirtualFreeEx(other, remote, 0, MEM_RELEASE);
            if (other) CloseHandle(other);
            if (!got) break;
            MapWindowPoints(w, nullptr, reinterpret_cast<POINT*>(&r), 2);
            std::printf("%ld %ld\n", (r.left + r.right) / 2, (r.top + r.bottom) / 2);
            return 0;
        }
        std::fprintf(stderr, "wintool: no such tab inside %s\n", argv[2]);
        return 1;
    }
    std::fputs("usage: wintool texts|center|rect|tab|visible TITLE [TEXT [N]]\n", stderr);
    return 2;
}
