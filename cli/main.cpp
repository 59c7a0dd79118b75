// quillmoth-filter: the filter pipeline as a command for scripts and benchmarks.
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <exception>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#else
#include <sys/mman.h>
#endif

#include "base/LargePages.h"
#include "cli/FilterCommand.h"

namespace {

// Reads the whole stream straight into data; a regular file is read into one block
// of its own size, so that 80 MB cost one allocation and no copies. A pipe's size is
// not known: the buffer doubles, and each new one asks for large pages before the
// old bytes move in, since on 80 MB of small pages the faults cost several times
// what the filtering does. Only what has been read is ever made part of the string.
bool ReadAll(std::FILE* f, std::string& data) {
    std::size_t chunk = 1 << 20;
    struct stat st {};
    if (fstat(fileno(f), &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0) {
        chunk = static_cast<std::size_t>(st.st_size) + 1;
    }
    for (;;) {
        const std::size_t used = data.size();
        if (used + chunk > data.capacity())
            qm::MoveToLargePages(data, std::max(used + chunk, 2 * data.capacity()));
        data.resize(used + chunk);
        const std::size_t n = std::fread(data.data() + used, 1, chunk, f);
        data.resize(used + n);
        if (n < chunk) return !std::ferror(f);
    }
}

#ifndef _WIN32
// A regular file on standard input is mapped instead of read: the filter reads its
// input once, front to back, and a copy would cost as much as the filtering.
class MappedInput {
  public:
    MappedInput() {
        struct stat st {};
        if (fstat(0, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size <= 0) return;
        void* p = mmap(nullptr, static_cast<std::size_t>(st.st_size), PROT_READ,
                       MAP_PRIVATE | MAP_POPULATE, 0, 0);
        if (p == MAP_FAILED) return;
        data_ = static_cast<const char*>(p);
        size_ = static_cast<std::size_t>(st.st_size);
    }
    ~MappedInput() {
        if (data_) munmap(const_cast<char*>(data_), size_);
    }
    MappedInput(const MappedInput&) = delete;
    MappedInput& operator=(const MappedInput&) = delete;
    bool Mapped() const { return data_ != nullptr; }
    std::string_view Bytes() const { return {data_, size_}; }

  private:
    const char* data_ = nullptr;
    std::size_t size_ = 0;
};
#endif

int Run(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    const qm::FilterCommand command = qm::ParseFilterCommand(args);
    std::string buffer, err;
    std::string_view input;
#ifndef _WIN32
    const MappedInput mapped;
    if (mapped.Mapped()) input = mapped.Bytes();
#endif
    if (command.action == qm::FilterCommand::Action::Filter && input.empty()) {
        if (!ReadAll(stdin, buffer)) {
            std::fputs("quillmoth-filter: cannot read standard input\n", stderr);
            return qm::kExitStepError;
        }
        input = buffer;
    }
    bool written = true;
    const auto write = [&written](std::string_view piece) {
        written = written && std::fwrite(piece.data(), 1, piece.size(), stdout) == piece.size();
    };
    // Input read into the buffer is handed over, so that UTF-8 is converted in it.
    const int code = input.data() == buffer.data()
                         ? qm::RunFilterCommand(command, std::move(buffer), write, err)
                         : qm::RunFilterCommand(command, input, write, err);
    std::string().swap(buffer);
    if (!err.empty()) std::fwrite(err.data(), 1, err.size(), stderr);
    if (!written || std::fflush(stdout) != 0) {
        std::fputs("quillmoth-filter: cannot write standard output\n", stderr);
        return qm::kExitStepError;
    }
    return code;
}

}  // namespace

// Whatever escapes the run ends in a message and the failure code, never an abort.
int main(int argc, char** argv) {
#ifdef _WIN32
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    try {
        return Run(argc, argv);
    } catch (const std::bad_alloc&) {
        std::fputs("quillmoth-filter: out of memory\n", stderr);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "quillmoth-filter: %s\n", e.what());
    } catch (...) {
        std::fputs("quillmoth-filter: unexpected error\n", stderr);
    }
    return qm::kExitStepError;
}
