#include "settings/IniFile.h"

#include <algorithm>

namespace qm {

namespace {

bool EqualNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               auto low = [](char c) {
                   return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
               };
               return low(x) == low(y);
           });
}

std::string_view Trim(std::string_view s) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!s.empty() && blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && blank(s.back()))
        s.remove_suffix(1);
    return s;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

IniText::IniText(std::string_view text) {
    std::string section;
    bool inSection = false;
    while (!text.empty()) {
        const std::size_t e = text.find_first_of("\r\n");
        std::string_view line = Trim(text.substr(0, e));
        text = e == std::string_view::npos ? std::string_view{} : text.substr(e + 1);
        if (line.empty() || line.front() == ';') continue;
        if (line.front() == '[') {
            const std::size_t close = line.find(']');
            section = std::string(Trim(
                line.substr(1, close == std::string_view::npos ? line.size() - 1 : close - 1)));
            sections_.push_back(section);
            inSection = true;
            continue;
        }
        if (!inSection) continue;
        const std::size_t eq = line.find('=');
        if (eq == std::string_view::npos) continue;
        std::string_view value = Trim(line.substr(eq + 1));
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
            value.back() == value.front()) {
            value = value.substr(1, value.size() - 2);
        }
        entries_.push_back({section, std::string(Trim(line.substr(0, eq))),
                            std::string(value.substr(0, kMaxValue))});
    }
}

bool IniText::HasSection(std::string_view section) const {
    return std::any_of(sections_.begin(), sections_.end(),
                       [&](const std::string& s) { return EqualNoCase(s, section); });
}

std::optional<std::string> IniText::Get(std::string_view section, std::string_view key) const {
    for (const Entry& e : entries_) {
        if (EqualNoCase(e.section, section) && EqualNoCase(e.key, key)) return e.value;
    }
    return std::nullopt;
}

std::optional<std::int32_t> ParseIniInteger(std::string_view v) {
    std::string_view digits;
    int base = 10;
    bool negative = false;
    if (!v.empty() && v.front() == '$') {
        digits = v.substr(1);
        base = 16;
    } else if (v.size() > 2 && v[0] == '0' && (v[1] == 'x' || v[1] == 'X')) {
        digits = v.substr(2);
        base = 16;
    } else {
        if (!v.empty() && (v.front() == '-' || v.front() == '+')) {
            negative = v.front() == '-';
            v.remove_prefix(1);
        }
        digits = v;
    }
    if (digits.empty()) return std::nullopt;
    std::uint64_t n = 0;
    for (char c : digits) {
        const int d = base == 16 ? HexDigit(c) : (c >= '0' && c <= '9' ? c - '0' : -1);
        if (d < 0) return std::nullopt;
        n = n * static_cast<unsigned>(base) + static_cast<unsigned>(d);
        if (n > 0xFFFFFFFFull) return std::nullopt;
    }
    if (base == 16) return static_cast<std::int32_t>(static_cast<std::uint32_t>(n));
    if (negative ? n > 0x80000000ull : n > 0x7FFFFFFFull) return std::nullopt;
    return static_cast<std::int32_t>(negative ? -static_cast<std::int64_t>(n)
                                              : static_cast<std::int64_t>(n));
}

std::int32_t RestoredInteger(std::string_view value, std::int32_t current) {
    return ParseIniInteger(value).value_or(current);
}

bool RestoredBool(std::string_view value, bool current) {
    return RestoredInteger(value, current ? 1 : 0) != 0;
}

}  // namespace qm
