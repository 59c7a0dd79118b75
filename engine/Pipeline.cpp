#include "engine/Pipeline.h"

#include <cassert>

#include "engine/Address.h"
#include "engine/LineList.h"
#include "engine/LineSteps.h"
#include "engine/Sjis.h"
#include "engine/UserFilter.h"
#include "engine/WidthKana.h"

namespace qm {

namespace {

bool OneOf(int value, int a, int b) {
    return value == a || value == b;
}

// Runs a text step on the list and loads its result back.
template <typename Step>
void TextStep(LineList& lines, Step step) {
    lines.Load(step(std::string_view(lines.Text())));
}

// Runs a text step that keeps the text form as it is: it neither adds nor removes a
// CR or LF (tags and addresses are cut out whole, replacements hold no line break),
// so its result is the list's new text form without a second look.
template <typename Step>
void TextFormStep(LineList& lines, Step step) {
    std::string out = step(std::string_view(lines.Text()));
    assert(IsTextForm(out));
    lines.AssignTextForm(std::move(out));
}

}  // namespace

std::string FilterText(std::string_view text, const FilterOptions& o) {
    if (const auto nul = text.find('\0'); nul != std::string_view::npos) text = text.substr(0, nul);
    const bool endsWithCrLf = text.size() >= 2 && text.substr(text.size() - 2) == "\r\n";

    LineList lines(text);

    if (o.DelEmptyLine) lines.DeleteEmptyLines();
    if (OneOf(o.NumberMode, 1, 2))
        TextStep(lines, [&](std::string_view t) { return ConvertDigits(t, o.NumberMode); });
    if (OneOf(o.AlphabetMode, 1, 2))
        TextStep(lines, [&](std::string_view t) { return ConvertLetters(t, o.AlphabetMode); });
    if (OneOf(o.PunctuationMode, 1, 2))
        TextStep(lines, [&](std::string_view t) { return ConvertCommas(t, o.PunctuationMode); });
    if (OneOf(o.PeriodMode, 1, 2))
        TextStep(lines, [&](std::string_view t) { return ConvertFullStops(t, o.PeriodMode); });
    if (OneOf(o.SignMode, 1, 2))
        TextStep(lines, [&](std::string_view t) { return ConvertSymbols(t, o.SignMode); });
    if (OneOf(o.SpaceMode, 1, 2))
        TextStep(lines, [&](std::string_view t) { return ConvertBlanks(t, o.SpaceMode); });
    if (OneOf(o.ParenthesisMode, 1, 2)) {
        TextStep(lines,
                 [&](std::string_view t) { return ConvertParentheses(t, o.ParenthesisMode); });
    }
    if (OneOf(o.KanaMode1, 1, 2))
        TextStep(lines, [&](std::string_view t) { return ConvertHiragana(t, o.KanaMode1); });
    if (o.KanaMode2 >= 1 && o.KanaMode2 <= 3) {
        TextStep(lines, [&](std::string_view t) { return ConvertKatakana(t, o.KanaMode2); });
    }
    if (o.ReturnMode == 1) TextFormStep(lines, NormalizeLineBreaks);
    if (o.TagDelete) TextFormStep(lines, RemoveTags);
    if (o.RepAmp) TextFormStep(lines, EscapeAmpersands);
    if (o.RepLG) TextFormStep(lines, EscapeAngleBrackets);
    if (o.RepQuot) TextFormStep(lines, EscapeQuotes);
    if (o.RepNumber) TextFormStep(lines, SpellRomanNumerals);
    if (o.AddLI) AddListItemPrefix(lines);
    if (o.Space2Tab >= 1 && o.Space2Tab <= 3) RunsToTab(lines, o.Space2Tab);
    if (o.DelDmySpc) TrimLineEnds(lines);
    if (o.DelConma) TextFormStep(lines, RemoveCommas);
    if (OneOf(o.UpDownCase, 1, 2))
        TextFormStep(lines, [&](std::string_view t) { return ChangeCase(t, o.UpDownCase); });
    if (o.UseCustomFilter)
        TextFormStep(lines, [&](std::string_view t) { return ApplyUserFilter(t, o.FilterFile); });
    if (o.URLHelper) {
        TextFormStep(lines,
                     [](std::string_view t) { return ReplaceAll(t, "htp://", "http://", true); });
        TextFormStep(lines, CompleteSchemes);
    }
    if (o.RemoveIme) {
        for (std::string_view pattern : kRedirectorPatterns) {
            TextFormStep(lines, [&](std::string_view t) { return RemoveRedirector(pattern, t); });
        }
    }
    if (o.EnterDeleteMode == 1) JoinLines(lines);

    std::string out = lines.TakeText();
    if (!endsWithCrLf && out.size() >= 2) out.resize(out.size() - 2);
    return out;
}

}  // namespace qm
