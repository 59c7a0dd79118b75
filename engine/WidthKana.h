// Steps 2 to 10 of the pipeline: character width and kana conversion. Each takes
// the text form of the working line list and returns the new text; a mode the
// step does not know leaves the text unchanged.
#pragma once

#include <string>
#include <string_view>

namespace qm {

std::string ConvertDigits(std::string_view text, int mode);       // NumberMode
std::string ConvertLetters(std::string_view text, int mode);      // AlphabetMode
std::string ConvertCommas(std::string_view text, int mode);       // PunctuationMode
std::string ConvertFullStops(std::string_view text, int mode);    // PeriodMode
std::string ConvertSymbols(std::string_view text, int mode);      // SignMode
std::string ConvertBlanks(std::string_view text, int mode);       // SpaceMode
std::string ConvertParentheses(std::string_view text, int mode);  // ParenthesisMode
std::string ConvertHiragana(std::string_view text, int mode);     // KanaMode1
std::string ConvertKatakana(std::string_view text, int mode);     // KanaMode2

}  // namespace qm
