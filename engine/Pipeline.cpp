#include "engine/Pipeline.h"

#include <algorithm>
#include <cassert>
#include <optional>

#include "engine/Address.h"
#include "base/LargePages.h"
#include "engine/LineList.h"
#include "engine/LineSteps.h"
#include "engine/Sjis.h"
#include "engine/TextServices.h"
#include "engine/UserFilter.h"
#include "engine/WidthKana.h"

namespace qm {

namespace {

bool OneOf(int value, int a, int b) {
    return value == a || value == b;
}

// Runs text steps one after the other on a text form, which stays where it was put
// as long as no step changes it. A step builds its result in the buffer that held
// the text before the last change, so that no step faults in fresh memory, and a
// step that changes nothing costs no copy.
class StepRunner {
  public:
    // The text form is home from `from` on; Finish puts the steps' result there.
    void Start(std::string& home, std::size_t from) {
        home_ = &home;
        from_ = from;
        moved_ = false;
    }

    std::string_view Text() const {
        return moved_ ? std::string_view(text_) : std::string_view(*home_).substr(from_);
    }

    void Finish() {
        if (!moved_) return;
        // The home may have room for more than the steps' text (the whole result).
        if (from_ == 0 && text_.capacity() >= home_->capacity()) {
            home_->swap(text_);
        } else {
            home_->resize(from_);
            home_->append(text_);
        }
        moved_ = false;
    }

    // step(std::string_view textForm, std::string& out) -> bool changed, for a step
    // that keeps the text form as it is: none but the platform's kana mappings adds
    // or removes a CR or LF (characters are converted whole, tags and addresses are
    // cut out whole, replacements hold no line break), so its result is the new text
    // form without a second look.
    template <typename Step>
    void Run(Step step) {
        if (!Build(step)) return;
        assert(IsTextForm(spare_));
        Take();
    }

    // For a step that may put a CR or LF into the text: its result is loaded.
    template <typename Step>
    void RunAndLoad(Step step) {
        if (!Build(step)) return;
        if (IsTextForm(spare_)) {
            Take();
        } else {
            // The text before the step, in text_ or at home, is done with.
            LoadTextForm(spare_, text_);
            moved_ = true;
        }
    }

  private:
    template <typename Step>
    bool Build(Step step) {
        // Room for the text to grow (entities, list items, rules) without moving to
        // a new buffer on the way; pages that are never written cost nothing. A
        // buffer that is too small is let go first: growing it would double its size
        // and copy what it holds.
        const std::size_t size = Text().size();
        if (spare_.capacity() < size + size / 8) {
            spare_ = std::string();
            spare_.reserve(size + size / 4 + 64);
            PreferLargePages(spare_);
        }
        return step(Text(), spare_);
    }

    void Take() {
        text_.swap(spare_);
        moved_ = true;
    }

