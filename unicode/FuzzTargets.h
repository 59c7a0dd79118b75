// Entry points for fuzzing the conversions: each takes any bytes and aborts when
// something that must hold for every input does not, so that a fuzzer reports the
// input (LLVMFuzzerTestOneInput only has to call one of them).
#pragma once

#include <cstddef>
#include <cstdint>

namespace qm::fuzz {

// The bytes as UTF-8 through code page 932 and back: a text that is taken comes
// back byte for byte; one that is not names an offset inside it. Both ways, every
// level of the fast paths gives what the plain loops give.
void Utf8RoundTrip(const std::uint8_t* data, std::size_t size);

// The bytes as UTF-16 code units (the last odd byte left out), through code page
// 932 and back: the units come back as they were, lone surrogates included.
void Utf16RoundTrip(const std::uint8_t* data, std::size_t size);

// The bytes as code page 932, whatever they hold, give UTF-8 that is valid (the
// same at every level) and UTF-16 of the same characters.
void Cp932ToUnicode(const std::uint8_t* data, std::size_t size);

}  // namespace qm::fuzz
