// Address completion and redirector removal written out plainly as they are
// defined: the completion scanning back from the last byte.
#pragma once

#include <cctype>
#include <cstddef>
#include <string>
#include <string_view>

#include "engine/Sjis.h"
#include "engine/TextServices.h"
#include "engine/tests/PlainForms.h"

namespace qm::testing {

// Whether the character walk from the first byte stops at 0-based index i.
inline bool StartsCharacter(std::string_view text, std::size_t i) {
    std::size_t k = 0;
    while (k < i)
        k += Text().LeadBytes()[static_cast<unsigned char>(text[k])] ? 2 : 1;
    return k == i;
}

inline std::string Lower(std::string s) {
    Text().LowerMap().ApplySameLength(s, Text().LeadBytes());
    return s;
}

inline bool IsSchemeByte(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.';
}

inline bool IsAddressByte(char c) {
    return c != '\0' && std::string_view(
                            "!#$%&'()*+,-./0123456789:;=?@ABCDEFGHIJKLMNOPQRSTUVWXYZ_"
                            "abcdefghijklmnopqrstuvwxyz~")
                                .find(c) != std::string_view::npos;
}

// The completion as defined: from the last byte back, putting bytes in front of the
// result, with every match required to begin a character.
inline std::string CompleteSchemesReference(const std::string& data) {
    std::string result;
    // 1-based positions as in the definition; d(i) is data[i].
    auto d = [&](std::ptrdiff_t i) { return data[static_cast<std::size_t>(i - 1)]; };
    auto range = [&](std::ptrdiff_t from, std::ptrdiff_t length) {
        return from < 1 ? std::string()
                        : data.substr(static_cast<std::size_t>(from - 1),
                                      static_cast<std::size_t>(length));
    };
    auto startsChar = [&](std::ptrdiff_t i) {
        return StartsCharacter(data, static_cast<std::size_t>(i - 1));
    };
    auto fragment = [&](std::ptrdiff_t a, std::ptrdiff_t n, const std::string& literal) {
        return a - n >= 1 && Lower(range(a - n, n)) == literal && startsChar(a - n);
    };
    for (auto a = static_cast<std::ptrdiff_t>(data.size()); a >= 1; --a) {
        result.insert(result.begin(), d(a));
        if (Lower(result.substr(0, 4)) == "www." && startsChar(a) &&
            !(a >= 3 && range(a - 2, 2) == "//") && !(a >= 2 && IsAddressByte(d(a - 1))))
            result.insert(0, "http://");
        if (result.substr(0, 3) != "://" || !startsChar(a)) continue;
        const auto ownScheme = [&](std::ptrdiff_t from) {
            return from >= 2 && IsSchemeByte(d(from - 1)) && startsChar(from - 1);
        };
        if (fragment(a, 3, "ftp")) {
            result.insert(0, ownScheme(a - 3) ? range(a - 3, 3) : "ftp");
            a -= 3;
        } else if (fragment(a, 5, "https")) {
            result.insert(0, ownScheme(a - 5) ? range(a - 5, 5) : "https");
            a -= 5;
        } else {
            // A word of scheme bytes in front of what the repair takes keeps it all.
            std::ptrdiff_t from = a;
            if (fragment(from, 4, "http")) from -= 4;
            if (fragment(from, 3, "ttp")) from -= 3;
            if (fragment(from, 2, "tp")) from -= 2;
            if (fragment(from, 1, "p")) from -= 1;
            result.insert(0, ownScheme(from) ? range(from, a - from) : "http");
            a = from;
        }
    }
    return result;
}

inline bool IsHostByte(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '.';
}

// Removal as defined, with the tail cut at the end of the host name and only a host
// that a "/" follows taken.
inline std::string RemoveRedirectorReference(const std::string& pattern, std::string text) {
    for (int passes = 0; passes < 10; ++passes) {
        const std::string lowered = Lower(text);
        std::string tail;
        bool found = false;
        for (std::size_t c = 0; !found && c + pattern.size() <= text.size(); ++c) {
            if (lowered.compare(c, pattern.size(), pattern) != 0 || !StartsCharacter(lowered, c))
                continue;
            std::size_t end = c + pattern.size();
            while (end < text.size() && IsHostByte(text[end]))
                ++end;
            if (end < text.size() && text[end] == '/') {
                tail = text.substr(c + pattern.size(), end - c - pattern.size());
                found = true;
            }
        }
        if (!found) break;
        text = ReplaceAll(text, pattern + tail + "/", "/", false);
    }
    return text;
}

}  // namespace qm::testing
