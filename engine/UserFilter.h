// Step 22: the user's search-and-replace rules, read from the filter file anew on
// every run.
#pragma once

#include <string>
#include <string_view>

namespace qm {

// The text with every rule of the file at path applied in file order. A missing
// path, file or a folder leaves the text unchanged; a file that exists but cannot
// be read raises Exception.
std::string ApplyUserFilter(std::string_view text, const std::string& path);

// Field index (from 0) of text, fields separated by separator; empty when absent.
std::string FieldOf(std::string_view text, std::string_view separator, int index);

}  // namespace qm
