// The pipeline as it is defined, for holding FilterText against: every
// step of the pipeline's table through its plain form, one after the other.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "engine/Address.h"
#include "engine/LineList.h"
#include "engine/LineSteps.h"
#include "engine/Pipeline.h"
#include "engine/Sjis.h"
#include "engine/UserFilter.h"
#include "engine/WidthKana.h"
#include "engine/tests/PlainForms.h"

namespace qm::testing {

// All 25 steps one after the other, as the pipeline's table gives them, each
// result loaded back into a fresh list, as the pipeline is defined. The pipeline
// itself builds the results in buffers it reuses, takes the text in pieces and skips
// the loads that cannot change a thing.
inline std::string FilterReference(std::string_view text, const FilterOptions& o) {
    text = text.substr(0, text.find('\0'));
    const bool endsWithCrLf = text.ends_with("\r\n");
    std::optional<FilterRules> rules;
    if (o.UseCustomFilter) rules = ReadFilterRules(o.FilterFile);
    const StepInput in{o, rules ? &*rules : nullptr};
    LineList lines(text);
    for (const FilterStep& step : FilterSteps()) {
        if (!step.enabled(o)) continue;
        const std::string result =
            ResultOf(lines.Text(),
                     [&](std::string_view t, std::string& out) { return step.apply(t, in, out); });
        lines.Load(std::string_view(result));
    }
    std::string out = lines.Text();
    if (!endsWithCrLf && out.size() >= 2) out.resize(out.size() - 2);
    return out;
}

}  // namespace qm::testing
