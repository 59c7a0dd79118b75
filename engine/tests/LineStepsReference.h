// The line, spacing and markup steps written out plainly, step by step as the
// operations are defined.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/LineSteps.h"
#include "engine/Sjis.h"
#include "engine/TextServices.h"
#include "engine/tests/PlainForms.h"

namespace qm::testing {

using Lines = std::vector<std::string>;

inline std::string NormalizeLineBreaksReference(std::string_view text) {
    const auto& lead = Text().LeadBytes();
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const bool trailFollows = i + 1 < text.size() && text[i + 1] != '\r' && text[i + 1] != '\n';
        if (lead[static_cast<unsigned char>(c)] && trailFollows) {
            out += text.substr(i, 2);
            ++i;
        } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            out += "\r\n";
            ++i;
        } else if (c == '\r' || c == '\n') {
            out += "\r\n";
        } else {
            out += c;
        }
    }
    return out;
}

inline std::string RemoveTagsReference(std::string_view text) {
    std::string rest(text), out;
    for (;;) {
        const std::size_t p = FindText("<", rest), q = FindText(">", rest);
        if (p > 0 && q > p) {
            out += rest.substr(0, p - 1);
            rest = rest.substr(q);
        } else {
            return out + rest;
        }
    }
}

inline std::string SpellRomanNumeralsReference(std::string text) {
    static const char* const kSpelling[10] = {"I",  "II",  "III",  "IV", "V",
                                              "VI", "VII", "VIII", "IX", "X"};
    for (int k = 0; k < 10; ++k) {
        const char numeral[] = {'\x87', static_cast<char>(0x54 + k), '\0'};
        text = ReplaceAll(text, numeral, kSpelling[k], false);
    }
    return text;
}

inline Lines AddListItemPrefixReference(Lines lines) {
    for (auto& line : lines) {
        std::string copy = line;
        Text().LowerMap().ApplySameLength(copy, Text().LeadBytes());
        if (FindText("<li>", copy) != 1) line = "<li>" + line;
    }
    return lines;
}

inline std::string RunsToTabReference(const std::string& line, std::string_view sep) {
    std::vector<std::string> pieces;
    std::string rest = line;
    for (std::size_t p; (p = FindText(sep, rest)) != 0;) {
        pieces.push_back(rest.substr(0, p - 1));
        rest.erase(0, p - 1 + sep.size());
        while (rest.starts_with(sep))
            rest.erase(0, sep.size());
    }
    pieces.push_back(rest);
    std::string joined = pieces[0];
    for (std::size_t k = 1; k < pieces.size(); ++k)
        joined += "\t" + pieces[k];
    return joined;
}

inline Lines RunsToTabReference(Lines lines, int mode) {
    for (auto& line : lines) {
        if (mode == 1 || mode == 3) line = RunsToTabReference(line, " ");
        if (mode == 2 || mode == 3) line = RunsToTabReference(line, "\x81\x40");
        if (mode == 3) line = RunsToTabReference(line, "\t");
    }
    return lines;
}

inline Lines JoinLinesReference(Lines lines) {
    std::size_t i = 0;
    while (i + 1 < lines.size()) {
        const std::string& line = lines[i];
        const std::string& next = lines[i + 1];
        if (line.size() >= 2 &&
            Text().EqualIgnoreCase(std::string_view(line).substr(line.size() - 2), "\x81\x42") &&
            (FindText("\x81\x40", next) == 1 || FindText(" ", next) == 1)) {
            ++i;
            continue;
        }
        if (next.empty()) {
            lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(i) + 1);
            if (i + 1 == lines.size()) break;
        }
        lines[i] += lines[i + 1];
        lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(i) + 1);
    }
    return lines;
}

// Letter case by the character walk from the first byte.
inline std::string ChangeCaseReference(std::string text, int mode) {
    const CharMap& map = mode == 1 ? Text().LowerMap() : Text().UpperMap();
    const auto& lead = Text().LeadBytes();
    for (std::size_t i = 0; i < text.size();) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (lead[b] && i + 1 < text.size()) {
            const MappedChar& m = map.Pair(CharCode(std::string_view(text).substr(i, 2)));
            if (m.length == 2) {
                text[i] = static_cast<char>(m.bytes[0]);
                text[i + 1] = static_cast<char>(m.bytes[1]);
            }
            i += 2;
        } else {
            const MappedChar& m = map.Single(b);
            if (m.length == 1 && !lead[b]) text[i] = static_cast<char>(m.bytes[0]);
            ++i;
        }
    }
    return text;
}

}  // namespace qm::testing
