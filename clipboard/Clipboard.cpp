#include "clipboard/Clipboard.h"

#include <cstring>
#include <string>
#include <utility>

#include "base/Exception.h"
#include "framework/Application.h"
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
// The wait is measured in time, not in tries: on a busy machine each try and each
// sleep take longer, and a count of tries then gives up before the holder is done.
constexpr ULONGLONG kOpenPatienceMs = 1500;

bool OpenWithRetry(HWND owner) {
    const ULONGLONG start = GetTickCount64();
    for (;;) {
        if (OpenClipboard(owner)) return true;
        if (GetTickCount64() - start >= kOpenPatienceMs) return false;
        Sleep(15);
    }
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

// The open clipboard's text in `format` (CF_TEXT into bytes, CF_UNICODETEXT into
// UTF-16) up to its first NUL into out; false when the text is offered but cannot
// be had.
template <typename Text>
bool ReadOpenText(UINT format, Text& out) {
    using Unit = typename Text::value_type;
    out.clear();
    HANDLE data = GetClipboardData(format);
    if (!data) return false;
    GlobalLockGuard lock(data);
    const Unit* units = static_cast<const Unit*>(lock.Data());
    if (!units) return false;
    // The block may be larger than its text; it is never read past its own size.
    const std::size_t size = GlobalSize(data) / sizeof(Unit);
    const Unit* const nul = std::char_traits<Unit>::find(units, size, Unit{});
    out.assign(units, nul ? static_cast<std::size_t>(nul - units) : size);
    return true;
}

// Whether the source put Unicode text. The platform lists the formats it converts
// the source's text to after the source's own, and a source that writes several
// puts its best first: the first text format listed is the one to read.
bool SourceWroteUnicode() {
    for (UINT format = EnumClipboardFormats(0); format; format = EnumClipboardFormats(format)) {
        if (format == CF_UNICODETEXT) return true;
        if (format == CF_TEXT || format == CF_OEMTEXT) return false;
    }
    return false;
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

template <typename Unit>
void PutText(ClipboardOpening& opening, UINT format, std::basic_string_view<Unit> text) {
    // Both blocks exist before the clipboard is emptied: a failed allocation leaves
    // the user's copy where it was.
    const std::size_t bytes = text.size() * sizeof(Unit);
    GlobalBlock block(bytes + sizeof(Unit));
    GlobalBlock locale(sizeof(LCID));
    if (!block.Get() || !locale.Get()) throw Exception(kClipboardMemoryMessage);
    {
        GlobalLockGuard lock(block.Get());
        GlobalLockGuard localeLock(locale.Get());
        if (!lock.Data() || !localeLock.Data()) throw Exception(kClipboardMemoryMessage);
        std::memcpy(lock.Data(), text.data(), bytes);
        static_cast<Unit*>(lock.Data())[text.size()] = Unit{};
        std::memcpy(localeLock.Data(), &kJapanese, sizeof kJapanese);
    }
    opening.EmptyOnce();
    if (!SetClipboardData(format, block.Get())) throw Exception(kClipboardPutMessage);
    block.Release();  // the clipboard owns it now
    // The text is on the clipboard either way; without the locale a Unicode reader
    // falls back to the system's code page, which is Japanese on our systems.
    if (SetClipboardData(CF_LOCALE, locale.Get())) locale.Release();
}

void PutText(ClipboardOpening& opening, std::string_view text) {
    PutText(opening, CF_TEXT, text);
}

void PutText(ClipboardOpening& opening, std::u16string_view text) {
    PutText(opening, CF_UNICODETEXT, text);
}

template <typename Text>
bool WriteIfUnchanged(Text text, DWORD sequence) {
    ClipboardOpening opening;
    if (GetClipboardSequenceNumber() != sequence) return false;
    PutText(opening, text);
    return true;
}

}  // namespace

std::string ReadClipboardText() {
    ClipboardOpening opening;
    std::string text;
    ReadOpenText(CF_TEXT, text);
    return text;
}

ClipboardCopy ReadClipboardCopy() {
    ClipboardOpening opening;
    ClipboardCopy copy;
    copy.isPrivate = IsMarkedPrivate();
    if (!copy.isPrivate) {
        copy.isUnicode = SourceWroteUnicode();
        copy.unreadable = copy.isUnicode ? !ReadOpenText(CF_UNICODETEXT, copy.unicode)
                                         : !ReadOpenText(CF_TEXT, copy.text);
    }
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
    return WriteIfUnchanged(text, sequence);
}

bool WriteClipboardTextIfUnchanged(std::u16string_view text, DWORD sequence) {
    return WriteIfUnchanged(text, sequence);
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
