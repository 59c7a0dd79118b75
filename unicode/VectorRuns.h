// The conversions' fast paths: mixed text of ASCII and Japanese taken sixty-four
// bytes at a time with AVX2. Bit masks of a block tell where its characters
// start; a byte shuffle writes the block in a few pieces and each Japanese
// character is one table look-up, so that a change between ASCII and Japanese
// costs no branch of its own.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qm::runs {

// Plain converts a character at a time, as processors without AVX2 do: the
// reference the fast paths are held against. (A walk with SSE2 alone, copying the
// ASCII between the characters, ran more instructions than the plain loops.)
// Avx512 (with the byte permutations and compression of VBMI and VBMI2) takes
// both ways without a loop over a block's characters.
enum class Level { Plain, Avx2, Avx512 };

// The level to convert at on this processor: the highest it runs, but AVX2 where
// AVX-512's gathers are slow.
Level Best();
// Whether this processor runs the level.
bool Runs(Level level);

// What the walk to code page 932 asks for a character whose code in its table is
// 0: the code it would have (a stand-in's, say), worked out by the caller with
// `context`, or 0 to stop before the character.
struct Fallback {
    std::uint32_t (*entry)(void* context, std::uint32_t key);
    void* context;
};

// Both walks start at a character and stop before the first character they do
// not take (or when fewer bytes are left before limit than a block reads),
// returning where; w moves past what they wrote. They write up to kSpareBytes
// past it, within room the caller has for the input's worst case. At Plain they
// take nothing.
constexpr std::ptrdiff_t kSpareBytes = 16;

// UTF-8 of ASCII and three-byte characters with a code in `pairBytes` (indexed by
// character, the code's bytes as they lie in memory, a byte 0 before a code of one
// byte, 0 for none) to code page 932.
const unsigned char* Utf8ToCp932(Level level, const unsigned char* p, const unsigned char* limit,
                                 char*& w, const std::uint16_t* pairBytes, Fallback other);

// Code page 932 of ASCII and two-byte codes with an entry in `pairUtf8`
// (indexed by the code's two bytes as a little-endian load reads them, the UTF-8
// bytes as they lie in memory, and a byte 0xFF after a character of two; 0 for
// none and for what opens with no lead byte) to UTF-8; also half-width katakana
// (0xA1..0xDF) with an entry in `singleUtf8` (by byte, 0 for lead bytes).
// The lead bytes are 0x81..0x9F and 0xE0..0xFC.
// An entry's first byte opens a sequence of three bytes (1110xxxx) or of two
// (110xxxxx): this bit of it is set for three alone, and clear in an entry 0.
constexpr std::uint32_t kThreeBytes = 0x20;
const unsigned char* Cp932ToUtf8(Level level, const unsigned char* p, const unsigned char* limit,
                                 char*& w, const std::uint32_t* pairUtf8,
                                 const std::uint32_t* singleUtf8);

}  // namespace qm::runs
