// The text the benchmarks run on: the file that QM_CORPUS names (bench/make-corpus.sh
// makes them), or nothing, and each benchmark falls back on a built-in text.
#pragma once

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace qm::bench {

inline std::string CorpusFile() {
    const char* path = std::getenv("QM_CORPUS");
    if (!path) return {};
    std::ifstream f(path, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return std::move(s).str();
}

}  // namespace qm::bench
