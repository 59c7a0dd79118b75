// A Windows program on the other side of the clipboard, for the end-to-end tests:
// it copies and reads exact CF_TEXT bytes, which X clients cannot do (Wine turns
// CR LF into LF on the way out to X and back on the way in).
//   cliptool put          standard input becomes the clipboard's CF_TEXT
//   cliptool put-bitmap   a small bitmap and nothing else
//   cliptool get          CF_TEXT to standard output; exit 3 when there is none
//   cliptool formats      the formats on the clipboard, one number a line
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
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

int Put() {
    std::string data;
    char buf[65536];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, stdin)) > 0)
        data.append(buf, n);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, data.size() + 1);
    std::memcpy(GlobalLock(block), data.c_str(), data.size() + 1);
    GlobalUnlock(block);
    if (!Open()) return 2;
    EmptyClipboard();
    const bool ok = SetClipboardData(CF_TEXT, block) != nullptr;
    CloseClipboard();
    return ok ? 0 : 2;
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
    if (command == "put") return Put();
    if (command == "put-bitmap") return PutBitmap();
    if (command == "get") return Get();
    if (command == "formats") return Formats();
    std::fputs("usage: cliptool put|put-bitmap|get|formats\n", stderr);
    return 2;
}
