// Every option on its own, on the text shapes that are worst for the steps: long
// lines, no line break at all, only lead bytes, only tags, tags that swallow every
// line break, only "://", and the corpus itself. Each runs on 8 MB and on 32 MB of
// the shape; a step whose time grows faster than its input shows as a ratio well
// over 4. Prints one line per option and shape: the best of three times on each
// size and their ratio, marked when it is over 4.5; and for each shape the ratio of
// a plain copy of the text, the machine's own, which the steps' ratios are read
// against.
//
//   worst_shapes [option-substring [shape-substring]]
//
// QM_CORPUS names the corpus (bench/make-corpus.sh); a built-in text otherwise.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include "bench/Corpus.h"
#include "engine/Pipeline.h"

namespace {

using Clock = std::chrono::steady_clock;

// The shape's text of `size` bytes, its unit repeated (or the corpus cut to shape).
using Shape = std::function<std::string(std::size_t size)>;

std::string Repeat(std::string_view unit, std::size_t size) {
    std::string text;
    text.reserve(size + unit.size());
    while (text.size() < size)
        text += unit;
    text.resize(size);
    return text;
}

const std::string& CorpusText() {
    static const std::string text = [] {
        std::string t = qm::bench::CorpusFile();
        if (!t.empty()) return t;
        // Japanese text (nihongo no tekisuto) with ASCII, an address and a tag
        return Repeat(
            "\x93\xFA\x96\x7B\x8C\xEA\x82\xCC\x83\x65\x83\x4C\x83\x58\x83\x67\x81\x42 abc "
            "<b>http://ime.nu/x.jp/</b> (123), \x82\x50\x81\x40\x82\x60\r\n",
            8 << 20);
    }();
    return text;
}

// The corpus's first 8 MB over and over: both sizes hold the same mix of text,
// where the corpus's later parts (the reference's HTML, say) differ from its first.
std::string FromCorpus(std::size_t size) {
    return Repeat(std::string_view(CorpusText()).substr(0, 8'000'000), size);
}

struct NamedShape {
    const char* name;
    Shape make;
};

std::vector<NamedShape> Shapes() {
    return {
        {"corpus", FromCorpus},
        {"lines of 1 MB",
         [](std::size_t size) {
             std::string text = FromCorpus(size);
             std::replace(text.begin(), text.end(), '\n', ' ');
             std::replace(text.begin(), text.end(), '\r', ' ');
             for (std::size_t at = 1 << 20; at < text.size(); at += 1 << 20)
                 text[at] = '\n';
             return text;
         }},
        {"no line break",
         [](std::size_t size) {
             std::string text = FromCorpus(size + size / 16);
             std::erase(text, '\n');
             std::erase(text, '\r');
             text.resize(std::min(text.size(), size));
             return text;
         }},
        // Hiragana a's lead byte, and a run of kanji lead bytes with no end.
        {"only lead bytes", [](std::size_t size) { return Repeat("\x82\x88\x9F\xE0", size); }},
        {"only tags", [](std::size_t size) { return Repeat("<a href=\"x\">", size); }},
        {"only <", [](std::size_t size) { return Repeat("<", size); }},
        {"tags over breaks", [](std::size_t size) { return Repeat("xyzw<\r\n>", size); }},
        {"only ://", [](std::size_t size) { return Repeat("://", size); }},
        {"only www.", [](std::size_t size) { return Repeat("www.", size); }},
    };
}

// A filter file whose rules match in every shape.
const std::string& RulesPath() {
    static const struct File {
        File() : path((std::filesystem::temp_directory_path() / "qm-worst-shapes.txt").string()) {
            std::ofstream(path, std::ios::binary)
                << "<\t[\r\n://\t:/\r\na\tb\r\nxyzw\tw\r\n\x82\x88\tz\r\nwww.\tw.\r\n \t  \r\n";
        }
        ~File() { std::filesystem::remove(path); }
        std::string path;
    } file;
    return file.path;
}

struct Option {
    std::string name;
    std::function<void(qm::FilterOptions&)> set;
};

std::vector<Option> Options() {
    std::vector<Option> options = {{"initial options", [](qm::FilterOptions&) {}}};
    const auto check = [&](const char* name, bool qm::FilterOptions::*field) {
        options.push_back({name, [field](qm::FilterOptions& o) { o.*field = true; }});
    };
    const auto radio = [&](const char* name, int qm::FilterOptions::*field, int last) {
        for (int value = 1; value <= last; ++value) {
            options.push_back({std::string(name) + "=" + std::to_string(value),
                               [field, value](qm::FilterOptions& o) { o.*field = value; }});
        }
    };
    using O = qm::FilterOptions;
    check("DelEmptyLine", &O::DelEmptyLine);
    radio("NumberMode", &O::NumberMode, 2);
    radio("AlphabetMode", &O::AlphabetMode, 2);
    radio("PunctuationMode", &O::PunctuationMode, 2);
    radio("PeriodMode", &O::PeriodMode, 2);
    radio("SignMode", &O::SignMode, 2);
    radio("SpaceMode", &O::SpaceMode, 2);
    radio("ParenthesisMode", &O::ParenthesisMode, 2);
    radio("KanaMode1", &O::KanaMode1, 2);
    radio("KanaMode2", &O::KanaMode2, 3);
    radio("ReturnMode", &O::ReturnMode, 1);
    check("TagDelete", &O::TagDelete);
    check("RepAmp", &O::RepAmp);
    check("RepLG", &O::RepLG);
    check("RepQuot", &O::RepQuot);
    check("RepNumber", &O::RepNumber);
    check("AddLI", &O::AddLI);
    radio("Space2Tab", &O::Space2Tab, 3);
    check("DelDmySpc", &O::DelDmySpc);
    check("DelConma", &O::DelConma);
    radio("UpDownCase", &O::UpDownCase, 2);
    options.push_back({"UseCustomFilter", [](qm::FilterOptions& o) {
                           o.UseCustomFilter = true;
                           o.FilterFile = RulesPath();
                       }});
    check("URLHelper", &O::URLHelper);
    check("RemoveIme", &O::RemoveIme);
    radio("EnterDeleteMode", &O::EnterDeleteMode, 1);
    return options;
}

// Writes over more memory than the processor's caches hold, so that every run
// reads its text from memory, whatever its size: 8 MB of text would otherwise stay
// in the cache from run to run, and 32 MB would not.
void EvictCaches() {
    static std::vector<char> scratch(128 << 20);
    static char round = 0;
    ++round;
    for (std::size_t i = 0; i < scratch.size(); i += 64)
        scratch[i] = round;
}

// The best of three runs of `run`, each from memory.
double BestSeconds(const std::function<std::string()>& run) {
    double best = 1e9;
    for (int r = 0; r < 3; ++r) {
        EvictCaches();
        const auto start = Clock::now();
        const std::string out = run();
        best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
        if (out.size() == 1) std::puts("");  // the result is used
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
#ifdef __GLIBC__
    // glibc maps every block over 32 MB afresh and unmaps it when it is freed, while
    // it keeps smaller ones in its heap: the buffers of the 32 MB text (up to twice
    // its size) would pay the first touch of every page on each run and those of the
    // 8 MB text never, which looks like a step growing faster than its input. Kept
    // in the heap, both sizes reuse their pages.
    mallopt(M_MMAP_THRESHOLD, 1 << 30);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
#endif
    const std::string only = argc > 1 ? argv[1] : "";
    const std::string onlyShape = argc > 2 ? argv[2] : "";
    constexpr std::size_t kSmall = 8'000'000, kLarge = 32'000'000;
    // A plain copy of the text is the floor every step stands on: a step is as
    // linear as the machine allows when its ratio is near the copy's, which the
    // memory's speed and the caches set, 4 or more here.
    std::printf("%-20s %-18s %9s %9s %6s %7s\n", "option", "shape", "8 MB s", "32 MB s", "ratio",
                "x copy");
    int over = 0, overCopy = 0;
    for (const NamedShape& shape : Shapes()) {
        if (std::string(shape.name).find(onlyShape) == std::string::npos) continue;
        const std::string small = shape.make(kSmall), large = shape.make(kLarge);
        const auto copyOf = [](const std::string& text) { return [&text] { return text; }; };
        const double copyRatio = BestSeconds(copyOf(large)) / BestSeconds(copyOf(small));
        std::printf("%-20s %-18s %9s %9s %6.2f\n", "a plain copy", shape.name, "", "", copyRatio);
        for (const Option& option : Options()) {
            if (option.name.find(only) == std::string::npos) continue;
            qm::FilterOptions o;
            option.set(o);
            const auto filter = [&o](const std::string& text) {
                return [&o, &text] { return qm::FilterText(text, o); };
            };
            const double a = BestSeconds(filter(small)), b = BestSeconds(filter(large));
            const double ratio = b / a;
            const bool bad = ratio > 4.5, badCopy = ratio > 1.5 * copyRatio;
            over += bad;
            overCopy += badCopy;
            std::printf("%-20s %-18s %9.4f %9.4f %6.2f %7.2f%s%s\n", option.name.c_str(),
                        shape.name, a, b, ratio, ratio / copyRatio, bad ? "  over 4.5" : "",
                        badCopy ? ", over 1.5 x copy" : "");
            std::fflush(stdout);
        }
    }
    std::printf("%d over 4.5, %d over 1.5 times the copy's ratio\n", over, overCopy);
    return 0;
}
