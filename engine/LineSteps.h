// Line, spacing and markup steps of the pipeline: 11 to 21 and 25. Text steps take
// the text form of the working line list and return the new text; line steps change
// the list in place. A mode the step does not know leaves the text unchanged.
#pragma once

#include <string>
#include <string_view>

#include "engine/LineList.h"

namespace qm {

std::string NormalizeLineBreaks(std::string_view text);   // 11 ReturnMode 1
std::string RemoveTags(std::string_view text);            // 12 TagDelete
std::string EscapeAmpersands(std::string_view text);      // 13 RepAmp
std::string EscapeAngleBrackets(std::string_view text);   // 14 RepLG
std::string EscapeQuotes(std::string_view text);          // 15 RepQuot
std::string SpellRomanNumerals(std::string_view text);    // 16 RepNumber
void AddListItemPrefix(LineList& lines);                  // 17 AddLI
void RunsToTab(LineList& lines, int mode);                // 18 Space2Tab
void TrimLineEnds(LineList& lines);                       // 19 DelDmySpc
std::string_view TrimLineEnd(std::string_view line);      // bytes 0x00-0x20 off the end
std::string RemoveCommas(std::string_view text);          // 20 DelConma
std::string ChangeCase(std::string_view text, int mode);  // 21 UpDownCase
void JoinLines(LineList& lines);                          // 25 EnterDeleteMode 1

}  // namespace qm
