#include "clipboard/Clipboard.h"

#include <cstring>
#include <utility>

#include "framework/Application.h"
#include "framework/Exception.h"

namespace qm {

// "cannot open the clipboard"
const char kClipboardOpenError[] =
    "\x83\x4e\x83\x8a\x83\x62\x83\x76\x83\x7b\x81\x5b\x83\x68\x82\xf0\x8a\x4a\x82\xad\x82\xb1\x82"
    "\xc6\x82\xaa"
    "\x82\xc5\x82\xab\x82\xdc\x82\xb9\x82\xf1";

namespace {

int g_openings = 0;
bool g_emptied = false;

// Another program (Wine's own clipboard bridge among them) may hold the clipboard
// for a moment right after a change; a short wait spares the user a false alarm.
bool OpenWithRetry(HWND owner) {
    for (int attempt = 0; attempt < 20; ++attempt) {
        if (OpenClipboard(owner)) return true;
        Sleep(25);
    }
    return false;
}

class GlobalBlock {
  public:
    explicit GlobalBlock(std::size_t size)
        : handle_(GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, size)) {}
    ~GlobalBlock() {
        if (handle_) GlobalFree(handle_);
    }
    GlobalBlock(const GlobalBlock&) = delete;
    GlobalBlock& operator=(const GlobalBlock&) = delete;
    HGLOBAL Get() const { return handle_; }
    HGLOBAL Release() { return std::exchange(handle_, nullptr); }

  private:
    HGLOBAL handle_;
};

class GlobalLockGuard {
  public:
    explicit GlobalLockGuard(HGLOBAL h) : handle_(h), data_(h ? GlobalLock(h) : nullptr) {}
    ~GlobalLockGuard() {
        if (data_) GlobalUnlock(handle_);
    }
    GlobalLockGuard(const GlobalLockGuard&) = delete;
    GlobalLockGuard& operator=(const GlobalLockGuard&) = delete;
    void* Data() const { return data_; }

  private:
    HGLOBAL handle_;
    void* data_;
};

}  // namespace

ClipboardOpening::ClipboardOpening() {
    if (g_openings == 0) {
        if (!OpenWithRetry(Application().MainWindow())) throw Exception(kClipboardOpenError);
        g_emptied = false;
    }
    ++g_openings;
}

ClipboardOpening::~ClipboardOpening() {
    if (--g_openings == 0) CloseClipboard();
}

void ClipboardOpening::EmptyOnce() {
    if (g_emptied) return;
    EmptyClipboard();
    g_emptied = true;
}

bool ClipboardHasFormat(UINT format) {
    return IsClipboardFormatAvailable(format) != 0;
}

std::string ReadClipboardText() {
    ClipboardOpening opening;
    HANDLE data = GetClipboardData(CF_TEXT);
    if (!data) return {};
    GlobalLockGuard lock(data);
    const char* bytes = static_cast<const char*>(lock.Data());
    if (!bytes) return {};
    // The block may be larger than its text; it is never read past its own size.
    const std::size_t size = GlobalSize(data);
    const void* nul = std::memchr(bytes, '\0', size);
    return std::string(
        bytes, nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - bytes) : size);
}

void WriteClipboardText(std::string_view text) {
    ClipboardOpening opening;
    GlobalBlock block(text.size() + 1);
    if (!block.Get()) throw Exception("Not enough memory for the clipboard text");
    {
        GlobalLockGuard lock(block.Get());
        if (!lock.Data()) throw Exception("Not enough memory for the clipboard text");
        std::memcpy(lock.Data(), text.data(), text.size());
        static_cast<char*>(lock.Data())[text.size()] = '\0';
    }
    opening.EmptyOnce();
    if (!SetClipboardData(CF_TEXT, block.Get()))
        throw Exception("Cannot put the text on the clipboard");
    block.Release();  // the clipboard owns it now
}

void ClearClipboard() {
    ClipboardOpening opening;
    EmptyClipboard();
    g_emptied = true;
}

}  // namespace qm
