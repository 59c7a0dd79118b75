#include "engine/FilterOptions.h"

#include <array>

namespace qm {

namespace {

using K = FilterOptionField::Kind;

constexpr FilterOptionField Check(const char* name, bool FilterOptions::*m) {
    return {name, K::Check, 0, m, nullptr, nullptr};
}
constexpr FilterOptionField Radio(const char* name, int items, int FilterOptions::*m) {
    return {name, K::Radio, items, nullptr, m, nullptr};
}

const std::array<FilterOptionField, 26> kFields = {{
    Check("DelEmptyLine", &FilterOptions::DelEmptyLine),
    Radio("NumberMode", 3, &FilterOptions::NumberMode),
    Radio("AlphabetMode", 3, &FilterOptions::AlphabetMode),
    Radio("PunctuationMode", 3, &FilterOptions::PunctuationMode),
    Radio("PeriodMode", 3, &FilterOptions::PeriodMode),
    Radio("SignMode", 3, &FilterOptions::SignMode),
    Radio("SpaceMode", 3, &FilterOptions::SpaceMode),
    Radio("ParenthesisMode", 3, &FilterOptions::ParenthesisMode),
    Radio("KanaMode1", 3, &FilterOptions::KanaMode1),
    Radio("KanaMode2", 4, &FilterOptions::KanaMode2),
    Radio("ReturnMode", 2, &FilterOptions::ReturnMode),
    Check("TagDelete", &FilterOptions::TagDelete),
    Check("RepAmp", &FilterOptions::RepAmp),
    Check("RepLG", &FilterOptions::RepLG),
    Check("RepQuot", &FilterOptions::RepQuot),
    Check("RepNumber", &FilterOptions::RepNumber),
    Check("AddLI", &FilterOptions::AddLI),
    Radio("Space2Tab", 4, &FilterOptions::Space2Tab),
    Check("DelDmySpc", &FilterOptions::DelDmySpc),
    Check("DelConma", &FilterOptions::DelConma),
    Radio("UpDownCase", 3, &FilterOptions::UpDownCase),
    Check("UseCustomFilter", &FilterOptions::UseCustomFilter),
    {"FilterFile", K::Text, 0, nullptr, nullptr, &FilterOptions::FilterFile},
    Check("URLHelper", &FilterOptions::URLHelper),
    Check("RemoveIme", &FilterOptions::RemoveIme),
    Radio("EnterDeleteMode", 2, &FilterOptions::EnterDeleteMode),
}};

}  // namespace

std::span<const FilterOptionField> FilterOptionFields() {
    return kFields;
}

const FilterOptionField* FindFilterOptionField(std::string_view name) {
    for (const auto& f : kFields) {
        if (name == f.name) return &f;
    }
    return nullptr;
}

}  // namespace qm
