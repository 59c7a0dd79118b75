// Steps 2 to 10 of the pipeline: character width and kana conversion, in the
// pipeline's form (engine/Pipeline.h): the text form of the working line list in,
// the new text written into out, false when nothing changes. A mode the step does
// not know leaves the text unchanged. None of these steps touches a CR or LF, and
// none but the platform's kana mappings can make one.
#pragma once

#include <string>
#include <string_view>

namespace qm {

bool ConvertDigits(std::string_view text, int mode, std::string& out);       // NumberMode
bool ConvertLetters(std::string_view text, int mode, std::string& out);      // AlphabetMode
bool ConvertCommas(std::string_view text, int mode, std::string& out);       // PunctuationMode
bool ConvertFullStops(std::string_view text, int mode, std::string& out);    // PeriodMode
bool ConvertSymbols(std::string_view text, int mode, std::string& out);      // SignMode
bool ConvertBlanks(std::string_view text, int mode, std::string& out);       // SpaceMode
bool ConvertParentheses(std::string_view text, int mode, std::string& out);  // ParenthesisMode
bool ConvertHiragana(std::string_view text, int mode, std::string& out);     // KanaMode1
bool ConvertKatakana(std::string_view text, int mode, std::string& out);     // KanaMode2

// Half-width katakana and punctuation (0xA1-0xDD) to full width; a voiced or
// semi-voiced mark right after a letter joins it, and is dropped when the letter
// has no such form. A mark standing alone stays as it is.
bool FullWidthKana(std::string_view text, std::string& out);

// Hiragana (selector KanaRowHiragana) or full-width katakana (KanaRowKatakana) to
// half-width katakana; then the full-width punctuation that directly follows
// half-width kana becomes half-width too.
bool HalfWidthKana(std::string_view text, int selector, std::string& out);

}  // namespace qm
