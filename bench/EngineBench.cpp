// In-process throughput of the pipeline on the Japanese corpus made by
// bench/make-corpus.sh (QM_CORPUS names the file; a small built-in text otherwise).
#include <benchmark/benchmark.h>

#include <string>

#include "base/LargePages.h"
#include "bench/Corpus.h"
#include "engine/FilterOptions.h"
#include "engine/Pipeline.h"

namespace {

const std::string& Corpus() {
    // Japanese text (nihongo no tekisuto) with a full stop with ASCII and blank lines, repeated
    static const std::string text = qm::bench::CorpusOr(
        "\x93\xFA\x96\x7B\x8C\xEA\x82\xCC\x83\x65\x83\x4C\x83\x58\x83\x67\x81\x42 abc 123\n\n",
        200000);
    return text;
}

void Run(benchmark::State& state, const qm::FilterOptions& options) {
    const std::string& text = Corpus();
    for (auto _ : state)
        benchmark::DoNotOptimize(qm::FilterText(text, options));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(text.size()));
}

void BM_FilterText_Initial(benchmark::State& state) {
    Run(state, {});
}

void BM_FilterText_DelEmptyLine(benchmark::State& state) {
    qm::FilterOptions o;
    o.DelEmptyLine = true;
    Run(state, o);
}

// Every step but the filter file's (lines_bench has that one with 100 rules): the
// walk through the table of steps, piece after piece, with all of them on.
void BM_FilterText_AllOptions(benchmark::State& state) {
    qm::FilterOptions o;
    for (const qm::FilterOptionField& f : qm::FilterOptionFields()) {
        if (f.check) o.*f.check = true;
        if (f.radio) o.*f.radio = 1;
    }
    o.UseCustomFilter = false;
    Run(state, o);
}

// The floor under the pipeline: a plain copy of the text into a fresh string, as
// the pipeline's result is. Its growth from 8 MB to 80 MB is the machine's: at 80 MB
// the allocator maps every result afresh, and its pages are cleared on first touch
// (asked for as large pages, as the pipeline asks for its result's).
void BM_PlainCopy(benchmark::State& state) {
    const std::string& text = Corpus();
    for (auto _ : state) {
        std::string copy;
        copy.reserve(text.size());
        qm::PreferLargePages(copy);
        copy.assign(text);
        benchmark::DoNotOptimize(copy.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(text.size()));
}

// Each width and kana step where it runs, in the pipeline: on pieces that stay in the
// cache. What a step costs there is its time less the initial options'.
const bool kWidthStepsRegistered = [] {
    for (const char* name :
         {"NumberMode", "AlphabetMode", "PunctuationMode", "PeriodMode", "SignMode", "SpaceMode",
          "ParenthesisMode", "KanaMode1", "KanaMode2"}) {
        const qm::FilterOptionField* field = qm::FindFilterOptionField(name);
        for (int value = 1; value <= field->items - 1; ++value) {
            const std::string label =
                "BM_InPipeline/" + std::string(name) + "=" + std::to_string(value);
            benchmark::RegisterBenchmark(label.c_str(), [field, value](benchmark::State& state) {
                qm::FilterOptions o;
                o.*field->radio = value;
                Run(state, o);
            })->Unit(benchmark::kMillisecond);
        }
    }
    return true;
}();

BENCHMARK(BM_PlainCopy)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FilterText_Initial)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FilterText_AllOptions)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FilterText_DelEmptyLine)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
