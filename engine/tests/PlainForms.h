// The plain forms of the filter steps, for tests: the new text returned, the text
// itself when the step changes nothing. The engine has only the pipeline's form,
// which writes into a buffer the pipeline keeps from step to step; a test wants the
// result as a value. List forms run a step on a working line list's text form.
#pragma once

#include <string>
#include <string_view>
#include <utility>

#include "engine/Address.h"
#include "engine/LineList.h"
#include "engine/LineSteps.h"
#include "engine/Sjis.h"
#include "engine/UserFilter.h"
#include "engine/WidthKana.h"

namespace qm {

template <typename Step>
std::string ResultOf(std::string_view text, Step step) {
    std::string out;
    return step(text, out) ? out : std::string(text);
}

// A step on the text form of a list, which keeps the text form.
template <typename Step>
void ApplyToList(LineList& lines, Step step) {
    std::string out;
    if (step(std::string_view(lines.Text()), out)) lines.AssignTextForm(std::move(out));
}

using TextStep = bool (*)(std::string_view, std::string&);
using ModeStep = bool (*)(std::string_view, int, std::string&);

inline std::string Plain(TextStep step, std::string_view text) {
    return ResultOf(text, step);
}
inline std::string Plain(ModeStep step, std::string_view text, int mode) {
    return ResultOf(text, [&](std::string_view t, std::string& o) { return step(t, mode, o); });
}

// clang-format off
inline std::string FullWidthKana(std::string_view text) { return Plain(FullWidthKana, text); }
inline std::string NormalizeLineBreaks(std::string_view text) { return Plain(NormalizeLineBreaks, text); }
inline std::string RemoveTags(std::string_view text) { return Plain(RemoveTags, text); }
inline std::string EscapeAmpersands(std::string_view text) { return Plain(EscapeAmpersands, text); }
inline std::string EscapeAngleBrackets(std::string_view text) { return Plain(EscapeAngleBrackets, text); }
inline std::string EscapeQuotes(std::string_view text) { return Plain(EscapeQuotes, text); }
inline std::string SpellRomanNumerals(std::string_view text) { return Plain(SpellRomanNumerals, text); }
inline std::string RemoveCommas(std::string_view text) { return Plain(RemoveCommas, text); }
inline std::string CompleteSchemes(std::string_view text) { return Plain(CompleteSchemes, text); }
inline std::string ConvertDigits(std::string_view text, int mode) { return Plain(ConvertDigits, text, mode); }
inline std::string ConvertLetters(std::string_view text, int mode) { return Plain(ConvertLetters, text, mode); }
inline std::string ConvertCommas(std::string_view text, int mode) { return Plain(ConvertCommas, text, mode); }
inline std::string ConvertFullStops(std::string_view text, int mode) { return Plain(ConvertFullStops, text, mode); }
inline std::string ConvertSymbols(std::string_view text, int mode) { return Plain(ConvertSymbols, text, mode); }
inline std::string ConvertBlanks(std::string_view text, int mode) { return Plain(ConvertBlanks, text, mode); }
inline std::string ConvertParentheses(std::string_view text, int mode) { return Plain(ConvertParentheses, text, mode); }
inline std::string ConvertHiragana(std::string_view text, int mode) { return Plain(ConvertHiragana, text, mode); }
inline std::string ConvertKatakana(std::string_view text, int mode) { return Plain(ConvertKatakana, text, mode); }
inline std::string HalfWidthKana(std::string_view text, int selector) { return Plain(HalfWidthKana, text, selector); }
inline std::string KanaToHalfWidth(std::string_view text, int selector) { return Plain(KanaToHalfWidth, text, selector); }
inline std::string ChangeCase(std::string_view text, int mode) { return Plain(ChangeCase, text, mode); }
inline void AddListItemPrefix(LineList& lines) { ApplyToList(lines, static_cast<TextStep>(AddListItemPrefix)); }
inline void TrimLineEnds(LineList& lines) { ApplyToList(lines, static_cast<TextStep>(TrimLineEnds)); }
inline void JoinLines(LineList& lines) { ApplyToList(lines, static_cast<TextStep>(JoinLines)); }
// clang-format on

inline void RunsToTab(LineList& lines, int mode) {
    ApplyToList(lines,
                [mode](std::string_view t, std::string& o) { return RunsToTab(t, mode, o); });
}

inline std::string MapLocaleString(std::string_view text, unsigned flags) {
    return ResultOf(
        text, [flags](std::string_view t, std::string& o) { return MapLocaleString(t, flags, o); });
}

inline std::string ReplaceAll(std::string_view text, std::string_view old,
                              std::string_view replacement, bool ignoreCase) {
    return ResultOf(text, [&](std::string_view t, std::string& o) {
        return ReplaceAll(t, old, replacement, ignoreCase, o);
    });
}

inline std::string RemoveRedirector(std::string_view pattern, std::string_view text) {
    return ResultOf(text, [pattern](std::string_view t, std::string& o) {
        return RemoveRedirector(pattern, t, o);
    });
}

inline std::string ApplyFilterRules(std::string_view text, std::string_view rules) {
    return ResultOf(text, [rules](std::string_view t, std::string& o) {
        return ApplyFilterRules(t, rules, o);
    });
}

inline std::string ApplyUserFilter(std::string_view text, const std::string& path) {
    return ResultOf(
        text, [&path](std::string_view t, std::string& o) { return ApplyUserFilter(t, path, o); });
}

}  // namespace qm
