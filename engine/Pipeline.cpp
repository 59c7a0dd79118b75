#include "engine/Pipeline.h"

#include <algorithm>
#include <cassert>
#include <cstring>
#include <iterator>
#include <optional>
#include <vector>

#include "base/LargePages.h"
#include "engine/Address.h"
#include "engine/LineList.h"
#include "engine/LineSteps.h"
#include "engine/Sjis.h"
#include "engine/TextServices.h"
#include "engine/UserFilter.h"
#include "engine/WidthKana.h"

namespace qm {

namespace {

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
        outside_ = false;
    }

    // The text form is elsewhere, and stays there until Finish appends the steps'
    // result to home: a text the first step copies anyway is not copied home first.
    void Start(std::string_view text, std::string& home) {
        Start(home, home.size());
        outside_ = true;
        view_ = text;
    }

    std::string_view Text() const {
        if (moved_) return text_;
        return outside_ ? view_ : std::string_view(*home_).substr(from_);
    }

    void Finish() {
        if (!moved_) {
            if (outside_) home_->append(view_);
            outside_ = false;
            return;
        }
        // The home may have room for more than the steps' text (the whole result).
        if (from_ == 0 && text_.capacity() >= home_->capacity()) {
            home_->swap(text_);
        } else {
            home_->resize(from_);
            home_->append(text_);
        }
        moved_ = false;
        outside_ = false;
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
    bool moved_ = false;    // the text is in text_
    bool outside_ = false;  // if not, it is view_ rather than at home
    std::string_view view_;
    std::string text_, spare_;
};

using Out = std::string&;
using Options = const FilterOptions&;
using In = const StepInput&;

using TextStep = bool (*)(std::string_view, std::string&);
using ModeStep = bool (*)(std::string_view, int, std::string&);
using FO = FilterOptions;

// A step that a check box turns on.
template <bool FilterOptions::*Check, TextStep Step>
constexpr FilterStep OnCheck(StepRun run = StepRun::Keep) {
    return {[](Options o) { return o.*Check; },
            [](std::string_view t, In, Out out) { return Step(t, out); }, run};
}

// A step that the items low to high of a radio group turn on, given the item.
template <int FilterOptions::*Radio, ModeStep Step, int Low = 1, int High = 2>
constexpr FilterStep OnRadio(StepRun run = StepRun::Keep) {
    return {[](Options o) { return o.*Radio >= Low && o.*Radio <= High; },
            [](std::string_view t, In in, Out out) { return Step(t, in.options.*Radio, out); },
            run};
}

// One item of a radio group turns on a step with no mode of its own.
template <int FilterOptions::*Radio, int Item, TextStep Step>
constexpr FilterStep OnItem(StepRun run) {
    return {[](Options o) { return o.*Radio == Item; },
            [](std::string_view t, In, Out out) { return Step(t, out); }, run};
}

template <std::size_t Pattern>
constexpr FilterStep Redirector() {
    return {[](Options o) { return o.RemoveIme; },
            [](std::string_view t, In, Out out) {
                return RemoveRedirector(kRedirectorPatterns[Pattern], t, out);
            },
            StepRun::Whole};
}

bool KatakanaToHiragana(std::string_view t, std::string& out) {
    return MapLocaleString(t, kLcmapHiragana, out);
}

// Steps 1 to 11 and 13 to 23 change each line on its own. Every line of a text
// form begins a character, whatever lead byte ended the line before (it took the
// CR, and the LF is no lead byte), and no step looks past its line's end, which is
// the end of a piece, or before its beginning, where a piece sees nothing and the
// whole text the CR LF before it, which every step takes for no letter, blank,
// mark or part of an address. So they can run on the text a piece at a time.
//
// Of the width and kana steps, KanaMode1 2 and KanaMode2 3 go through the
// platform's kana mapping, which might make a line break: their results are
// loaded. KanaMode2 3 runs in two parts, each writing into the runner's buffers.
//
// The table is the pipeline: FilterText and the tests' reference both walk it.
constexpr FilterStep kSteps[] = {
    OnCheck<&FO::DelEmptyLine, DeleteEmptyLines>(),
    OnRadio<&FO::NumberMode, ConvertDigits>(),
    OnRadio<&FO::AlphabetMode, ConvertLetters>(),
    OnRadio<&FO::PunctuationMode, ConvertCommas>(),
    OnRadio<&FO::PeriodMode, ConvertFullStops>(),
    OnRadio<&FO::SignMode, ConvertSymbols>(),
    OnRadio<&FO::SpaceMode, ConvertBlanks>(),
    OnRadio<&FO::ParenthesisMode, ConvertParentheses>(),
    OnRadio<&FO::KanaMode1, ConvertHiragana, 1, 1>(),
    OnRadio<&FO::KanaMode1, ConvertHiragana, 2, 2>(StepRun::Load),
    OnRadio<&FO::KanaMode2, ConvertKatakana>(),
    OnItem<&FO::KanaMode2, 3, FullWidthKana>(StepRun::Keep),
    OnItem<&FO::KanaMode2, 3, KatakanaToHiragana>(StepRun::Load),
    // The text form has CR LF breaks only.
    OnItem<&FO::ReturnMode, 1, NormalizeLineBreaks>(StepRun::Loaded),
    // Tags may span lines, and a text without the ">" of a tag keeps all that follows.
    OnCheck<&FO::TagDelete, RemoveTags>(StepRun::AcrossPieces),
    OnCheck<&FO::RepAmp, EscapeAmpersands>(),
    OnCheck<&FO::RepLG, EscapeAngleBrackets>(),
    OnCheck<&FO::RepQuot, EscapeQuotes>(),
    OnCheck<&FO::RepNumber, SpellRomanNumerals>(),
    OnCheck<&FO::AddLI, AddListItemPrefix>(),
    OnRadio<&FO::Space2Tab, RunsToTab, 1, 3>(),
    OnCheck<&FO::DelDmySpc, TrimLineEnds>(),
    OnCheck<&FO::DelConma, RemoveCommas>(),
    OnRadio<&FO::UpDownCase, ChangeCase>(),
    {[](Options o) { return o.UseCustomFilter; },
     [](std::string_view t, In in, Out out) { return in.rules && in.rules->Apply(t, out); },
     StepRun::Keep},
    {[](Options o) { return o.URLHelper; },
     [](std::string_view t, In, Out out) { return ReplaceAll(t, "htp://", "http://", true, out); },
     StepRun::Keep},
    OnCheck<&FO::URLHelper, CompleteSchemes>(),
    // Redirectors may stand across a line break.
    Redirector<0>(),
    Redirector<1>(),
    Redirector<2>(),
    OnItem<&FO::EnterDeleteMode, 1, JoinLines>(StepRun::Last),
};

// The rows of one way of running.
constexpr std::size_t StepsBefore(StepRun run) {
    std::size_t k = 0;
    while (k < std::size(kSteps) && kSteps[k].run != run)
        ++k;
    return k;
}
constexpr std::size_t kTagStep = StepsBefore(StepRun::AcrossPieces);
static_assert(kTagStep < std::size(kSteps), "the pipeline removes tags");

// Whether an enabled row runs this way.
bool AnyEnabled(StepRun run, const FilterOptions& o) {
    return std::any_of(std::begin(kSteps), std::end(kSteps),
                       [&](const FilterStep& s) { return s.run == run && s.enabled(o); });
}

// The enabled rows of a run that run on pieces, before tag removal and after it,
// picked once a run: a text runs through them piece after piece.
class PieceSteps {
  public:
    explicit PieceSteps(const StepInput& in) : in_(in) {
        for (std::size_t k = 0; k < std::size(kSteps); ++k) {
            const FilterStep& s = kSteps[k];
            if ((s.run == StepRun::Keep || s.run == StepRun::Load) && s.enabled(in.options))
                (k < kTagStep ? before_ : after_).push_back(&s);
        }
    }

