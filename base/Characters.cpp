#include "base/Characters.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace qm {

#ifdef _WIN32
const LeadByteTable& CodePageLeadBytes() {
    static const LeadByteTable table = [] {
        LeadByteTable t{};
        for (unsigned b = 0; b < 256; ++b)
            t[b] = IsDBCSLeadByte(static_cast<BYTE>(b)) != FALSE;
        return t;
    }();
    return table;
}
#endif

const LeadByteTable& WideLeadBytes() {
    static constexpr LeadByteTable table = LeadBytesOf(kWideLeadRanges);
    return table;
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

bool LeadByteWalker::At(std::ptrdiff_t n) {
    const auto len = static_cast<std::ptrdiff_t>(text_.size());
    if (n <= 0 || n > len) return false;
    while (pos_ < n) {
        state_ = InWideLeadRange(static_cast<std::uint8_t>(text_[static_cast<std::size_t>(pos_)]))
                     ? !state_
                     : false;
        ++pos_;
    }
    return state_;
}

}  // namespace qm
