// The pipeline as it is defined, for holding FilterText against: every step
// through its plain form, one after the other.
#pragma once

#include <string>
#include <string_view>

#include "engine/Address.h"
#include "engine/LineList.h"
#include "engine/LineSteps.h"
#include "engine/Pipeline.h"
#include "engine/Sjis.h"
#include "engine/UserFilter.h"
#include "engine/WidthKana.h"

namespace qm::testing {

// All 25 steps one after the other through their plain forms, each result loaded
// back into a fresh list, as the pipeline is defined. The pipeline itself builds
// the results in buffers it reuses and skips the loads that cannot change a thing.
inline std::string FilterReference(std::string_view text, const FilterOptions& o) {
    text = text.substr(0, text.find('\0'));
    const bool endsWithCrLf = text.ends_with("\r\n");
    LineList lines(text);
    auto textStep = [&](auto step) {
        const std::string result = step(std::string(lines.Text()));
        lines.Load(std::string_view(result));
    };
    auto radio = [&](std::string (*step)(std::string_view, int), int mode) {
        textStep([&](const std::string& t) { return step(t, mode); });
    };
    if (o.DelEmptyLine) lines.DeleteEmptyLines();
    radio(ConvertDigits, o.NumberMode);
    radio(ConvertLetters, o.AlphabetMode);
    radio(ConvertCommas, o.PunctuationMode);
    radio(ConvertFullStops, o.PeriodMode);
    radio(ConvertSymbols, o.SignMode);
    radio(ConvertBlanks, o.SpaceMode);
    radio(ConvertParentheses, o.ParenthesisMode);
    radio(ConvertHiragana, o.KanaMode1);
    radio(ConvertKatakana, o.KanaMode2);
    if (o.ReturnMode == 1) textStep([](const std::string& t) { return NormalizeLineBreaks(t); });
    if (o.TagDelete) textStep([](const std::string& t) { return RemoveTags(t); });
    if (o.RepAmp) textStep([](const std::string& t) { return EscapeAmpersands(t); });
    if (o.RepLG) textStep([](const std::string& t) { return EscapeAngleBrackets(t); });
    if (o.RepQuot) textStep([](const std::string& t) { return EscapeQuotes(t); });
    if (o.RepNumber) textStep([](const std::string& t) { return SpellRomanNumerals(t); });
    if (o.AddLI) AddListItemPrefix(lines);
    RunsToTab(lines, o.Space2Tab);
    if (o.DelDmySpc) TrimLineEnds(lines);
    if (o.DelConma) textStep([](const std::string& t) { return RemoveCommas(t); });
    radio(ChangeCase, o.UpDownCase);
    if (o.UseCustomFilter)
        textStep([&](const std::string& t) { return ApplyUserFilter(t, o.FilterFile); });
    if (o.URLHelper) {
        textStep([](const std::string& t) { return ReplaceAll(t, "htp://", "http://", true); });
        textStep([](const std::string& t) { return CompleteSchemes(t); });
    }
    if (o.RemoveIme) {
        for (std::string_view pattern : kRedirectorPatterns)
            textStep([&](const std::string& t) { return RemoveRedirector(pattern, t); });
    }
    if (o.EnterDeleteMode == 1) JoinLines(lines);
    std::string out = lines.Text();
    if (!endsWithCrLf && out.size() >= 2) out.resize(out.size() - 2);
    return out;
}

}  // namespace qm::testing
