// The text the benchmarks run on: the file that QM_CORPUS names (bench/make-corpus.sh
// makes them), or nothing, and each benchmark falls back on a built-in text.
#pragma once

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>

namespace qm::bench {

inline std::string CorpusFile() {
    const char* path = std::getenv("QM_CORPUS");
    if (!path) return {};
    std::ifstream f(path, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return std::move(s).str();
}

// The corpus file, or else piece repeated times over.
inline std::string CorpusOr(std::string_view piece, int times) {
    std::string text = CorpusFile();
    if (!text.empty()) return text;
    for (int i = 0; i < times; ++i)
        text += piece;
    return text;
}

}  // namespace qm::bench
