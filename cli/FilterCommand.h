// The command-line filter: standard input through FilterText to standard output,
// with the options given as NAME=VALUE arguments or read from a settings file.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/TextEncoding.h"
#include "engine/FilterOptions.h"

namespace qm {

struct FilterCommand {
    enum class Action { Filter, Help, Error };
    Action action = Action::Filter;
    FilterOptions options;
    TextEncoding encoding = TextEncoding::Cp932;
    std::string error;  // one line, for Action::Error
};

// Reads the arguments (without the program name). --ini FILE --section NAME loads
// the options first; NAME=VALUE arguments then override them. --encoding NAME
// sets the encoding of standard input and output.
FilterCommand ParseFilterCommand(const std::vector<std::string>& args);

std::string FilterCommandHelp();

// Exit codes.
inline constexpr int kExitOk = 0;
inline constexpr int kExitStepError = 1;
inline constexpr int kExitUsage = 2;

// Output handed over a piece at a time.
using OutputSink = std::function<void(std::string_view)>;

// Carries out a parsed command on byte strings: returns the exit code; `write`
// gets the filtered text or the help, nothing when the command fails, and err the
// message of a failure, or a warning when a run that worked applied no filter file
// it was asked to.
int RunFilterCommand(const FilterCommand& command, std::string_view input, const OutputSink& write,
                     std::string& err);
// The same over input the caller gives up (read into a string rather than mapped),
// whose buffer a UTF-8 run converts in.
int RunFilterCommand(const FilterCommand& command, std::string&& input, const OutputSink& write,
                     std::string& err);
// The same with the output gathered in out.
int RunFilterCommand(const FilterCommand& command, std::string_view input, std::string& out,
                     std::string& err);

}  // namespace qm
