// The Unicode edge: any bytes taken as UTF-8, as UTF-16 code units or as code page
// 932 go through the stand-in mapping and come back as they were (the properties
// are checked where the conversions live, so the tests and this target share them).
//
// Input: the first byte picks the reading, the rest is the text.
#include <cstddef>
#include <cstdint>

#include "unicode/FuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    switch (data[0] % 3) {
        case 0:
            qm::fuzz::Utf8RoundTrip(data + 1, size - 1);
            break;
        case 1:
            qm::fuzz::Utf16RoundTrip(data + 1, size - 1);
            break;
        default:
            qm::fuzz::Cp932ToUnicode(data + 1, size - 1);
            break;
    }
    return 0;
}
