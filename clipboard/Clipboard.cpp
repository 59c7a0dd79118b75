#include "clipboard/Clipboard.h"

#include <cstring>
#include <utility>

#include "framework/Application.h"
#include "framework/Exception.h"
#include "framework/Messages.h"

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

namespace {

// The open clipboard's CF_TEXT up to its first NUL into out; false when the text is
// offered but cannot be had.
bool ReadOpenText(std::string& out) {
    out.clear();
    HANDLE data = GetClipboardData(CF_TEXT);
    if (!data) return false;
    GlobalLockGuard lock(data);
    const char* bytes = static_cast<const char*>(lock.Data());
    if (!bytes) return false;
    // The block may be larger than its text; it is never read past its own size.
    const std::size_t size = GlobalSize(data);
    const void* nul = std::memchr(bytes, '\0', size);
    out.assign(bytes, nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - bytes) : size);
    return true;
}

// Formats by which a source marks its copy as none of a clipboard tool's business.
bool IsMarkedPrivate() {
    static const UINT markers[] = {
        RegisterClipboardFormatA("ExcludeClipboardContentFromMonitorProcessing"),
        RegisterClipboardFormatA("Clipboard Viewer Ignore"),
    };
    for (const UINT marker : markers) {
        if (marker && IsClipboardFormatAvailable(marker)) return true;
    }
    return false;
}

// CF_LOCALE tells a Unicode reader which code page the CF_TEXT is in, whatever the
// user's input language: the text is always Japanese.
constexpr LCID kJapanese = 0x0411;

void PutText(ClipboardOpening& opening, std::string_view text) {
    // Both blocks exist before the clipboard is emptied: a failed allocation leaves
    // the user's copy where it was.
    GlobalBlock block(text.size() + 1);
    GlobalBlock locale(sizeof(LCID));
    if (!block.Get() || !locale.Get()) throw Exception(kClipboardMemoryMessage);
    {
        GlobalLockGuard lock(block.Get());
        GlobalLockGuard localeLock(locale.Get());
        if (!lock.Data() || !localeLock.Data()) throw Exception(kClipboardMemoryMessage);
        std::memcpy(lock.Data(), text.data(), text.size());
        static_cast<char*>(lock.Data())[text.size()] = '\0';
        std::memcpy(localeLock.Data(), &kJapanese, sizeof kJapanese);
    }
    opening.EmptyOnce();
    if (!SetClipboardData(CF_TEXT, block.Get())) throw Exception(kClipboardPutMessage);
    block.Release();  // the clipboard owns it now
    // The text is on the clipboard either way; without the locale a Unicode reader
    // falls back to the system's code page, which is Japanese on our systems.
    if (SetClipboardData(CF_LOCALE, locale.Get())) locale.Release();
}

}  // namespace

std::string ReadClipboardText() {
    ClipboardOpening opening;
    std::string text;
    ReadOpenText(text);
    return text;
}

ClipboardCopy ReadClipboardCopy() {
    ClipboardOpening opening;
    ClipboardCopy copy;
    copy.isPrivate = IsMarkedPrivate();
    if (!copy.isPrivate) copy.unreadable = !ReadOpenText(copy.text);
    // Taken after the read: an owner that renders its text on our request may count
    // that as a change, and it is still the copy we read.
    copy.sequence = GetClipboardSequenceNumber();
    return copy;
}

void WriteClipboardText(std::string_view text) {
    ClipboardOpening opening;
    PutText(opening, text);
}

bool WriteClipboardTextIfUnchanged(std::string_view text, DWORD sequence) {
    ClipboardOpening opening;
    if (GetClipboardSequenceNumber() != sequence) return false;
    PutText(opening, text);
    return true;
}

bool ClipboardHoldsOurWrite() {
    return GetClipboardOwner() == Application().MainWindow();
}

void ClearClipboard() {
    ClipboardOpening opening;
    EmptyClipboard();
    g_emptied = true;
}

}  // namespace qm
