// The filter options in a settings file, read without the dialog: the command line's
// --ini. The settings store restores the dialog's controls from the same keys by the
// same rules (IniFile.h), so both make the same options of one file.
#pragma once

#include <string_view>

#include "engine/FilterOptions.h"
#include "settings/IniFile.h"

namespace qm {

// The options of the section restored over options, field by field as the store
// restores the field's control: a missing key or a value that is no number leaves
// the field as it is, and a radio group's index is clamped into -1 .. its last item.
void RestoreFilterOptions(const IniText& ini, std::string_view section, FilterOptions& options);

}  // namespace qm
