// The options of one filter run, one field per control of the settings dialog and
// named after it. The control names are the settings file's keys.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace qm {

struct FilterOptions {
    bool DelEmptyLine = false;
    int NumberMode = 0;
    int AlphabetMode = 0;
    int PunctuationMode = 0;
    int PeriodMode = 0;
    int SignMode = 0;
    int SpaceMode = 0;
    int ParenthesisMode = 0;
    int KanaMode1 = 0;
    int KanaMode2 = 0;
    int ReturnMode = 0;
    bool TagDelete = false;
    bool RepAmp = false;
    bool RepLG = false;
    bool RepQuot = false;
    bool RepNumber = false;
    bool AddLI = false;
    int Space2Tab = 0;
    bool DelDmySpc = false;
    bool DelConma = false;
    int UpDownCase = 0;
    bool UseCustomFilter = false;
    std::string FilterFile;
    bool URLHelper = false;
    bool RemoveIme = false;
    int EnterDeleteMode = 0;
};

// One field of FilterOptions. The options are described here once: the dialog finds
// each field's control by the field's name, and the command line and the settings
// reader take their names, kinds and choices from this table.
struct FilterOptionField {
    enum class Kind { Check, Radio, Text };
    const char* name;
    Kind kind;
    int items;  // radio groups: the number of items
    bool FilterOptions::*check;
    int FilterOptions::*radio;
    std::string FilterOptions::*text;
};

// All 26 fields, in the order of the filter steps.
std::span<const FilterOptionField> FilterOptionFields();
const FilterOptionField* FindFilterOptionField(std::string_view name);

}  // namespace qm
