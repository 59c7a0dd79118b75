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
// Leaves the text as CF_TEXT and nothing else on the clipboard.
void WriteClipboardText(std::string_view text);
void ClearClipboard();

extern const char kClipboardOpenError[];

}  // namespace qm
