// The working line list's loading rule, for holding the list and the line store
// against.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qm::testing {

// The loading rule written out plainly: a list of lines, then the text form.
inline std::vector<std::string> SplitReference(std::string_view text) {
    text = text.substr(0, text.find('\0'));
    std::vector<std::string> lines;
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t e = i;
        while (e < text.size() && text[e] != '\r' && text[e] != '\n')
            ++e;
        lines.emplace_back(text.substr(i, e - i));
        i = e;
        if (i < text.size() && text[i] == '\r') ++i;
        if (i < text.size() && text[i] == '\n') ++i;
    }
    return lines;
}

inline std::string JoinReference(const std::vector<std::string>& lines) {
    std::string s;
    for (const auto& l : lines)
        s += l + "\r\n";
    return s;
}

}  // namespace qm::testing
