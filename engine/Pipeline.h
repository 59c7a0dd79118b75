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

// The same, with the text taken in pieces of whole lines of about pieceBytes each
// (FilterText's own size is large): the tests hold small pieces against the whole.
std::string FilterText(std::string_view text, const FilterOptions& options, std::size_t pieceBytes);

}  // namespace qm
