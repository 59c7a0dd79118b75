// The cost of taking UTF-8 through the code page 932 engine, next to the filtering
// itself, on the UTF-8 form of the Japanese corpus (QM_CORPUS names it; a small
// built-in text otherwise). Every figure counts the UTF-8 bytes. The argument of a
// conversion is the level of its fast path: 0 the plain loops, 1 AVX2, 2 AVX-512.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <string_view>
#include <vector>

#include "bench/Corpus.h"
#include "engine/Pipeline.h"
#include "unicode/UnicodeText.h"

namespace {

const std::string& Utf8Corpus() {
    // Japanese text (nihongo no tekisuto) with a full stop, ASCII and blank lines, repeated
    static const std::string text = qm::bench::CorpusOr(
        "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\xE3\x81\xAE\xE3\x83\x86\xE3\x82\xAD\xE3\x82"
        "\xB9\xE3\x83\x88\xE3\x80\x82 abc 123\n\n",
        200000);
    return text;
}

// The same with a foreign character after every line break, one of a thousand
// Hangul syllables in turn.
const std::string& ForeignCorpus() {
    static const std::string text = [] {
        std::string t;
        char32_t next = 0;
        for (const char c : Utf8Corpus()) {
            t += c;
            if (c != '\n') continue;
            const char32_t h = 0xAC00 + next++ % 1000;
            t += {static_cast<char>(0xE0 | h >> 12), static_cast<char>(0x80 | (h >> 6 & 0x3F)),
                  static_cast<char>(0x80 | (h & 0x3F))};
        }
        return t;
    }();
    return text;
}

void Count(benchmark::State& state, const std::string& utf8) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(utf8.size()));
}

// The level the argument names; false, and the benchmark skipped, when this
// processor has not got it.
bool LevelOf(benchmark::State& state, qm::runs::Level& level) {
    constexpr qm::runs::Level kLevels[] = {qm::runs::Level::Plain, qm::runs::Level::Avx2,
                                           qm::runs::Level::Avx512};
    level = kLevels[state.range(0)];
    if (qm::runs::Runs(level)) return true;
    state.SkipWithError("this processor has not got the level");
    return false;
}

void ToCp932(benchmark::State& state, const std::string& utf8) {
    qm::runs::Level level;
    if (!LevelOf(state, level)) return;
    for (auto _ : state)
        benchmark::DoNotOptimize(qm::Utf8ToCp932(utf8, qm::Cp932(), level));
    Count(state, utf8);
}

// Back from what the filter makes of the text with the initial options.
void ToUtf8(benchmark::State& state, const std::string& utf8) {
    qm::runs::Level level;
    if (!LevelOf(state, level)) return;
    const qm::Cp932Text in = qm::Utf8ToCp932(utf8);
    const std::string filtered = qm::FilterText(in.bytes, {});
    for (auto _ : state)
        benchmark::DoNotOptimize(qm::Cp932ToUtf8(filtered, in.standIns, qm::Cp932(), level));
    Count(state, utf8);
}

void BM_Utf8ToCp932(benchmark::State& state) {
    ToCp932(state, Utf8Corpus());
}

void BM_Cp932ToUtf8(benchmark::State& state) {
    ToUtf8(state, Utf8Corpus());
}

// The same handed on a piece at a time, as the command line writes it, at the
// best level: no big result to fault in.
void BM_Cp932ToUtf8_Pieces(benchmark::State& state) {
    const qm::Cp932Text in = qm::Utf8ToCp932(Utf8Corpus());
    const std::string filtered = qm::FilterText(in.bytes, {});
    for (auto _ : state) {
        std::size_t n = 0;
        qm::Cp932ToUtf8(filtered, in.standIns, [&n](std::string_view piece) { n += piece.size(); });
        benchmark::DoNotOptimize(n);
    }
    Count(state, Utf8Corpus());
}