    void BeforeTags(StepRunner& steps) const { Run(steps, before_); }
    void AfterTags(StepRunner& steps) const { Run(steps, after_); }

  private:
    void Run(StepRunner& steps, const std::vector<const FilterStep*>& rows) const {
        for (const FilterStep* s : rows) {
            const auto apply = [&](std::string_view t, Out out) { return s->apply(t, in_, out); };
            if (s->run == StepRun::Keep) {
                steps.Run(apply);
            } else {
                steps.RunAndLoad(apply);
            }
        }
    }

    const StepInput& in_;
    std::vector<const FilterStep*> before_, after_;
};

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

// Room in the result for the rest of the text, if it grows as the text so far did
// (`done` bytes of it gave the result), and for the next piece to double. Widening
// steps outgrow the room the result was made with; the string's own growth would
// then copy the result, late and whole, into small pages faulted in one by one. Here
// it moves early, when little of it is written, into a buffer that asks for large
// pages, and by half again at least, so that its moves stay few.
void RoomForPiece(std::string& result, std::size_t done, std::size_t left, std::size_t piece) {
    // Before the first piece nothing is known: the room the result was made with holds
    // a text that grows by a quarter.
    if (done == 0) return;
    const double growth = static_cast<double>(result.size()) / static_cast<double>(done);
    const std::size_t need =
        static_cast<std::size_t>(growth * static_cast<double>(left)) + 2 * piece + 64;
    if (result.capacity() - result.size() >= need) return;
    MoveToLargePages(result, std::max(result.size() + need + need / 8, result.capacity() / 2 * 3));
}

// Pieces of this size and the two buffers of each runner stay in the processor's
// cache while all the line steps run over them.
constexpr std::size_t kPieceBytes = 64 * 1024;

}  // namespace

