// The filter pipeline: the 25 steps in their fixed order, each enabled by one
// option value, applied to a text through the working line list.
//
// Every step function is named after its step, without a suffix, and has one form:
// `bool Step(text, the step's own arguments, std::string& out)`, which writes the new
// text into out and returns false (out then in no particular state) when nothing
// changed.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "engine/FilterOptions.h"

namespace qm {

class FilterRules;

// The filtered text. The text ends at its first NUL. The result keeps a final
// CR LF only when the text ended with one; every other line break becomes CR LF.
// Errors of a step (the filter file cannot be read) are raised as Exception.
std::string FilterText(std::string_view text, const FilterOptions& options);

// The same, with the text taken in pieces of whole lines of about pieceBytes each
// (FilterText's own size is large): the tests hold small pieces against the whole.
std::string FilterText(std::string_view text, const FilterOptions& options, std::size_t pieceBytes);

// The same, with where the text ended in `end`: at its first NUL, or at its size.
// The command line must not drop what follows a NUL without a word; the pipeline
// finds the NUL as it goes, where a look of the caller's own would read the whole
// text once more.
std::string FilterTextWithEnd(std::string_view text, const FilterOptions& options,
                              std::size_t& end);

// How FilterText runs a step on the text form of the working line list, which it
// takes in pieces of whole lines. Keep and Load are the two ways its step runner
// has: Load looks at the result for a line break to load, Keep does not need to.
enum class StepRun : std::uint8_t {
    Keep,          // a piece at a time; the result is the new text form as it is
    Load,          // a piece at a time; the result may hold a new line break, and is loaded
    Loaded,        // nothing to do: the text form is the step's result already
    AcrossPieces,  // a piece at a time, carried over from one piece to the next
    Whole,         // on the whole text, after every piece
    Last,          // on the whole text, or a piece at a time once nothing runs on the whole
};

// What a step reads besides the text.
struct StepInput {
    const FilterOptions& options;
    FilterRules* rules;  // the filter file's rules, read once a run; none without a file
};

// One step of the pipeline, or one part of a step that runs in parts.
struct FilterStep {
    bool (*enabled)(const FilterOptions&);
    bool (*apply)(std::string_view text, const StepInput& in, std::string& out);
    StepRun run;
};

// The steps in the order they run.
std::span<const FilterStep> FilterSteps();

}  // namespace qm
