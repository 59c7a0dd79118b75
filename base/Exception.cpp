#include "base/Exception.h"

#include "base/Messages.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cstring>
#endif

namespace qm {

std::string ListIndexErrorMessage(long long index) {
    // "the list index is out of range (%d)"
    return "\x83\x8a\x83\x58\x83\x67\x82\xcc\x83\x43\x83\x93\x83\x66\x83\x62\x83\x4e\x83\x58\x82"
           "\xaa\x94\xcd\x88"
           "\xcd\x82\xf0\x92\xb4\x82\xa6\x82\xc4\x82\xa2\x82\xdc\x82\xb7 (" +
           std::to_string(index) + ")";
}

std::string SystemErrorText(int code) {
#ifdef _WIN32
    char* text = nullptr;
    const DWORD n = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string s = n && text ? std::string(text, n) : ErrorCodeMessage(static_cast<DWORD>(code));
    if (text) LocalFree(text);
#else
    std::string s = std::strerror(code);
#endif
    while (!s.empty() && static_cast<unsigned char>(s.back()) <= 0x20)
        s.pop_back();
    return s;
}

}  // namespace qm
