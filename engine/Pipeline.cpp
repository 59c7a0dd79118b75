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

// The text steps keep the text form as it is: none but the platform's kana mappings
// adds or removes a CR or LF (characters are converted whole, tags and addresses
// are cut out whole, replacements hold no line break), so a result is the list's
// new text form without a second look. Each is built in the buffer that held the
// text form before the last change, so that a large text does not fault in fresh
// memory at every step.
class TextFormSteps {
  public:
    explicit TextFormSteps(LineList& lines) : lines_(lines) {}

    // step(std::string_view textForm, std::string& out) -> bool changed
    template <typename Step>
    void Run(Step step) {
        if (!Build(step)) return;
        assert(IsTextForm(spare_));
        Swap();
    }

    // For a step that may put a CR or LF into the text: its result is loaded.
    template <typename Step>
    void RunAndLoad(Step step) {
        if (!Build(step)) return;
        if (IsTextForm(spare_)) {
            Swap();
        } else {
            lines_.Load(std::string_view(spare_));
        }
    }

  private:
    template <typename Step>
    bool Build(Step step) {
        // Room for the text to grow (entities, list items, rules) without moving to
        // a new buffer on the way; pages that are never written cost nothing. The
        // buffer of the first load has as much room. A buffer that is too small is
        // let go first: growing it would double its size and copy what it holds.
        const std::size_t size = lines_.Text().size();
        if (spare_.capacity() < size + size / 8) {
            spare_ = std::string();
            spare_.reserve(size + size / 4 + 64);
        }
        return step(std::string_view(lines_.Text()), spare_);
    }

    void Swap() {
        std::string old = lines_.TakeText();
        lines_.AssignTextForm(std::move(spare_));
        spare_ = std::move(old);
    }

    LineList& lines_;
    std::string spare_;
};

}  // namespace

std::string FilterText(std::string_view text, const FilterOptions& o) {
    if (const auto nul = text.find('\0'); nul != std::string_view::npos) text = text.substr(0, nul);
    const bool endsWithCrLf = text.size() >= 2 && text.substr(text.size() - 2) == "\r\n";

    LineList lines(text);

    if (o.DelEmptyLine) lines.DeleteEmptyLines();
    TextFormSteps steps(lines);
    using Out = std::string&;
    if (OneOf(o.NumberMode, 1, 2))
        steps.Run(
            [&](std::string_view t, Out out) { return ConvertDigitsInto(t, o.NumberMode, out); });
    if (OneOf(o.AlphabetMode, 1, 2)) {
        steps.Run([&](std::string_view t, Out out) {
            return ConvertLettersInto(t, o.AlphabetMode, out);
        });
    }
    if (OneOf(o.PunctuationMode, 1, 2)) {
        steps.Run([&](std::string_view t, Out out) {
            return ConvertCommasInto(t, o.PunctuationMode, out);
        });
    }
    if (OneOf(o.PeriodMode, 1, 2)) {
        steps.Run([&](std::string_view t, Out out) {
            return ConvertFullStopsInto(t, o.PeriodMode, out);
        });
    }
    if (OneOf(o.SignMode, 1, 2))
        steps.Run(
            [&](std::string_view t, Out out) { return ConvertSymbolsInto(t, o.SignMode, out); });
    if (OneOf(o.SpaceMode, 1, 2))
        steps.Run(
            [&](std::string_view t, Out out) { return ConvertBlanksInto(t, o.SpaceMode, out); });
    if (OneOf(o.ParenthesisMode, 1, 2)) {
        steps.Run([&](std::string_view t, Out out) {
            return ConvertParenthesesInto(t, o.ParenthesisMode, out);
        });
    }
    // KanaMode1 2 and KanaMode2 3 go through the platform's kana mapping.
    const auto kanaStep = [&](bool platformMapping, auto step) {
        if (platformMapping) {
            steps.RunAndLoad(step);
        } else {
            steps.Run(step);
        }
    };
    if (OneOf(o.KanaMode1, 1, 2)) {
        kanaStep(o.KanaMode1 == 2, [&](std::string_view t, Out out) {
            return ConvertHiraganaInto(t, o.KanaMode1, out);
        });
    }
    if (o.KanaMode2 >= 1 && o.KanaMode2 <= 3) {
        kanaStep(o.KanaMode2 == 3, [&](std::string_view t, Out out) {
            return ConvertKatakanaInto(t, o.KanaMode2, out);
        });
    }
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
