// A Windows program on the other side of the clipboard, for the end-to-end tests:
// it copies and reads exact CF_TEXT bytes, which X clients cannot do (Wine turns
// CR LF into LF on the way out to X and back on the way in).
//   cliptool put [--html] [--mark NAME]... [--time]
//                         standard input becomes the clipboard's CF_TEXT, with an
//                         "HTML Format" beside it and empty blocks of the named formats;
//                         --time waits until another program writes the clipboard and
//                         prints the milliseconds from the copy to that write
//   cliptool put-owned SECONDS
//                         standard input becomes the clipboard's CF_TEXT, owned by a
//                         window of this program that stays for SECONDS
//   cliptool put-unicode [--time]
//                         standard input (UTF-8) becomes the clipboard's CF_UNICODETEXT
//                         and nothing else
//   cliptool get-unicode  CF_UNICODETEXT to standard output as UTF-8; exit 3 when none
//   cliptool put-bitmap   a small bitmap and nothing else
//   cliptool get          CF_TEXT to standard output; exit 3 when there is none
//   cliptool formats      the formats on the clipboard, one number a line
//   cliptool has NAME     exit 0 when the clipboard offers the format registered as NAME
//   cliptool locale       CF_LOCALE in hexadecimal; exit 3 when there is none
//   cliptool owner        the program file of the clipboard's owner, or nothing
//   cliptool own-refusing SECONDS
//                         owns the clipboard with an "HTML Format" and a CF_TEXT it
//                         promises to render but never does, for SECONDS
//   cliptool render-then-copy
//                         owns the clipboard with a CF_TEXT of 8 MB rendered on request;
//                         the moment the reader lets go of the clipboard, standard
//                         input is copied over it
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

bool Open() {
    for (int i = 0; i < 100; ++i) {
        if (OpenClipboard(nullptr)) return true;
        Sleep(20);
    }
    std::fputs("cliptool: cannot open the clipboard\n", stderr);
    return false;
}

template <typename Text>
HGLOBAL Block(const Text& data) {
    const std::size_t bytes = (data.size() + 1) * sizeof(data[0]);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
    std::memcpy(GlobalLock(block), data.c_str(), bytes);
    GlobalUnlock(block);
    return block;
}

HGLOBAL Block(const char* data) {
    return Block(std::string(data));
}

std::string ReadInput() {
    std::string data;
    char buf[65536];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, stdin)) > 0)
        data.append(buf, n);
    return data;
}

bool HasOption(int argc, char** argv, const char* option) {
    for (int i = 2; i < argc; ++i)
        if (std::strcmp(argv[i], option) == 0) return true;
    return false;
}

// After our copy, which has no owner window: the milliseconds until a program
// writes the clipboard, or -1 after a minute.
long WaitForWriter(DWORD copied) {
    while (!GetClipboardOwner()) {
        if (GetTickCount() - copied > 60000) return -1;
        Sleep(2);
    }
    return static_cast<long>(GetTickCount() - copied);
}

int Timed(int argc, char** argv, bool ok) {
    if (!ok || !HasOption(argc, argv, "--time")) return ok ? 0 : 2;
    const long ms = WaitForWriter(GetTickCount());
    std::printf("%ld\n", ms);
    return ms < 0 ? 4 : 0;
}

const char kHtml[] =
    "Version:0.9\r\nStartHTML:0\r\nEndHTML:0\r\nStartFragment:0\r\nEndFragment:0\r\n"
    "<html><body><b>copied</b></body></html>";

int Put(int argc, char** argv) {
    HGLOBAL block = Block(ReadInput());
    if (!Open()) return 2;
    EmptyClipboard();
    bool ok = SetClipboardData(CF_TEXT, block) != nullptr;
    for (int i = 2; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--html") {
            ok &=
                SetClipboardData(RegisterClipboardFormatA("HTML Format"), Block(kHtml)) != nullptr;
        } else if (option == "--mark" && i + 1 < argc) {
            ok &= SetClipboardData(RegisterClipboardFormatA(argv[++i]), Block("")) != nullptr;
        }
    }
    CloseClipboard();
    return Timed(argc, argv, ok);
}

int PutUnicode(int argc, char** argv) {
    const std::string utf8 = ReadInput();
    std::wstring text(utf8.size(), L'\0');
    text.resize(static_cast<std::size_t>(
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), text.data(),
                            static_cast<int>(text.size()))));
    HGLOBAL block = Block(text);
    if (!Open()) return 2;
    EmptyClipboard();
    const bool ok = SetClipboardData(CF_UNICODETEXT, block) != nullptr;
    CloseClipboard();
    return Timed(argc, argv, ok);
}

int GetUnicode() {
    if (!Open()) return 2;
    int code = 3;
    std::string utf8;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        const wchar_t* text = static_cast<const wchar_t*>(GlobalLock(data));
        const std::size_t size = GlobalSize(data) / sizeof(wchar_t);
        const wchar_t* nul = std::char_traits<wchar_t>::find(text, size, L'\0');
        const int n = static_cast<int>(nul ? nul - text : static_cast<std::ptrdiff_t>(size));
        utf8.resize(static_cast<std::size_t>(n) * 3);
        utf8.resize(static_cast<std::size_t>(WideCharToMultiByte(
            CP_UTF8, 0, text, n, utf8.data(), static_cast<int>(utf8.size()), nullptr, nullptr)));
        GlobalUnlock(data);
        code = 0;
    }
    CloseClipboard();
    std::fwrite(utf8.data(), 1, utf8.size(), stdout);
    return code;
}

