// The Unicode edge: any bytes taken as UTF-8, as UTF-16 code units and as code page
// 932 go through the stand-in mapping and come back as they were, by the plain
// loops and by every fast path the processor runs (the properties are checked where
// the conversions live, so the tests and this target share them).
//
// Input: the text, read all three ways, so that a seed of Japanese text in UTF-8 or
// in code page 932 reaches the fast paths of its own encoding at once.
#include <cstddef>
#include <cstdint>

#include "unicode/FuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    qm::fuzz::Utf8RoundTrip(data, size);
    qm::fuzz::Utf16RoundTrip(data, size);
    qm::fuzz::Cp932ToUnicode(data, size);
    return 0;
}