std::span<const FilterStep> FilterSteps() {
    return kSteps;
}

std::string FilterText(std::string_view text, const FilterOptions& o) {
    return FilterText(text, o, kPieceBytes);
}

namespace {

std::string FilterPieces(std::string_view text, const FilterOptions& o, std::size_t pieceBytes,
                         std::size_t& end) {
    pieceBytes = std::max<std::size_t>(pieceBytes, 1);

    // The filter file is read once, before the text is; its rules then run on every
    // piece. A file that cannot be read ends the run before anything is filtered,
    // as it would at its step: the run has no result either way.
    std::optional<FilterRules> rules;
    if (o.UseCustomFilter) rules = ReadFilterRules(o.FilterFile);
    const StepInput in{o, rules ? &*rules : nullptr};
    const PieceSteps lineSteps(in);

    // The result is written once, a piece at a time, into a buffer with room for the
    // text to grow; pages that are never written cost nothing.
    std::string result;
    result.reserve(text.size() + text.size() / 4 + 64);
    PreferLargePages(result);
    StepRunner before, after;
    std::optional<TagRemover> tags;
    if (kSteps[kTagStep].enabled(o)) tags.emplace();
    std::string piece;         // with tag removal: the text form of a piece
    std::string untagged;      // what tag removal gave, until its lines are whole
    std::size_t unbroken = 0;  // untagged's first bytes hold no line break
    // Steps 24 and 25 look beyond a line. While the pieces are fresh in the cache,
    // they are searched for redirectors: where there is none, step 24 has nothing
    // to do; and without step 24, step 25 joins the lines a piece at a time.
    const bool whole = AnyEnabled(StepRun::Whole, o);
    bool redirectors = false;
    std::optional<LineJoiner> joiner;
    if (AnyEnabled(StepRun::Last, o)) joiner.emplace();
    const auto lastSteps = [&](std::size_t start) {
        if (whole && !redirectors)
            redirectors = MayHoldRedirectors(std::string_view(result).substr(start));
        if (joiner && !whole) joiner->Join(result, start);
    };
    const auto linesAfterTags = [&](std::string_view lines) {
        const std::size_t start = result.size();
        after.Start(lines, result);
        lineSteps.AfterTags(after);
        after.Finish();
        lastSteps(start);
    };
    for (std::size_t from = 0; from < text.size();) {
        std::size_t to = PieceEnd(text, from, pieceBytes);
        RoomForPiece(result, from, text.size() - from, to - from);
        // The text ends at its first NUL. Looking for it a piece at a time brings the
        // piece into the cache for the steps, where a look over the whole text first
        // would read it from memory once more.
        if (const void* nul = std::memchr(text.data() + from, '\0', to - from)) {
            text = text.substr(
                0, static_cast<std::size_t>(static_cast<const char*>(nul) - text.data()));
            to = text.size();
        }
        const std::string_view lines = text.substr(from, to - from);
        from = to;
        if (!tags) {
            // The steps run where the text form is appended to the result.
            const std::size_t start = result.size();
            AppendTextForm(lines, result);
            before.Start(result, start);
            lineSteps.BeforeTags(before);
            lineSteps.AfterTags(before);
            before.Finish();
            lastSteps(start);
            continue;
        }
        LoadTextForm(lines, piece);
        before.Start(piece, 0);
        lineSteps.BeforeTags(before);
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
        StepRunner steps;
        steps.Start(result, 0);
        for (const FilterStep& step : kSteps) {
            if (step.run != StepRun::Whole || !step.enabled(o)) continue;
            steps.Run([&](std::string_view t, Out out) { return step.apply(t, in, out); });
        }
        steps.Finish();
    }
    if (joiner && whole) joiner->Join(result, 0);
    if (joiner) joiner->Finish(result);

    end = text.size();
    const bool endsWithCrLf = text.size() >= 2 && text.substr(text.size() - 2) == "\r\n";
    if (!endsWithCrLf && result.size() >= 2) result.resize(result.size() - 2);
    return result;
}

}  // namespace

std::string FilterTextWithEnd(std::string_view text, const FilterOptions& o, std::size_t& end) {
    return FilterPieces(text, o, kPieceBytes, end);
}

std::string FilterText(std::string_view text, const FilterOptions& o, std::size_t pieceBytes) {
    std::size_t end = 0;
    return FilterPieces(text, o, pieceBytes, end);
}

}  // namespace qm
