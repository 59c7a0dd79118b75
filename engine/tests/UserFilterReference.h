// The user filter written out plainly, for holding the prepared rules against.
#pragma once

#include <string>
#include <string_view>

#include "engine/Sjis.h"
#include "engine/UserFilter.h"
#include "engine/tests/PlainForms.h"

namespace qm::testing {

// The rules as defined: the file's lines by the loading rule, every rule a
// ReplaceAll over the whole text.
inline std::string ApplyFilterRulesReference(std::string text, std::string_view rules) {
    rules = rules.substr(0, rules.find('\0'));
    std::size_t i = 0;
    while (i < rules.size()) {
        std::size_t e = i;
        while (e < rules.size() && rules[e] != '\r' && rules[e] != '\n')
            ++e;
        const std::string_view line = rules.substr(i, e - i);
        if (!line.empty() && line[0] != '#')
            text = ReplaceAll(text, FieldOf(line, "\t", 0), FieldOf(line, "\t", 1), false);
        i = e;
        if (i < rules.size() && rules[i] == '\r') ++i;
        if (i < rules.size() && rules[i] == '\n') ++i;
    }
    return text;
}

}  // namespace qm::testing
