#include "engine/WidthKana.h"

namespace qm {

std::string ConvertDigits(std::string_view text, int) {
    return std::string(text);
}
std::string ConvertLetters(std::string_view text, int) {
    return std::string(text);
}
std::string ConvertCommas(std::string_view text, int) {
    return std::string(text);
}
std::string ConvertFullStops(std::string_view text, int) {
    return std::string(text);
}
std::string ConvertSymbols(std::string_view text, int) {
    return std::string(text);
}
std::string ConvertBlanks(std::string_view text, int) {
    return std::string(text);
}
std::string ConvertParentheses(std::string_view text, int) {
    return std::string(text);
}
std::string ConvertHiragana(std::string_view text, int) {
    return std::string(text);
}
std::string ConvertKatakana(std::string_view text, int) {
    return std::string(text);
}

}  // namespace qm
