// Throughput of the whole pipeline with every option on (a filter file of 100 rules
// included), of each line, markup and address step on its own, and of a filter file
// of 1,000 rules over 1 MB. QM_CORPUS names the text (bench/make-corpus.sh makes
// bench/corpus/ja-80M.txt, ja-8M.txt and html.txt); a small built-in text otherwise.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "bench/Corpus.h"
#include "engine/Pipeline.h"
#include "engine/TextServices.h"
#include "engine/UserFilter.h"

namespace {

const std::string& Corpus() {
    // <p>Japanese text (nihongo no tekisuto) with a full stop</p> with an address, ASCII and
    // blank lines, repeated
    static const std::string text = qm::bench::CorpusOr(
        "<p>\x93\xFA\x96\x7B\x8C\xEA\x82\xCC\x83\x65\x83\x4C\x83\x58\x83\x67\x81\x42</p> "
        "see www.example.jp & ttp://ime.nu/x.jp/ 1,234\n\n",
        100000);
    return text;
}

// Rules as a user writes them: words of the text (so that many lines have something
// to replace), each replaced by a marked form, and some that never match. The words
// come from the first 4 MB, so that the 8 MB and the 80 MB corpus get the same rules.
std::string MakeRules(const std::string& corpus, int count, unsigned seed) {
    const std::string text = corpus.substr(0, 4000000);
    const qm::LeadByteTable& lead = qm::Text().LeadBytes();
    std::mt19937 rng(seed);
    std::uniform_int_distribution<std::size_t> where(0, text.size() - 1);
    std::uniform_int_distribution<int> length(4, 8);
    std::string rules = "# benchmark rules\r\n";
    for (int r = 0; r < count; ++r) {
        if (r % 5 == 4) {
            rules += "never-" + std::to_string(r) + "\tx\r\n";
            continue;
        }
        // A word from a character start after a line start.
        for (;;) {
            std::size_t i = text.rfind('\n', where(rng));
            i = i == std::string::npos ? 0 : i + 1;
            const std::size_t skip = where(rng) % 40;
            for (std::size_t k = 0; k < skip && i < text.size(); ++k)
                i += lead[static_cast<unsigned char>(text[i])] ? 2 : 1;
            std::size_t e = i;
            const std::size_t want = static_cast<std::size_t>(length(rng));
            while (e < text.size() && e - i < want && text[e] != '\r' && text[e] != '\n' &&
                   text[e] != '\t' && text[e] != '\0')
                e += lead[static_cast<unsigned char>(text[e])] ? 2 : 1;
            if (e > text.size() || e - i < want) continue;
            const std::string word = text.substr(i, e - i);
            if (word[0] == '#' || word.find_first_of("\r\n\t") != std::string::npos) continue;
            rules += word + "\t[" + word + "]\r\n";
            break;
        }
    }
    return rules;
}

class RulesFile {
  public:
    RulesFile(const std::string& name, const std::string& content)
        : path_((std::filesystem::temp_directory_path() / name).string()) {
        std::ofstream(path_, std::ios::binary) << content;
    }
    ~RulesFile() { std::filesystem::remove(path_); }
    const std::string& Path() const { return path_; }

  private:
    std::string path_;
};

const RulesFile& HundredRules() {
    static const RulesFile file("qm-bench-100-rules.txt", MakeRules(Corpus(), 100, 1));
    return file;
}

void Run(benchmark::State& state, const std::string& text, const qm::FilterOptions& options) {
    for (auto _ : state)
        benchmark::DoNotOptimize(qm::FilterText(text, options));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(text.size()));
}

qm::FilterOptions AllOptions() {
    qm::FilterOptions o;
    o.DelEmptyLine = true;
    o.NumberMode = o.AlphabetMode = o.PunctuationMode = o.PeriodMode = o.SignMode = 1;
    o.SpaceMode = o.ParenthesisMode = o.KanaMode1 = o.KanaMode2 = o.ReturnMode = 1;
    o.TagDelete = o.RepAmp = o.RepLG = o.RepQuot = o.RepNumber = o.AddLI = true;
    o.Space2Tab = 1;
    o.DelDmySpc = o.DelConma = true;
    o.UpDownCase = 1;
    o.UseCustomFilter = true;
    o.FilterFile = HundredRules().Path();
    o.URLHelper = o.RemoveIme = true;
    o.EnterDeleteMode = 1;
    return o;
}