    std::string* home_ = nullptr;
    std::size_t from_ = 0;
    bool moved_ = false;  // the text is in text_
    std::string text_, spare_;
};

using Out = std::string&;

// Steps 1 to 11 and 13 to 23 change each line on its own. Every line of a text
// form begins a character, whatever lead byte ended the line before (it took the
// CR, and the LF is no lead byte), and no step looks past its line's end, which is
// the end of a piece, or before its beginning, where a piece sees nothing and the
// whole text the CR LF before it, which every step takes for no letter, blank,
// mark or part of an address. So they can run on the text a piece at a time.

// Steps 1 to 11. The text form of the lines is in the runner.
void LineStepsBeforeTags(StepRunner& steps, const FilterOptions& o) {
    if (o.DelEmptyLine) {
        steps.Run([](std::string_view t, Out out) {
            out.assign(t);
            LineList lines;
            lines.AssignTextForm(std::move(out));
            lines.DeleteEmptyLines();
            out = lines.TakeText();
            return out.size() != t.size();
        });
    }
    if (OneOf(o.NumberMode, 1, 2)) {
        steps.Run(
            [&](std::string_view t, Out out) { return ConvertDigitsInto(t, o.NumberMode, out); });
    }
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
    if (OneOf(o.SignMode, 1, 2)) {
        steps.Run(
            [&](std::string_view t, Out out) { return ConvertSymbolsInto(t, o.SignMode, out); });
    }
    if (OneOf(o.SpaceMode, 1, 2)) {
        steps.Run(
            [&](std::string_view t, Out out) { return ConvertBlanksInto(t, o.SpaceMode, out); });
    }
    if (OneOf(o.ParenthesisMode, 1, 2)) {
        steps.Run([&](std::string_view t, Out out) {
            return ConvertParenthesesInto(t, o.ParenthesisMode, out);
        });
    }
    // KanaMode1 2 and KanaMode2 3 go through the platform's kana mapping, which might
    // make a line break: their results are loaded.
    const auto hiragana = [&](std::string_view t, Out out) {
        return ConvertHiraganaInto(t, o.KanaMode1, out);
    };
    if (o.KanaMode1 == 1) steps.Run(hiragana);
    if (o.KanaMode1 == 2) steps.RunAndLoad(hiragana);
    if (o.KanaMode2 == 1 || o.KanaMode2 == 2) {
        steps.Run(
            [&](std::string_view t, Out out) { return ConvertKatakanaInto(t, o.KanaMode2, out); });
    }
    if (o.KanaMode2 == 3) {
        // Half-width katakana to full width, then to hiragana: two steps, each
        // writing into the runner's buffers.
        steps.Run([](std::string_view t, Out out) { return FullWidthKanaInto(t, out); });
        steps.RunAndLoad(
            [](std::string_view t, Out out) { return MapLocaleString(t, kLcmapHiragana, out); });
    }
    // ReturnMode 1 (NormalizeLineBreaks) has nothing to do here: the text form has
    // CR LF breaks only.
}

// Steps 13 to 23.
void LineStepsAfterTags(StepRunner& steps, const FilterOptions& o,
                        std::optional<FilterRules>& rules) {
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
    if (rules) steps.Run([&](std::string_view t, Out out) { return rules->Apply(t, out); });
    if (o.URLHelper) {
        steps.Run([](std::string_view t, Out out) {
            return ReplaceAll(t, "htp://", "http://", true, out);
        });
        steps.Run([](std::string_view t, Out out) { return CompleteSchemes(t, out); });
    }
}

// Where the piece of the text that begins at `from` ends: after the first line
// break that ends at least `bytes` further on, or at the text's end.
std::size_t PieceEnd(std::string_view text, std::size_t from, std::size_t bytes) {
    const std::size_t n = text.size();
    if (n - from <= bytes) return n;
    const auto isBreak = [](char c) { return c == '\r' || c == '\n'; };
    const auto br = std::find_if(text.begin() + static_cast<std::ptrdiff_t>(from + bytes - 1),
                                 text.end(), isBreak);
    if (br == text.end()) return n;
    const auto at = static_cast<std::size_t>(br - text.begin());
    return at + (text[at] == '\r' && at + 1 < n && text[at + 1] == '\n' ? 2 : 1);
}

// Pieces of this size and the two buffers of each runner stay in the processor's
// cache while all the line steps run over them.
constexpr std::size_t kPieceBytes = 64 * 1024;

}  // namespace

std::string FilterText(std::string_view text, const FilterOptions& o) {
    return FilterText(text, o, kPieceBytes);
}

std::string FilterText(std::string_view text, const FilterOptions& o, std::size_t pieceBytes) {
    if (const auto nul = text.find('\0'); nul != std::string_view::npos) text = text.substr(0, nul);
    const bool endsWithCrLf = text.size() >= 2 && text.substr(text.size() - 2) == "\r\n";
    pieceBytes = std::max<std::size_t>(pieceBytes, 1);

    // The filter file is read once, before the text is; its rules then run on every
    // piece. A file that cannot be read ends the run before anything is filtered,
    // as it would at its step: the run has no result either way.
    std::optional<FilterRules> rules;
    if (o.UseCustomFilter) rules = ReadFilterRules(o.FilterFile);

    // The result is written once, a piece at a time, into a buffer with room for the
    // text to grow; pages that are never written cost nothing.
    std::string result;
    result.reserve(text.size() + text.size() / 4 + 64);
    PreferLargePages(result);
    StepRunner before, after;
    std::optional<TagRemover> tags;
    if (o.TagDelete) tags.emplace();
    std::string piece;         // with tag removal: the text form of a piece
    std::string untagged;      // what tag removal gave, until its lines are whole
    std::size_t unbroken = 0;  // untagged's first bytes hold no line break
    // Steps 24 and 25 look beyond a line. While the pieces are fresh in the cache,
    // they are searched for redirectors: where there is none, step 24 has nothing
    // to do; and without step 24, step 25 joins the lines a piece at a time.
    bool redirectors = false;
    std::optional<LineJoiner> joiner;
    if (o.EnterDeleteMode == 1 && !o.RemoveIme) joiner.emplace();
    const auto lastSteps = [&](std::size_t start) {
        if (o.RemoveIme && !redirectors)
            redirectors = MayHoldRedirectors(std::string_view(result).substr(start));
        if (joiner) joiner->Join(result, start);
    };
    const auto linesAfterTags = [&](std::string_view lines) {
        const std::size_t start = result.size();
        result.append(lines);
        after.Start(result, start);
        LineStepsAfterTags(after, o, rules);
        after.Finish();
        lastSteps(start);
    };
    for (std::size_t from = 0; from < text.size();) {
        const std::size_t to = PieceEnd(text, from, pieceBytes);
        const std::string_view lines = text.substr(from, to - from);
        from = to;
        if (!tags) {
            // The steps run where the text form is appended to the result.
            const std::size_t start = result.size();
            AppendTextForm(lines, result);
            before.Start(result, start);
            LineStepsBeforeTags(before, o);
            LineStepsAfterTags(before, o, rules);
            before.Finish();
            lastSteps(start);
            continue;
        }
        LoadTextForm(lines, piece);
        before.Start(piece, 0);
        LineStepsBeforeTags(before, o);
        // Step 12. Tags may span lines, and a text without the ">" of a tag keeps
        // all that follows: tag removal goes on from piece to piece, and the lines
        // it completes go on to the later steps. Only what this piece added can hold
        // a new line break.
        tags->Feed(before.Text(), untagged);
        const std::size_t look = unbroken > 0 ? unbroken - 1 : 0;
        const std::size_t lastBreak = std::string_view(untagged).substr(look).rfind("\r\n");
        if (lastBreak == std::string_view::npos) {
            unbroken = untagged.size();
            continue;
        }
        linesAfterTags(std::string_view(untagged).substr(0, look + lastBreak + 2));
        untagged.erase(0, look + lastBreak + 2);
        unbroken = untagged.size();
    }
    if (tags) {
        tags->Finish(untagged);
        if (!untagged.empty()) linesAfterTags(untagged);
    }

    // Steps 24 and 25 on the whole text.
    if (redirectors) {
        StepRunner whole;
        whole.Start(result, 0);
        for (std::string_view pattern : kRedirectorPatterns) {
            whole.Run(
                [&](std::string_view t, Out out) { return RemoveRedirector(pattern, t, out); });
        }
        whole.Finish();
    }
    if (joiner) {
        joiner->Finish(result);
    } else if (o.EnterDeleteMode == 1) {
        JoinLinesInPlace(result);
    }

    if (!endsWithCrLf && result.size() >= 2) result.resize(result.size() - 2);
    return result;
}

}  // namespace qm