// The same over a buffer given up, as the command line converts read input: the
// corpus is copied into a kept buffer outside the timing before each conversion.
void BM_Utf8ToCp932_InPlace(benchmark::State& state) {
    qm::runs::Level level;
    if (!LevelOf(state, level)) return;
    const std::string& utf8 = Utf8Corpus();
    std::string buffer = utf8;
    for (auto _ : state) {
        state.PauseTiming();
        buffer.assign(utf8);
        state.ResumeTiming();
        qm::Cp932Text text = qm::Utf8ToCp932InPlace(std::move(buffer), 0, qm::Cp932(), level);
        benchmark::DoNotOptimize(text.bytes.data());
        state.PauseTiming();
        buffer = std::move(text.bytes);
        state.ResumeTiming();
    }
    Count(state, utf8);
}

void BM_Utf8ToCp932_Foreign(benchmark::State& state) {
    ToCp932(state, ForeignCorpus());
}

void BM_Cp932ToUtf8_Foreign(benchmark::State& state) {
    ToUtf8(state, ForeignCorpus());
}

// Text with half-width katakana, as the filter makes it with KanaMode2=1 (katakana
// to half-width): code page 932 writes each in one byte, UTF-8 in three.
const qm::Cp932Text& HalfWidthKana() {
    static const qm::Cp932Text text = [] {
        qm::Cp932Text t = qm::Utf8ToCp932(Utf8Corpus());
        qm::FilterOptions options;
        options.KanaMode2 = 1;
        t.bytes = qm::FilterText(t.bytes, options);
        return t;
    }();
    return text;
}

void BM_Cp932ToUtf8_HalfWidthKana(benchmark::State& state) {
    qm::runs::Level level;
    if (!LevelOf(state, level)) return;
    const qm::Cp932Text& in = HalfWidthKana();
    for (auto _ : state)
        benchmark::DoNotOptimize(qm::Cp932ToUtf8(in.bytes, in.standIns, qm::Cp932(), level));
    Count(state, Utf8Corpus());
}

void BM_Utf8ToCp932_HalfWidthKana(benchmark::State& state) {
    static const std::string utf8 =
        qm::Cp932ToUtf8(HalfWidthKana().bytes, HalfWidthKana().standIns);
    ToCp932(state, utf8);
}

// The corpus's Japanese characters alone, with `between` before every n-th.
qm::Cp932Text JapaneseAlone(std::size_t n, std::string_view between) {
    std::string t;
    std::size_t characters = 0;
    for (const char c : Utf8Corpus()) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x80) continue;
        if ((b & 0xC0) != 0x80 && ++characters % n == 0) t += between;
        t += c;
    }
    return qm::Utf8ToCp932(t);
}

// Japanese prose, in paragraphs of 200 characters.
const qm::Cp932Text& Prose() {
    static const qm::Cp932Text text = JapaneseAlone(200, "\n");
    return text;
}

