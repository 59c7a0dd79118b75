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

// The steps from 11 on keep the text form as it is: none adds or removes a CR or LF
// (tags and addresses are cut out whole, replacements hold no line break), so a
// result is the list's new text form without a second look. Each is built in the
// buffer that held the text form before the last change, so that a large text does
// not fault in fresh memory at every step.
class TextFormSteps {
  public:
    explicit TextFormSteps(LineList& lines) : lines_(lines) {}

    // step(std::string_view textForm, std::string& out) -> bool changed
    template <typename Step>
    void Run(Step step) {
        // Room for the text to grow (entities, list items, rules) without moving to
        // a new buffer on the way; pages that are never written cost nothing. The
        // buffer of the first load has room for a sixteenth more.
        const std::size_t size = lines_.Text().size();
        if (spare_.capacity() < size + size / 16) {
            spare_.clear();
            spare_.reserve(size + size / 4 + 64);
        }
        if (!step(std::string_view(lines_.Text()), spare_)) return;
        assert(IsTextForm(spare_));
        std::string old = lines_.TakeText();
        lines_.AssignTextForm(std::move(spare_));
        spare_ = std::move(old);
    }

  private:
    LineList& lines_;
    std::string spare_;
};

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
    TextFormSteps steps(lines);
    using Out = std::string&;
    // ReturnMode 1 (NormalizeLineBreaks) has nothing to do here: the text form has
    // CR LF breaks only.
    if (o.TagDelete) steps.Run([](std::string_view t, Out out) { return RemoveTags(t, out); });
    if (o.RepAmp) steps.Run([](std::string_view t, Out out) { return EscapeAmpersands(t, out); });
    if (o.RepLG) steps.Run([](std::string_view t, Out out) { return EscapeAngleBrackets(t, out); });
    if (o.RepQuot) steps.Run([](std::string_view t, Out out) { return EscapeQuotes(t, out); });
    if (o.RepNumber)
        steps.Run([](std::string_view t, Out out) { return SpellRomanNumerals(t, out); });
    if (o.AddLI) steps.Run([](std::string_view t, Out out) { return AddListItemPrefix(t, out); });
    if (o.Space2Tab >= 1 && o.Space2Tab <= 3)
        steps.Run([&](std::string_view t, Out out) { return RunsToTab(t, o.Space2Tab, out); });
    if (o.DelDmySpc) steps.Run([](std::string_view t, Out out) { return TrimLineEnds(t, out); });
    if (o.DelConma) steps.Run([](std::string_view t, Out out) { return RemoveCommas(t, out); });
    if (OneOf(o.UpDownCase, 1, 2))
        steps.Run([&](std::string_view t, Out out) { return ChangeCase(t, o.UpDownCase, out); });
    if (o.UseCustomFilter) {
        steps.Run(
            [&](std::string_view t, Out out) { return ApplyUserFilter(t, o.FilterFile, out); });
    }
    if (o.URLHelper) {
        steps.Run([](std::string_view t, Out out) {
            return ReplaceAll(t, "htp://", "http://", true, out);
        });
        steps.Run([](std::string_view t, Out out) { return CompleteSchemes(t, out); });
    }
    if (o.RemoveIme) {
        for (std::string_view pattern : kRedirectorPatterns) {
            steps.Run(
                [&](std::string_view t, Out out) { return RemoveRedirector(pattern, t, out); });
        }
    }
    if (o.EnterDeleteMode == 1)
        steps.Run([](std::string_view t, Out out) { return JoinLines(t, out); });

    std::string out = lines.TakeText();
    if (!endsWithCrLf && out.size() >= 2) out.resize(out.size() - 2);
    return out;
}

}  // namespace qm
