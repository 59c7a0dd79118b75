#include "base/Characters.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace qm {

bool IsCodePageLeadByte(std::uint8_t b) {
#ifdef _WIN32
    return IsDBCSLeadByte(b) != FALSE;
#else
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
#endif
}

bool LeadByteAt(std::string_view text, std::ptrdiff_t n) {
    if (n <= 0 || n > static_cast<std::ptrdiff_t>(text.size())) return false;
    bool state = false;
    for (std::ptrdiff_t i = 0; i < n; ++i) {
        state = InWideLeadRange(static_cast<std::uint8_t>(text[static_cast<std::size_t>(i)]))
                    ? !state
                    : false;
    }
    return state;
}

}  // namespace qm
