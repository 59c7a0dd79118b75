#include "engine/LineSteps.h"

namespace qm {

std::string NormalizeLineBreaks(std::string_view text) {
    return std::string(text);
}
std::string RemoveTags(std::string_view text) {
    return std::string(text);
}
std::string EscapeAmpersands(std::string_view text) {
    return std::string(text);
}
std::string EscapeAngleBrackets(std::string_view text) {
    return std::string(text);
}
std::string EscapeQuotes(std::string_view text) {
    return std::string(text);
}
std::string SpellRomanNumerals(std::string_view text) {
    return std::string(text);
}
void AddListItemPrefix(LineList&) {}
void RunsToTab(LineList&, int) {}
void TrimLineEnds(LineList&) {}
std::string RemoveCommas(std::string_view text) {
    return std::string(text);
}
std::string ChangeCase(std::string_view text, int) {
    return std::string(text);
}
void JoinLines(LineList&) {}

}  // namespace qm
