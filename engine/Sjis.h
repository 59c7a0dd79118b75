// Shift-JIS (code page 932) text primitives shared by the filter steps. Texts are
// byte strings with 1-based positions; no step ever takes the second byte of a
// two-byte character for a character of its own.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/Characters.h"

namespace qm {

inline std::uint16_t CharCode(std::string_view pair) {
    return static_cast<std::uint16_t>(static_cast<std::uint8_t>(pair[0]) << 8 |
                                      static_cast<std::uint8_t>(pair[1]));
}

// The JIS X 0208 code of a two-byte code (row high, cell low); applied to invalid
// pairs as well, with the same wrapping arithmetic.
std::uint16_t SjisToJis(std::uint16_t code);

enum KanaRow : int { KanaRowHiragana = 0, KanaRowKatakana = 1 };

// Hiragana (or full-width katakana) to half-width katakana, voiced and semi-voiced
// kana as the base letter followed by a separate mark, into out (its content
// replaced); false, with out in no particular state, when no kana was converted.
bool KanaToHalfWidth(std::string_view text, int selector, std::string& out);

// The half-width spelling of the kana in JIS cell 0x21..0x76, as stored in the kana
// table: mark * 56 + (letter - 0xA6), mark 1 for a voiced, 2 for a semi-voiced mark.
std::uint8_t KanaTableEntry(int cell);

// The platform's kana mapping (kLcmapKatakana or kLcmapHiragana); the text comes
// back unchanged (false) when the platform cannot map it.
bool MapLocaleString(std::string_view text, unsigned flags, std::string& out);

// 1-based position of the first occurrence of pattern in text that begins on a
// character boundary, or 0. Both end at their first NUL byte.
std::size_t FindText(std::string_view pattern, std::string_view text);

// Every occurrence of old replaced by replacement, left to right, never starting on
// a second byte, the replacement never searched again. With ignoreCase the search
// runs on upper-cased copies; the text outside the occurrences keeps its case.
// The result goes into out, a buffer the caller keeps between calls (its content
// is replaced); false, with out in no particular state, when nothing was replaced.
bool ReplaceAll(std::string_view text, std::string_view old, std::string_view replacement,
                bool ignoreCase, std::string& out);

}  // namespace qm
