// In-process throughput of each width and kana step on the Japanese corpus made by
// bench/make-corpus.sh (QM_CORPUS names the file; a small built-in text otherwise).
// The steps run on the text as it is; FullWidthKana runs a second time on the
// corpus with all its kana made half-width, where nearly every byte is converted.
// Each step writes into one output buffer kept from run to run, as in the
// pipeline: a fresh string per run would measure the first touch of its pages.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "engine/WidthKana.h"

namespace {

const std::string& Corpus() {
    static const std::string text = [] {
        if (const char* path = std::getenv("QM_CORPUS")) {
            std::ifstream f(path, std::ios::binary);
            std::ostringstream s;
            s << f.rdbuf();
            if (!s.str().empty()) return s.str();
        }
        std::string t;
        // Nihongo no tekisuto. (kanji, hiragana, katakana, a full stop), ASCII, digits
        for (int i = 0; i < 200000; ++i) {
            t += "\x93\xFA\x96\x7B\x8C\xEA\x82\xCC\x83\x65\x83\x4C\x83\x58\x83\x67\x81\x42 abc "
                 "(123), \x82\x50\x82\x51\x81\x40\x82\x60\r\n";
        }
        return t;
    }();
    return text;
}

const std::string& HalfWidthCorpus() {
    static const std::string text = [] {
        std::string half, out;
        if (!qm::ConvertHiragana(Corpus(), 1, half)) half = Corpus();
        return qm::ConvertKatakana(half, 1, out) ? out : half;
    }();
    return text;
}

template <typename Step>
void Run(benchmark::State& state, const std::string& text, Step step) {
    std::string out;
    out.reserve(text.size() * 2);
    for (auto _ : state) {
        benchmark::DoNotOptimize(step(text, out));
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(text.size()));
}

void Register(const char* name, bool (*step)(std::string_view, int, std::string&), int mode) {
    benchmark::RegisterBenchmark(name, [step, mode](benchmark::State& state) {
        Run(state, Corpus(),
            [&](const std::string& t, std::string& out) { return step(t, mode, out); });
    })->Unit(benchmark::kMillisecond);
}

}  // namespace

int main(int argc, char** argv) {
    Register("NumberMode1", qm::ConvertDigits, 1);
    Register("NumberMode2", qm::ConvertDigits, 2);
    Register("AlphabetMode1", qm::ConvertLetters, 1);
    Register("AlphabetMode2", qm::ConvertLetters, 2);
    Register("PunctuationMode1", qm::ConvertCommas, 1);
    Register("PunctuationMode2", qm::ConvertCommas, 2);
    Register("PeriodMode1", qm::ConvertFullStops, 1);
    Register("PeriodMode2", qm::ConvertFullStops, 2);
    Register("SignMode1", qm::ConvertSymbols, 1);
    Register("SignMode2", qm::ConvertSymbols, 2);
    Register("SpaceMode1", qm::ConvertBlanks, 1);
    Register("SpaceMode2", qm::ConvertBlanks, 2);
    Register("ParenthesisMode1", qm::ConvertParentheses, 1);
    Register("ParenthesisMode2", qm::ConvertParentheses, 2);
    Register("KanaMode1_1_HalfWidthKana", qm::ConvertHiragana, 1);
    Register("KanaMode1_2_Katakana", qm::ConvertHiragana, 2);
    Register("KanaMode2_1_HalfWidthKana", qm::ConvertKatakana, 1);
    Register("KanaMode2_2_FullWidthKana", qm::ConvertKatakana, 2);
    Register("KanaMode2_3_Hiragana", qm::ConvertKatakana, 3);
    // The floor under every step: a plain copy of the text into the kept buffer. Its
    // growth from 8 MB to 80 MB is the machine's, the caches' and the memory's.
    benchmark::RegisterBenchmark("PlainCopy", [](benchmark::State& state) {
        Run(state, Corpus(), [](const std::string& t, std::string& out) {
            out.assign(t);
            return true;
        });
    })->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("FullWidthKana_OnHalfWidthCorpus", [](benchmark::State& state) {
        Run(state, HalfWidthCorpus(), qm::FullWidthKana);
    })->Unit(benchmark::kMillisecond);

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
