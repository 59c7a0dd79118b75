#include "settings/FilterSettings.h"

#include <algorithm>

namespace qm {

void RestoreFilterOptions(const IniText& ini, std::string_view section, FilterOptions& options) {
    for (const FilterOptionField& f : FilterOptionFields()) {
        const auto value = ini.Get(section, f.name);
        if (!value) continue;
        switch (f.kind) {
            case FilterOptionField::Kind::Text:
                options.*f.text = *value;
                break;
            case FilterOptionField::Kind::Check:
                options.*f.check = RestoredBool(*value, options.*f.check);
                break;
            case FilterOptionField::Kind::Radio:
                options.*f.radio =
                    std::clamp(RestoredInteger(*value, options.*f.radio), -1, f.items - 1);
                break;
        }
    }
}

}  // namespace qm
