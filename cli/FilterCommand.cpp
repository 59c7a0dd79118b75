#include "cli/FilterCommand.h"

#include "base/Exception.h"
#include "base/File.h"
#include "base/Path.h"
#include "engine/Pipeline.h"
#include "settings/FilterSettings.h"

namespace qm {

namespace {

using Kind = FilterOptionField::Kind;

// Strict form for the command line: a decimal item index or 0/1.
bool SetFromArgument(FilterOptions& o, const FilterOptionField& f, const std::string& value,
                     std::string& error) {
    if (f.kind == Kind::Text) {
        o.*f.text = value;
        return true;
    }
    std::size_t used = 0;
    int n = 0;
    try {
        n = std::stoi(value, &used, 10);
    } catch (const std::exception&) {
        used = 0;
    }
    if (value.empty() || used != value.size()) {
        error = std::string(f.name) + ": '" + value + "' is not a number";
        return false;
    }
    if (f.kind == Kind::Check) {
        if (n != 0 && n != 1) {
            error = std::string(f.name) + ": '" + value + "' must be 0 or 1";
            return false;
        }
        o.*f.check = n == 1;
    } else {
        if (n < -1 || n >= f.items) {
            error = std::string(f.name) + ": '" + value + "' must be from -1 to " +
                    std::to_string(f.items - 1);
            return false;
        }
        o.*f.radio = n;
    }
    return true;
}

bool LoadIni(FilterOptions& o, const std::string& path, const std::string& section,
             std::string& error) {
    std::string content;
    try {
        FileOptions options;
        options.regularOnly = true;
        content = ReadWholeFile(path, options);
    } catch (const EFileRefused&) {
        error = "settings file '" + path + "' is not a regular file";
        return false;
    } catch (const EInOutError&) {
        error = "cannot read settings file '" + path + "'";
        return false;
    }
    const IniText ini(content);
    if (!ini.HasSection(section)) {
        error = "settings file '" + path + "' has no section [" + section + "]";
        return false;
    }
    RestoreFilterOptions(ini, section, o);
    return true;
}

FilterCommand Fail(std::string message) {
    FilterCommand c;
    c.action = FilterCommand::Action::Error;
    c.error = std::move(message);
    return c;
}

}  // namespace

FilterCommand ParseFilterCommand(const std::vector<std::string>& args) {
    FilterCommand command;
    std::string iniPath, section;
    bool haveIni = false, haveSection = false;
    std::vector<std::pair<const FilterOptionField*, std::string>> assignments;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            command.action = FilterCommand::Action::Help;
            return command;
        }
        if (a == "--encoding" || a.starts_with("--encoding=")) {
            if (a == "--encoding" && i + 1 >= args.size()) return Fail(a + " needs a value");
            const std::string name = a == "--encoding" ? args[++i] : a.substr(a.find('=') + 1);
            const auto encoding = ParseTextEncoding(name);
            if (!encoding) return Fail("unknown encoding '" + name + "' (cp932 or utf-8)");
            command.encoding = *encoding;
            continue;
        }
        if (a == "--ini" || a == "--section") {
            if (i + 1 >= args.size()) return Fail(a + " needs a value");
            (a == "--ini" ? iniPath : section) = args[++i];
            (a == "--ini" ? haveIni : haveSection) = true;
            continue;
        }
        const std::size_t eq = a.find('=');
        if (eq == std::string::npos) return Fail("unknown argument '" + a + "' (see --help)");
        const FilterOptionField* f = FindFilterOptionField(std::string_view(a).substr(0, eq));
        if (!f) return Fail("unknown option '" + a.substr(0, eq) + "' (see --help)");
        assignments.emplace_back(f, a.substr(eq + 1));
    }
    if (haveIni != haveSection) return Fail("--ini and --section go together");
    std::string error;
    if (haveIni && !LoadIni(command.options, iniPath, section, error)) return Fail(error);
    for (const auto& [field, value] : assignments) {
        if (!SetFromArgument(command.options, *field, value, error)) return Fail(error);
    }
    return command;
}

std::string FilterCommandHelp() {
    std::string help =
        "usage: quillmoth-filter [--encoding cp932|utf-8] [--ini FILE --section NAME]\n"
        "                        [NAME=VALUE ...] < input > output\n"
        "\n"
        "Runs standard input (Shift-JIS text, or UTF-8 with --encoding utf-8) through the\n"
        "Quillmoth filter pipeline and writes the result to standard output. Options are\n"
        "named as in the settings file; --ini reads them from a settings section first,\n"
        "arguments then override.\n"
        "\n" +
        TextEncodingHelp() +
        "\n"
        "options (initial value 0 or empty):\n";
    for (const FilterOptionField& f : FilterOptionFields()) {
        help += "  ";
        help += f.name;
        switch (f.kind) {
            case Kind::Check:
                help += "=0|1\n";
                break;
            case Kind::Radio:
                help += "=-1.." + std::to_string(f.items - 1) + "\n";
                break;
            case Kind::Text:
                help += "=PATH\n";
                break;
        }
    }
    help += "\nexit status: 0 filtered, 1 a step failed, 2 bad arguments\n";
    return help;
}

namespace {

// A path from the arguments, for a message on standard error.
std::string PathInEncoding(const std::string& path, TextEncoding encoding) {
#ifdef _WIN32
    // Windows hands the program its arguments in the ANSI code page, 932.
    return MessageInEncoding(path, encoding);
#else
    (void)encoding;
    return path;  // bytes as the shell gave them
#endif
}

// The command's action, where `filter` runs the filter itself.
int Carry(const FilterCommand& command, const OutputSink& write, std::string& err,
          const std::function<void()>& filter) {
    err.clear();
    switch (command.action) {
        case FilterCommand::Action::Help:
            write(FilterCommandHelp());
            return kExitOk;
        case FilterCommand::Action::Error:
            err = "quillmoth-filter: " + command.error + "\n";
            return kExitUsage;
        case FilterCommand::Action::Filter:
            break;
    }
    try {
        filter();
    } catch (const Exception& e) {
        err = MessageInEncoding(e.what(), command.encoding) + "\n";
        return kExitStepError;
    }
    // The step takes a missing filter file for no rules, as the resident program
    // must; a command run by hand says so, since a mistyped path looks like a file
    // whose rules matched nothing.
    const FilterOptions& o = command.options;
    if (o.UseCustomFilter && !FileListed(o.FilterFile)) {
        err = o.FilterFile.empty()
                  ? "quillmoth-filter: warning: UseCustomFilter=1 names no FilterFile; no rules "
                    "were applied\n"
                  : "quillmoth-filter: warning: FilterFile '" +
                        PathInEncoding(o.FilterFile, command.encoding) +
                        "' names no file; no rules were applied\n";
    }
    return kExitOk;
}

}  // namespace

int RunFilterCommand(const FilterCommand& command, std::string_view input, const OutputSink& write,
                     std::string& err) {
    return Carry(command, write, err,
                 [&] { FilterInEncoding(input, command.options, command.encoding, write); });
}

int RunFilterCommand(const FilterCommand& command, std::string&& input, const OutputSink& write,
                     std::string& err) {
    return Carry(command, write, err, [&] {
        FilterInEncoding(std::move(input), command.options, command.encoding, write);
    });
}

int RunFilterCommand(const FilterCommand& command, std::string_view input, std::string& out,
                     std::string& err) {
    out.clear();
    return RunFilterCommand(
        command, input, [&out](std::string_view piece) { out += piece; }, err);
}

}  // namespace qm
