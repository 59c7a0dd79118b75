// The platform's code page 932, asked one character at a time. Only what the
// platform reads without error counts as a character, and a character is written
// only with a code that reads back as the same character: anything else the
// platform would make a "?" or a look-alike of.
#include <windows.h>

#include "unicode/CodePage932.h"

namespace qm {

namespace {

constexpr UINT kCodePage = 932;

char16_t Read(const char* bytes, int n) {
    wchar_t w[2];
    return MultiByteToWideChar(kCodePage, MB_ERR_INVALID_CHARS, bytes, n, w, 2) == 1
               ? static_cast<char16_t>(w[0])
               : CodePage932::kNoCharacter;
}

CodePage932 MakePlatform() {
    CodePage932 cp;
    for (unsigned b = 0; b < 256; ++b) {
        const auto byte = static_cast<BYTE>(b);
        if (IsDBCSLeadByteEx(kCodePage, byte)) {
            cp.SetLead(byte);
        } else {
            const char s[1] = {static_cast<char>(b)};
            cp.SetSingle(byte, Read(s, 1));
        }
    }
    for (unsigned lead = 0; lead < 256; ++lead) {
        if (!cp.IsLead(static_cast<std::uint8_t>(lead))) continue;
        for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
            const char s[2] = {static_cast<char>(lead), static_cast<char>(trail)};
            cp.SetPair(static_cast<std::uint16_t>(lead << 8 | trail), Read(s, 2));
        }
    }
    // Only characters the code page reads can be written with it.
    for (unsigned u = 0; u < 0x10000; ++u) {
        const auto c = static_cast<char16_t>(u);
        if (c == CodePage932::kNoCharacter) continue;
        const wchar_t w[1] = {static_cast<wchar_t>(c)};
        char out[2];
        BOOL usedDefault = FALSE;
        const int n = WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, w, 1, out, 2, nullptr,
                                          &usedDefault);
        if (n < 1 || usedDefault || Read(out, n) != c) continue;
        const auto code = static_cast<std::uint16_t>(
            n == 1 ? static_cast<std::uint8_t>(out[0])
                   : static_cast<std::uint8_t>(out[0]) << 8 | static_cast<std::uint8_t>(out[1]));
        cp.SetCode(c, code);
    }
    return cp;
}

}  // namespace

const CodePage932& PlatformCp932() {
    static const CodePage932 cp = MakePlatform();
    return cp;
}

}  // namespace qm
