// Reading settings files without the platform: the same answers the private-profile
// functions give for the files the program writes. Used where no window system is
// at hand (the command-line filter).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

class IniText {
  public:
    explicit IniText(std::string_view text);

    bool HasSection(std::string_view section) const;
    // The value of key in section (both matched without regard to ASCII case),
    // blanks around it removed and one pair of enclosing quotes dropped; at most
    // kMaxValue bytes, as the platform reads it through a 2,048-byte buffer.
    std::optional<std::string> Get(std::string_view section, std::string_view key) const;

    static constexpr std::size_t kMaxValue = 2047;

  private:
    struct Entry {
        std::string section, key, value;
    };
    std::vector<Entry> entries_;
    std::vector<std::string> sections_;
};

// An integer as the settings store reads it: signed decimal, or hexadecimal after
// "$", "0x" or "0X" (the latter two only in a value longer than two characters).
// Anything else, or a number that does not fit 32 bits, gives nothing.
std::optional<std::int32_t> ParseIniInteger(std::string_view value);

// How the settings store restores a value over a control's state (current): a value
// that is no integer leaves it as it is, and any integer but 0 checks a box.
std::int32_t RestoredInteger(std::string_view value, std::int32_t current);
bool RestoredBool(std::string_view value, bool current);

}  // namespace qm
