#include "base/Characters.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace qm {

namespace {

template <std::size_t N>
constexpr LeadByteTable TableOf(const std::array<ByteRange, N>& ranges) {
    LeadByteTable t{};
    for (const ByteRange& r : ranges) {
        for (unsigned b = r.first; b <= r.last; ++b)
            t[b] = true;
    }
    return t;
}

constexpr LeadByteTable kCodePage932Table = TableOf(kCodePage932LeadRanges);
constexpr LeadByteTable kWideTable = TableOf(kWideLeadRanges);

}  // namespace

const LeadByteTable& CodePage932LeadBytes() {
    return kCodePage932Table;
}

const LeadByteTable& CodePageLeadBytes() {
#ifdef _WIN32
    static const LeadByteTable table = [] {
        LeadByteTable t{};
        for (unsigned b = 0; b < 256; ++b)
            t[b] = IsDBCSLeadByte(static_cast<BYTE>(b)) != FALSE;
        return t;
    }();
    return table;
#else
    // Elsewhere the code page is code page 932 by definition: one table serves both.
    return kCodePage932Table;
#endif
}

const LeadByteTable& WideLeadBytes() {
    return kWideTable;
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
