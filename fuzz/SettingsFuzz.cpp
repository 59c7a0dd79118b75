// Settings files as the command-line filter reads them: the INI text, its integer
// values, and the options the store's value rules make of them.
//
// Input: a settings file; the section read is the first one named in it.
#include <cinttypes>

#include "cli/FilterCommand.h"
#include "fuzz/FuzzInput.h"
#include "settings/IniFile.h"

namespace qm::fuzz {
namespace {

// Every integer the parser gives reads back the same from the forms the store
// writes and accepts.
void IntegerForms(std::string_view value) {
    const std::optional<std::int32_t> n = ParseIniInteger(value);
    if (!n) return;
    char hex[16];
    std::snprintf(hex, sizeof hex, "%" PRIX32, static_cast<std::uint32_t>(*n));
    Expect(ParseIniInteger(std::to_string(*n)) == n, "decimal reads back", value);
    Expect(ParseIniInteger(std::string("$") + hex) == n, "$ hexadecimal reads back", value);
    Expect(ParseIniInteger(std::string("0x") + hex) == n, "0x hexadecimal reads back", value);
}

// The name between the first "[" and the "]" or line end after it, without the
// blanks around it.
std::string FirstSection(std::string_view file) {
    const std::size_t open = file.find('[');
    if (open == std::string_view::npos) return {};
    std::string_view name = file.substr(open + 1);
    name = name.substr(0, name.find_first_of("]\r\n"));
    while (!name.empty() && (name.front() == ' ' || name.front() == '\t'))
        name.remove_prefix(1);
    while (!name.empty() && (name.back() == ' ' || name.back() == '\t'))
        name.remove_suffix(1);
    return std::string(name);
}

}  // namespace
}  // namespace qm::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qm;
    using namespace qm::fuzz;
    const std::string_view file(reinterpret_cast<const char*>(data), size);
    const std::string section = FirstSection(file);

    IntegerForms(section);
    const IniText ini(file);
    for (const FilterOptionField& f : FilterOptionFields()) {
        const std::optional<std::string> value = ini.Get(section, f.name);
        if (!value) continue;
        Expect(value->size() <= IniText::kMaxValue, "a value is at most 2,047 bytes", *value);
        IntegerForms(*value);
    }

    const FilterCommand c =
        ParseFilterCommand({"--ini", ScratchFile("settings.ini", file), "--section", section});
    if (c.action != FilterCommand::Action::Filter) {
        Expect(c.action == FilterCommand::Action::Error && !ini.HasSection(section),
               "only a missing section fails", section);
        return 0;
    }
    for (const FilterOptionField& f : FilterOptionFields()) {
        if (f.kind == FilterOptionField::Kind::Radio) {
            const int v = c.options.*f.radio;
            Expect(v >= -1 && v < f.items, f.name, std::to_string(v));
        }
    }
    return 0;
}
