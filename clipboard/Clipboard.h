// The clipboard operations the program relies on. Openings nest: only the
// outermost opening calls the platform, and every operation closes what it opened,
// also when it fails.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace qm {

// One (possibly nested) opening of the clipboard, owned by the application's main
// window. Raises "cannot open the clipboard" (in Japanese) when the clipboard stays
// held by another program.
class ClipboardOpening {
  public:
    ClipboardOpening();
    ~ClipboardOpening();
    ClipboardOpening(const ClipboardOpening&) = delete;
    ClipboardOpening& operator=(const ClipboardOpening&) = delete;

    // Empties the clipboard unless that has been done during the outermost opening.
    void EmptyOnce();
};

bool ClipboardHasFormat(UINT format);
// CF_TEXT up to its first NUL; empty when the clipboard holds no text.
std::string ReadClipboardText();
// Leaves the text as CF_TEXT, with CF_LOCALE Japanese, and nothing else on the clipboard.
void WriteClipboardText(std::string_view text);
void ClearClipboard();

// The clipboard's text as one opening found it, with what a filter run must know
// before it may write anything back.
struct ClipboardCopy {
    // The text in the form its source wrote it: CF_UNICODETEXT in `unicode` when
    // the source put Unicode text, CF_TEXT in `text` when it put code page 932
    // bytes. Each is the other's conversion by the platform, and only the source's
    // own form holds the text without loss.
    bool isUnicode = false;
    std::string text;
    std::u16string unicode;
    // The clipboard's sequence number under the same opening: a write that finds
    // another has come since would destroy a newer copy.
    DWORD sequence = 0;
    // Its source asked clipboard tools to leave it alone (a password manager's
    // secret); the text is then not read at all.
    bool isPrivate = false;
    // Text was offered but could not be had (an owner that failed to render it, a
    // broken block): that is no empty text.
    bool unreadable = false;
};
ClipboardCopy ReadClipboardCopy();

// Writes as WriteClipboardText does, unless the clipboard's sequence number has
// moved past `sequence`; answers whether it wrote.
bool WriteClipboardTextIfUnchanged(std::string_view text, DWORD sequence);
// The same for Unicode text: CF_UNICODETEXT with CF_LOCALE Japanese, and nothing
// else; programs that read CF_TEXT get what the platform makes of it.
bool WriteClipboardTextIfUnchanged(std::u16string_view text, DWORD sequence);
// Whether what the clipboard holds is still what the program last wrote: no other
// program has emptied it since.
bool ClipboardHoldsOurWrite();

extern const char kClipboardOpenError[];

}  // namespace qm
