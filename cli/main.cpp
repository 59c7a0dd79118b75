// quillmoth-filter: the filter pipeline as a command for scripts and benchmarks.
#include <cstdio>
#include <string>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "cli/FilterCommand.h"

namespace {

bool ReadAll(std::FILE* f, std::string& data) {
    std::vector<char> chunk(1 << 20);
    for (;;) {
        const std::size_t n = std::fread(chunk.data(), 1, chunk.size(), f);
        data.append(chunk.data(), n);
        if (n < chunk.size()) return !std::ferror(f);
    }
}

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    const std::vector<std::string> args(argv + 1, argv + argc);
    std::string input, out, err;
    const qm::FilterCommand command = qm::ParseFilterCommand(args);
    if (command.action == qm::FilterCommand::Action::Filter && !ReadAll(stdin, input)) {
        std::fputs("quillmoth-filter: cannot read standard input\n", stderr);
        return qm::kExitStepError;
    }
    const int code = qm::RunFilterCommand(command, input, out, err);
    std::string().swap(input);
    if (!err.empty()) std::fwrite(err.data(), 1, err.size(), stderr);
    if (!out.empty() && (std::fwrite(out.data(), 1, out.size(), stdout) != out.size() ||
                         std::fflush(stdout) != 0)) {
        std::fputs("quillmoth-filter: cannot write standard output\n", stderr);
        return qm::kExitStepError;
    }
    return code;
}