// Back to UTF-8, counting the bytes written.
void Back(benchmark::State& state, const qm::Cp932Text& in) {
    qm::runs::Level level;
    if (!LevelOf(state, level)) return;
    std::size_t bytes = 0;
    for (auto _ : state) {
        const std::string utf8 = qm::Cp932ToUtf8(in.bytes, in.standIns, qm::Cp932(), level);
        bytes = utf8.size();
        benchmark::DoNotOptimize(utf8.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}

void BM_Cp932ToUtf8_Prose(benchmark::State& state) {
    Back(state, Prose());
}

// Japanese prose with a degree sign after every 40 characters: a character of two
// bytes in UTF-8 among Japanese, as signs and Greek letters come in technical text.
const qm::Cp932Text& ProseWithSigns() {
    static const qm::Cp932Text text = JapaneseAlone(40, "\xC2\xB0");  // U+00B0
    return text;
}

void BM_Cp932ToUtf8_Signs(benchmark::State& state) {
    Back(state, ProseWithSigns());
}

// 10 MB of Cyrillic words between blanks: characters of two bytes both ways, which
// the walks to code page 932 and the AVX2 walk back do not take.
const std::string& CyrillicText() {
    static const std::string text = [] {
        std::string t;
        std::uint32_t x = 1;
        while (t.size() < 10000000) {
            x = x * 1103515245u + 12345u;
            for (unsigned i = 0; i < 3 + (x >> 16) % 7; ++i) {
                const unsigned c = 0x430 + (x >> (i + 3)) % 32;  // a..ya
                t += {static_cast<char>(0xC0 | c >> 6), static_cast<char>(0x80 | (c & 0x3F))};
            }
            t += ' ';
        }
        return t;
    }();
    return text;
}

void BM_Utf8ToCp932_Cyrillic(benchmark::State& state) {
    ToCp932(state, CyrillicText());
}

void BM_Cp932ToUtf8_Cyrillic(benchmark::State& state) {
    qm::runs::Level level;
    if (!LevelOf(state, level)) return;
    const qm::Cp932Text in = qm::Utf8ToCp932(CyrillicText());
    for (auto _ : state)
        benchmark::DoNotOptimize(qm::Cp932ToUtf8(in.bytes, in.standIns, qm::Cp932(), level));
    Count(state, CyrillicText());
}

// The filtering the conversions are measured against: FilterText with the initial
// options on the code page 932 form.
void BM_FilterText_Initial(benchmark::State& state) {
    const std::string cp932 = qm::Utf8ToCp932(Utf8Corpus()).bytes;
    for (auto _ : state)
        benchmark::DoNotOptimize(qm::FilterText(cp932, {}));
    Count(state, Utf8Corpus());
}

// Both conversions as the command line runs them, each over the filtering: the
// three are timed in turn within an iteration, so that the shared machine's swings
// of speed (a third between runs) fall on all of them alike. The counters are the
// medians over the iterations of the way there (in the input's buffer) and of the
// way back (a piece at a time), each over the filtering.
void BM_AgainstFiltering(benchmark::State& state) {
    using Clock = std::chrono::steady_clock;
    const std::string& utf8 = Utf8Corpus();
    const qm::Cp932Text in = qm::Utf8ToCp932(utf8);
    const std::string filtered = qm::FilterText(in.bytes, {});
    std::string buffer = utf8;
    std::vector<double> there, back;
    for (auto _ : state) {
        state.PauseTiming();
        buffer.assign(utf8);
        state.ResumeTiming();
        const auto start = Clock::now();
        benchmark::DoNotOptimize(qm::FilterText(in.bytes, {}));
        const auto filteredAt = Clock::now();
        qm::Cp932Text text = qm::Utf8ToCp932InPlace(std::move(buffer));
        benchmark::DoNotOptimize(text.bytes.data());
        const auto thereAt = Clock::now();
        std::size_t n = 0;
        qm::Cp932ToUtf8(filtered, in.standIns, [&n](std::string_view piece) { n += piece.size(); });
        benchmark::DoNotOptimize(n);
        const auto backAt = Clock::now();
        const std::chrono::duration<double> filtering = filteredAt - start;
        there.push_back((thereAt - filteredAt) / filtering);
        back.push_back((backAt - thereAt) / filtering);
        state.PauseTiming();
        buffer = std::move(text.bytes);
        state.ResumeTiming();
    }
    const auto median = [](std::vector<double>& v) {
        std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
        return v[v.size() / 2];
    };
    state.counters["there"] = median(there);
    state.counters["back"] = median(back);
}

BENCHMARK(BM_Utf8ToCp932)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Cp932ToUtf8)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Cp932ToUtf8_Pieces)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FilterText_Initial)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Utf8ToCp932_InPlace)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Utf8ToCp932_Foreign)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Cp932ToUtf8_Foreign)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Cp932ToUtf8_HalfWidthKana)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Utf8ToCp932_HalfWidthKana)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Cp932ToUtf8_Prose)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Cp932ToUtf8_Signs)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Utf8ToCp932_Cyrillic)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Cp932ToUtf8_Cyrillic)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AgainstFiltering)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