int Has(const char* name) {
    return IsClipboardFormatAvailable(RegisterClipboardFormatA(name)) ? 0 : 1;
}

int Locale() {
    if (!Open()) return 2;
    int code = 3;
    if (HANDLE data = GetClipboardData(CF_LOCALE)) {
        std::printf("%04lx\n", *static_cast<const DWORD*>(GlobalLock(data)));
        GlobalUnlock(data);
        code = 0;
    }
    CloseClipboard();
    return code;
}

int Owner() {
    DWORD process = 0;
    if (HWND owner = GetClipboardOwner()) GetWindowThreadProcessId(owner, &process);
    HANDLE handle =
        process ? OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process) : nullptr;
    if (!handle) return 0;
    char path[MAX_PATH];
    DWORD size = MAX_PATH;
    if (QueryFullProcessImageNameA(handle, 0, path, &size)) {
        const char* name = std::strrchr(path, '\\');
        std::printf("%s\n", name ? name + 1 : path);
    }
    CloseHandle(handle);
    return 0;
}

std::string g_newer;

DWORD WINAPI CopyNewer(LPVOID) {
    for (int i = 0; i < 10000 && !OpenClipboard(nullptr); ++i)
        Sleep(1);
    EmptyClipboard();
    SetClipboardData(CF_TEXT, Block(g_newer));
    CloseClipboard();
    return 0;
}

LRESULT CALLBACK OwnerProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_RENDERFORMAT && wp == CF_TEXT && !g_newer.empty()) {
        std::string big;
        for (int i = 0; i < 4 * 1024 * 1024; ++i)
            big += "a\n";
        SetClipboardData(CF_TEXT, Block(big));
        // The reader still holds the clipboard: the thread gets it the moment it lets go.
        CloseHandle(CreateThread(nullptr, 0, CopyNewer, nullptr, 0, nullptr));
        return 0;
    }
    // Otherwise it renders nothing.
    if (m == WM_RENDERFORMAT || m == WM_RENDERALLFORMATS) return 0;
    return DefWindowProcA(w, m, wp, lp);
}

HWND OwnerWindow() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = OwnerProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "cliptool-owner";
    RegisterClassA(&wc);
    return CreateWindowA("cliptool-owner", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance,
                         nullptr);
}

void PumpFor(int seconds) {
    const DWORD end = GetTickCount() + static_cast<DWORD>(seconds) * 1000;
    while (GetTickCount() < end) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
    }
}

// Owns the clipboard with "HTML Format" and a CF_TEXT to be rendered on request.
int Own(int seconds) {
    HWND owner = OwnerWindow();
    for (int i = 0; i < 100 && !OpenClipboard(owner); ++i)
        Sleep(20);
    EmptyClipboard();
    SetClipboardData(RegisterClipboardFormatA("HTML Format"), Block(kHtml));
    SetClipboardData(CF_TEXT, nullptr);
    CloseClipboard();
    PumpFor(seconds);
    return 0;
}

int PutOwned(int seconds) {
    std::string data;
    char buf[65536];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, stdin)) > 0)
        data.append(buf, n);
    HWND owner = OwnerWindow();
    for (int i = 0; i < 100 && !OpenClipboard(owner); ++i)
        Sleep(20);
    EmptyClipboard();
    const bool ok = SetClipboardData(CF_TEXT, Block(data)) != nullptr;
    CloseClipboard();
    PumpFor(seconds);
    return ok ? 0 : 2;
}

int RenderThenCopy() {
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, stdin)) > 0)
        g_newer.append(buf, n);
    return Own(10);
}

int PutBitmap() {
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 8, 8);
    ReleaseDC(nullptr, screen);
    if (!Open()) return 2;
    EmptyClipboard();
    const bool ok = SetClipboardData(CF_BITMAP, bitmap) != nullptr;
    CloseClipboard();
    return ok ? 0 : 2;
}

int Get() {
    if (!Open()) return 2;
    int code = 3;
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
        const char* text = static_cast<const char*>(GlobalLock(data));
        const std::size_t size = GlobalSize(data);
        const void* nul = std::memchr(text, '\0', size);
        std::fwrite(text, 1, nul ? static_cast<const char*>(nul) - text : size, stdout);
        GlobalUnlock(data);
        code = 0;
    }
    CloseClipboard();
    return code;
}

int Formats() {
    if (!Open()) return 2;
    for (UINT f = EnumClipboardFormats(0); f; f = EnumClipboardFormats(f))
        std::printf("%u\n", f);
    CloseClipboard();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "put") return Put(argc, argv);
    if (command == "put-owned" && argc > 2) return PutOwned(std::atoi(argv[2]));
    if (command == "put-bitmap") return PutBitmap();
    if (command == "get") return Get();
    if (command == "put-unicode") return PutUnicode(argc, argv);
    if (command == "get-unicode") return GetUnicode();
    if (command == "formats") return Formats();
    if (command == "has" && argc > 2) return Has(argv[2]);
    if (command == "locale") return Locale();
    if (command == "owner") return Owner();
    if (command == "own-refusing" && argc > 2) return Own(std::atoi(argv[2]));
    if (command == "render-then-copy") return RenderThenCopy();
    std::fputs(
        "usage: cliptool "
        "put|put-owned|put-unicode|put-bitmap|get|get-unicode|formats|has|locale|owner|"
        "own-refusing|render-then-copy\n",
        stderr);
    return 2;
}
