// The filter pipeline: the 25 steps in their fixed order, each enabled by one
// option value, applied to a text through the working line list.
#pragma once

#include <string>
#include <string_view>

#include "engine/FilterOptions.h"

namespace qm {

// The filtered text. The text ends at its first NUL. The result keeps a final
// CR LF only when the text ended with one; every other line break becomes CR LF.
// Errors of a step (the filter file cannot be read) are raised as Exception.
std::string FilterText(std::string_view text, const FilterOptions& options);

}  // namespace qm
