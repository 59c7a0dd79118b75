// The two forms of a filter step. The pipeline's form writes the new text into a
// buffer that the pipeline keeps from step to step, so that a step on a large text
// does not fault in fresh memory, and returns false when the text stays as it is
// (the buffer is then in no particular state). The plain form returns the new text.
#pragma once

#include <string>
#include <string_view>
#include <utility>

#include "engine/LineList.h"

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

}  // namespace qm
