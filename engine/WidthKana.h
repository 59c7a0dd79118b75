// Steps 2 to 10 of the pipeline: character width and kana conversion. Each takes
// the text form of the working line list and returns the new text; a mode the
// step does not know leaves the text unchanged.
//
// Each step also has the pipeline's form (engine/StepForms.h), named apart so that
// the plain form can still be taken by its name alone: the new text written into
// out, false when nothing changes. None of these steps touches a CR or LF, and
// none but the platform's kana mappings can make one.
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

bool ConvertDigitsInto(std::string_view text, int mode, std::string& out);
bool ConvertLettersInto(std::string_view text, int mode, std::string& out);
bool ConvertCommasInto(std::string_view text, int mode, std::string& out);
bool ConvertFullStopsInto(std::string_view text, int mode, std::string& out);
bool ConvertSymbolsInto(std::string_view text, int mode, std::string& out);
bool ConvertBlanksInto(std::string_view text, int mode, std::string& out);
bool ConvertParenthesesInto(std::string_view text, int mode, std::string& out);
bool ConvertHiraganaInto(std::string_view text, int mode, std::string& out);
bool ConvertKatakanaInto(std::string_view text, int mode, std::string& out);

// Half-width katakana and punctuation (0xA1-0xDD) to full width; a voiced or
// semi-voiced mark right after a letter joins it, and is dropped when the letter
// has no such form. A mark standing alone stays as it is.
std::string FullWidthKana(std::string_view text);
bool FullWidthKanaInto(std::string_view text, std::string& out);

// Hiragana (selector KanaRowHiragana) or full-width katakana (KanaRowKatakana) to
// half-width katakana; then the full-width punctuation that directly follows
// half-width kana becomes half-width too.
std::string HalfWidthKana(std::string_view text, int selector);
bool HalfWidthKanaInto(std::string_view text, int selector, std::string& out);

}  // namespace qm