void BM_AllOptions(benchmark::State& state) {
    Run(state, Corpus(), AllOptions());
}
BENCHMARK(BM_AllOptions)->Unit(benchmark::kMillisecond)->MinTime(3);

// The same without the width and kana steps (2 to 10).
void BM_AllLineMarkupAddressOptions(benchmark::State& state) {
    qm::FilterOptions o = AllOptions();
    o.NumberMode = o.AlphabetMode = o.PunctuationMode = o.PeriodMode = o.SignMode = 0;
    o.SpaceMode = o.ParenthesisMode = o.KanaMode1 = o.KanaMode2 = 0;
    Run(state, Corpus(), o);
}
BENCHMARK(BM_AllLineMarkupAddressOptions)->Unit(benchmark::kMillisecond)->MinTime(3);

// One step at a time, with the load and text form around it that the pipeline pays:
// each benchmark by the options that turn its step on.
const struct {
    const char* name;
    void (*set)(qm::FilterOptions& o);
} kSteps[] = {
    {"BM_Nothing", [](qm::FilterOptions&) {}},
    {"BM_ReturnMode", [](qm::FilterOptions& o) { o.ReturnMode = 1; }},
    {"BM_TagDelete", [](qm::FilterOptions& o) { o.TagDelete = true; }},
    {"BM_Entities", [](qm::FilterOptions& o) { o.RepAmp = o.RepLG = o.RepQuot = true; }},
    {"BM_RepNumber", [](qm::FilterOptions& o) { o.RepNumber = true; }},
    {"BM_AddLI", [](qm::FilterOptions& o) { o.AddLI = true; }},
    {"BM_Space2Tab1", [](qm::FilterOptions& o) { o.Space2Tab = 1; }},
    {"BM_Space2Tab3", [](qm::FilterOptions& o) { o.Space2Tab = 3; }},
    {"BM_DelDmySpc", [](qm::FilterOptions& o) { o.DelDmySpc = true; }},
    {"BM_DelConma", [](qm::FilterOptions& o) { o.DelConma = true; }},
    {"BM_UpDownCase", [](qm::FilterOptions& o) { o.UpDownCase = 1; }},
    {"BM_UserFilter100",
     [](qm::FilterOptions& o) {
         o.UseCustomFilter = true;
         o.FilterFile = HundredRules().Path();
     }},
    {"BM_URLHelper", [](qm::FilterOptions& o) { o.URLHelper = true; }},
    {"BM_RemoveIme", [](qm::FilterOptions& o) { o.RemoveIme = true; }},
    {"BM_EnterDeleteMode", [](qm::FilterOptions& o) { o.EnterDeleteMode = 1; }},
};
const bool kStepsRegistered = [] {
    for (const auto& step : kSteps) {
        benchmark::RegisterBenchmark(step.name, [set = step.set](benchmark::State& state) {
            qm::FilterOptions o;
            set(o);
            Run(state, Corpus(), o);
        })->Unit(benchmark::kMillisecond);
    }
    return true;
}();

// A filter file of `count` rules over the first `bytes` of the text (all of it when
// it is shorter, up to its last line break), file reading included.
void UserFilterOver(benchmark::State& state, std::size_t bytes, int count, unsigned seed) {
    std::string text = Corpus().substr(0, bytes);
    text.resize(text.rfind('\n') + 1);
    const RulesFile rules("qm-bench-" + std::to_string(count) + "-rules.txt",
                          MakeRules(text, count, seed));
    std::string out;
    for (auto _ : state)
        benchmark::DoNotOptimize(qm::ApplyUserFilter(text, rules.Path(), out));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(text.size()));
}
void BM_UserFilter1000RulesOver1MB(benchmark::State& state) {
    UserFilterOver(state, 1000000, 1000, 2);
}
void BM_UserFilter10000RulesOver10MB(benchmark::State& state) {
    UserFilterOver(state, 10000000, 10000, 3);
}
BENCHMARK(BM_UserFilter1000RulesOver1MB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UserFilter10000RulesOver10MB)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
