// Width and kana steps against plain references built from the conversion tables as
// written down: every byte and every two-byte code goes through every step, alone
// and behind a lead byte, then random mixed texts do.
#include "engine/WidthKana.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <initializer_list>
#include <iterator>
#include <map>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "engine/Pipeline.h"
#include "engine/Sjis.h"
#include "engine/tests/Hex.h"
#include "engine/tests/PlainForms.h"
#include "engine/tests/RandomText.h"
#include "engine/tests/VectorLevels.h"
#include "engine/tests/WidthKanaReference.h"

namespace qm {
namespace {

using namespace testing;

bool Check(const WidthKanaStep& step, const std::string& text) {
    const std::string got = step.run(text);
    if (got == step.reference(text)) return true;
    if (step.alternative && got == step.alternative(text)) return true;
    ADD_FAILURE() << step.name << " on " << Hex(text) << "gives " << Hex(got) << "want "
                  << Hex(step.reference(text));
    return false;
}

TEST(WidthKana, EveryByteAndTwoByteCodeAgreesWithTheTables) {
    // Behind a lead byte the first byte of the pair is a trail byte and must not be
    // converted. Before the prolonged sound mark the pair decides whether the mark is
    // taken for kana punctuation, which only the half-width kana steps look at.
    const char* const around[][2] = {{"", ""}, {"\x81", ""}, {"", "\x81\x5B"}};
    for (const WidthKanaStep& step : WidthKanaSteps()) {
        int failures = 0;
        for (const auto& [before, after] : around) {
            if (*after && !step.punctuationPass) continue;
            for (unsigned x = 0; x < 256 && failures < 10; ++x) {
                for (unsigned y = 0; y < 256 && failures < 10; ++y) {
                    const std::string pair{static_cast<char>(x), static_cast<char>(y)};
                    failures += !Check(step, before + pair + after);
                }
            }
        }
    }
}

TEST(WidthKana, RandomTextsAgreeWithTheTables) {
    // Bytes that open characters, that look like converted characters as second
    // bytes, half-width kana and marks, and plain ASCII.
    const unsigned char interesting[] = {
        0x81, 0x82, 0x83, 0x95, 0xE0, 0xFC, 0x80, 0xFD, 0xA0, 0x40, 0x41, 0x42, 0x43, 0x44, 0x45,
        0x4F, 0x58, 0x5B, 0x5C, 0x60, 0x69, 0x6A, 0x8D, 0x9A, 0xA1, 0xA5, 0xB0, 0xB3, 0xB6, 0xCA,
        0xDD, 0xDE, 0xDF, '\r', '\n', ' ',  '(',  ')',  '0',  '9',  'a',  'Z',  '"'};
    std::mt19937 random(20040101);
    const std::vector<WidthKanaStep> steps = WidthKanaSteps();
    for (int n = 0; n < 4000; ++n) {
        std::string text(random() % (n < 3990 ? 48 : 4000), '\0');
        for (char& c : text) {
            c = static_cast<char>(random() % 2 ? random() % 256
                                               : interesting[random() % sizeof interesting]);
        }
        for (const WidthKanaStep& step : steps)
            Check(step, text);
    }
}

// Long texts of whole characters and stray lead bytes: most blocks have nothing to
// convert and are passed over, and the walk must pick up the character boundaries
// after them, whatever the parity of the lead-byte run it resumes in. Blocks full of
// kana and Latin letters go through the vector kernels whole. Every vector level
// this processor has.
TEST(WidthKana, LongMixedTextsAgreeWithTheTablesAtEveryVectorLevel) {
    const char* const pieces[] = {
        "\x88\x9F",  // kanji a: both bytes open characters
        "\x9F\xE0",  // kanji yuu, likewise
        "\x82\xA0",  // hiragana a
        "\x83\x41",  // katakana a
        "\x95\x5C",  // kanji hyou
        "\x81\x81",  // full-width equals sign
        "\x81\x43",  // full-width comma
        "\x81\x5B",  // long vowel mark
        "\x82\x4F",  // full-width digit zero
        "\x82\x60",  // full-width capital a
        "\x81",
        "\x82",
        "\xE0",
        "\xFC",
        "\x80",  // stray lead bytes
        "\xB1",
        "\xB6",
        "\xCA",
        "\xDE",
        "\xDF",
        "\xA1",  // half-width a, ka, ha, voiced and semi-voiced marks, full stop
        "a",
        "Z",
        "0",
        "(",
        "\"",
        "\\",
        " ",
        "\r\n",
        // a Japanese sentence (nihongo no bunshou desu) and plain English, to fill blocks
        "\x93\xFA\x96\x7B\x8C\xEA\x82\xCC\x95\xB6\x8F\xCD\x82\xC5\x82\xB7\x81\x42",
        "\x8A\xBF\x8E\x9A\x8A\xBF\x8E\x9A\x8A\xBF\x8E\x9A\x8A\xBF\x8E\x9A",  // kanji kanji kanji
                                                                             // kanji
        "plain words fill this line without anything to convert ",
        // hiragana a i u e o and katakana ka ga, many in a block
        "\x82\xA0\x82\xA2\x82\xA4\x82\xA6\x82\xA8\x83\x4A\x83\x4B",
    };
    constexpr std::size_t kFillers = 4;
    const std::vector<WidthKanaStep> steps = WidthKanaSteps();
    for (const VectorLevel level : AvailableVectorLevels()) {
        const ForceVectorLevel force(level);
        SCOPED_TRACE(LevelName(level));
        std::mt19937 random(19980614);
        for (int n = 0; n < 300; ++n) {
            std::string text;
            const std::size_t length = random() % 3000;
            while (text.size() < length) {
                // Mostly filler, so that whole blocks go by unchanged.
                const std::size_t count = std::size(pieces);
                text += random() % 4 ? pieces[count - 1 - random() % kFillers]
                                     : pieces[random() % (count - kFillers)];
            }
            for (const WidthKanaStep& step : steps)
                Check(step, text);
        }
    }
}

TEST(WidthKana, DigitsAndLetters) {
    EXPECT_EQ(ConvertDigits("\x82\x51\x82\x4F\x82\x4F\x82\x53\x94\x4E", 1),
              "2004\x94\x4E");  // full-width 2004 and nen (year) to 2004 and nen (year)
    EXPECT_EQ(ConvertDigits("2004", 2), "\x82\x51\x82\x4F\x82\x4F\x82\x53");
    EXPECT_EQ(ConvertLetters("Qm", 2),
              "\x82\x70\x82\x8D");  // full-width capital q, full-width small m
    EXPECT_EQ(ConvertLetters("\x82\x70\x82\x8D", 1), "Qm");
}

TEST(WidthKana, SecondBytesAreNeverConverted) {
    EXPECT_EQ(ConvertSymbols("\x95\x5C", 2), "\x95\x5C");  // kanji hyou keeps its 0x5C
    EXPECT_EQ(ConvertSymbols("\\", 2), "\x81\x8F");        // full-width yen sign
    // 81 82 is one character (division sign); the 82 4F behind its lead is no full-width digit
    // zero.
    EXPECT_EQ(ConvertDigits("\x81\x82\x4F", 1), "\x81\x82\x4F");
    EXPECT_EQ(ConvertDigits("a\x82", 1), "a\x82");
}

TEST(WidthKana, HalfWidthKatakanaIsNeverALeadByte) {
    EXPECT_EQ(ConvertSymbols("\xB1\x5C", 2), "\xB1\x81\x8F");  // half-width a and full-width yen
    EXPECT_EQ(ConvertDigits("\xA1\x82\x4F", 1),
              "\xA1"
              "0");  // half-width full stop and full-width 0 to half-width full stop and 0
}

TEST(WidthKana, SymbolDirectionsAreNotMirrorImages) {
    EXPECT_EQ(ConvertSymbols("\x81\x67\x61\x81\x68", 1), "\"a\"");  // a in curly quotes
    EXPECT_EQ(ConvertSymbols("\"a\"", 2), "\x81\x8D\x61\x81\x8D");  // a in double primes
    EXPECT_EQ(ConvertSymbols("\x81\x60\x81\x51", 1),
              "\x81\x60\x81\x51");  // wave dash and full-width low line
    EXPECT_EQ(ConvertSymbols(" _`~", 2), " _`~");
}

TEST(WidthKana, BlanksAndBrackets) {
    EXPECT_EQ(ConvertBlanks("a b c", 2),
              "a\x81\x40"
              "b\x81\x40"
              "c");
    EXPECT_EQ(ConvertParentheses("\x81\x69x\x81\x6A", 1), "(x)");
    EXPECT_EQ(ConvertParentheses("(x)", 2), "\x81\x69x\x81\x6A");
}

TEST(HalfWidthKana, PunctuationFollowsOnlyHalfWidthKana) {
    EXPECT_EQ(ConvertHiragana("\x82\xA0\x82\xA2\x82\xA4\x81\x42", 1),
              "\xB1\xB2\xB3\xA1");  // hiragana a i u and a full stop
    EXPECT_EQ(ConvertHiragana("\x8A\xBF\x8E\x9A\x81\x42", 1),
              "\x8A\xBF\x8E\x9A\x81\x42");  // kanji (the word) and a full stop
    EXPECT_EQ(ConvertKatakana("\x83\x52\x81\x5B\x83\x71\x81\x5B", 1),
              "\xBA\xB0\xCB\xB0");                          // katakana koohii
    EXPECT_EQ(ConvertKatakana("\x83\x4B", 1), "\xB6\xDE");  // katakana ga
    // The flag survives a replaced mark: half-width ka and two full-width long marks becomes
    // half-width ka and two half-width long marks.
    EXPECT_EQ(HalfWidthKana("\xB6\x81\x5B\x81\x5B", KanaRowKatakana), "\xB6\xB0\xB0");
}

// The pass finds characters by the wide lead range: 0x80 takes the half-width a behind it, so
// nothing half-width precedes the full stop.
// A long text goes in pieces that end after line feeds: kana, punctuation and lead
// bytes right before and after every piece's end.
TEST(KanaSteps, LongTextsInPiecesAgreeWithTheWholeTextPass) {
    const std::vector<std::string_view> pieces = {
        "\x82\xA0", "\x83\x41", "\x81\x42",
        "\x81\x5B",  // hiragana a, katakana a, full stop, long vowel
        "\xB1",     "\x81",     "\n",       "\r\n", "a"};  // half-width a, a lead byte, line breaks
    std::mt19937 random(11);
    std::string text;
    while (text.size() < 1200 * 1024)
        text += RandomText(random, pieces, 64);
    // Too long for the whole texts in a message: where they part.
    const auto expectSame = [](const std::string& got, const std::string& want, const char* what) {
        const auto [g, w] = std::mismatch(got.begin(), got.end(), want.begin(), want.end());
        EXPECT_TRUE(g == got.end() && w == want.end())
            << what << ": from byte " << (g - got.begin()) << " of " << got.size() << " against "
            << want.size();
    };
    expectSame(HalfWidthKana(text, KanaRowHiragana), HalfWidthKanaReference(text, KanaRowHiragana),
               "hiragana");
    expectSame(HalfWidthKana(text, KanaRowKatakana), HalfWidthKanaReference(text, KanaRowKatakana),
               "katakana");
    // Katakana to hiragana widens, then maps the text up to its first NUL: here in a
    // later piece, right after a half-width kana.
    std::string withNul = text;
    withNul.insert(900 * 1024, "\xB1\0\xB1", 3);  // half-width a, NUL, half-width a
    for (const WidthKanaStep& step : WidthKanaSteps()) {
        if (step.name != "KanaMode2 3") continue;
        for (const std::string& t : {text, withNul}) {
            const std::string got = step.run(t);
            if (step.alternative && got == step.alternative(t)) continue;
            expectSame(got, step.reference(t), "katakana to hiragana");
        }
    }
}

TEST(HalfWidthKana, PunctuationPassReadsTheWideLeadRange) {
    EXPECT_EQ(HalfWidthKana("\x80\xB1\x81\x42", KanaRowKatakana), "\x80\xB1\x81\x42");
    EXPECT_EQ(HalfWidthKana("\xA0\xB1\x81\x42", KanaRowKatakana), "\xA0\xB1\xA1");
}

// Blocks full of half-width kana are widened whole at AVX2, and a mark right after a
// block's last letter goes with it into the block before.
TEST(FullWidthKana, DenseKanaAgreeAcrossBlocksAtEveryVectorLevel) {
    const std::vector<std::string_view> pieces = {
        "\xB6", "\xCA", "\xB3",
        "\xA1", "\xB0", "\xDD",  // half-width ka ha u full stop long vowel n
        "\xDE", "\xDF",          // voiced and semi-voiced marks
        "\x83", "a"};            // a lead byte that takes a kana, ASCII
    std::vector<WidthKanaStep> steps;
    for (const WidthKanaStep& step : WidthKanaSteps()) {
        if (step.name.starts_with("KanaMode2 2") || step.name.starts_with("KanaMode2 3"))
            steps.push_back(step);
    }
    for (const VectorLevel level : AvailableVectorLevels()) {
        const ForceVectorLevel force(level);
        SCOPED_TRACE(LevelName(level));
        std::mt19937 random(5);
        for (int round = 0; round < 300; ++round) {
            const std::string text = RandomText(random, pieces, 600);
            for (const WidthKanaStep& step : steps)
                Check(step, text);
        }
    }
}

TEST(FullWidthKana, MarksJoinTheirLetters) {
    EXPECT_EQ(
        FullWidthKana("\xB6\xDE\xB7\xDF"),
        "\x83\x4B\x83\x4C");  // half-width ka, voiced mark, ki, semi-voiced mark to katakana ga ki
    EXPECT_EQ(FullWidthKana("\xDE"), "\xDE");
    EXPECT_EQ(FullWidthKana("\xDF\xDE"), "\xDF\xDE");
    EXPECT_EQ(FullWidthKana("\xB3\xDE"),
              "\x83\x94");  // half-width u and voiced mark to katakana vu
    EXPECT_EQ(
        FullWidthKana("\xCE\xDF\xB1\xDE"),
        "\x83\x7C\x83\x41");  // half-width ho, semi-voiced mark, a, voiced mark to katakana po a
    EXPECT_EQ(
        FullWidthKana("\xA1\xA2\xA3\xA4\xA5"),
        "\x81\x42\x81\x75\x81\x76\x81\x41\x81\x45");   // ideographic full stop, corner brackets,
                                                       // ideographic comma, middle dot
    EXPECT_EQ(FullWidthKana("\x83\xB1"), "\x83\xB1");  // a lead byte takes the half-width a with it
}

TEST(KanaMaps, LocaleMappingSteps) {
    // hiragana hiragana and half-width a to katakana hiragana and half-width a: half-width katakana
    // stays half-width.
    EXPECT_EQ(ConvertHiragana("\x82\xD0\x82\xE7\x82\xAA\x82\xC8\xB1", 2),
              "\x83\x71\x83\x89\x83\x4B\x83\x69\xB1");
    // half-width katakana koohii to hiragana koohii: long vowel mark has no hiragana and stays.
    EXPECT_EQ(ConvertKatakana("\xBA\xB0\xCB\xB0", 3), "\x82\xB1\x81\x5B\x82\xD0\x81\x5B");
    // katakana small ka and small ke have no hiragana in the code page: the platform keeps them or
    // gives "?".
    const std::string smallKaKe = ConvertKatakana("\x83\x95\x83\x96", 3);
    EXPECT_TRUE(smallKaKe == "\x83\x95\x83\x96" || smallKaKe == "??") << Hex(smallKaKe);
}

TEST(WidthKana, UnknownModesLeaveTheTextAlone) {
    const std::string text = "\x82\x4F 0 a \x81\x43,\x81\x41\x82\xA0\xB1\xDE(\x81\x69";
    for (int m : {0, -1, 4, 99}) {
        using PlainStep = std::string (*)(std::string_view, int);
        for (PlainStep f : std::initializer_list<PlainStep>{
                 ConvertDigits, ConvertLetters, ConvertCommas, ConvertFullStops, ConvertSymbols,
                 ConvertBlanks, ConvertParentheses, ConvertHiragana, ConvertKatakana}) {
            EXPECT_EQ(f(text, m), text);
        }
    }
    EXPECT_EQ(ConvertHiragana(text, 3), text);
}

// The initial options with some radio groups set.
FilterOptions Radios(std::initializer_list<std::pair<int FilterOptions::*, int>> values) {
    FilterOptions o;
    for (const auto& [field, value] : values)
        o.*field = value;
    return o;
}

TEST(FilterTextWidthKana, StepsRunInTheirFixedOrder) {
    using O = FilterOptions;
    // Commas come before symbols: a half-width comma ends up as the full-width one.
    EXPECT_EQ(FilterText(",", Radios({{&O::PunctuationMode, 1}, {&O::SignMode, 2}})), "\x81\x43");
    // Full stops come before hiragana: the stop turned "full-width full stop" follows half-width a
    // and narrows.
    EXPECT_EQ(FilterText("\x82\xA0\x81\x42", Radios({{&O::PeriodMode, 2}, {&O::KanaMode1, 1}})),
              "\xB1.");
    // Hiragana to half-width, then half-width to full-width katakana: hiragana gakkou to katakana
    // gakkou.
    EXPECT_EQ(FilterText("\x82\xAA\x82\xC1\x82\xB1\x82\xA4\r\n",
                         Radios({{&O::KanaMode1, 1}, {&O::KanaMode2, 2}})),
              "\x83\x4B\x83\x62\x83\x52\x83\x45\r\n");
    // Brackets after symbols: "(" widened by step 6 is narrowed again by step 8.
    EXPECT_EQ(FilterText("(a)", Radios({{&O::SignMode, 2}, {&O::ParenthesisMode, 1}})), "(a)");
}

TEST(FilterTextWidthKana, EveryLineIsConverted) {
    // full-width 2004 and nen (year) and full-width digit one on two lines
    EXPECT_EQ(FilterText("\x82\x51\x82\x4F\x82\x4F\x82\x53\x94\x4E\n\x82\x50",
                         Radios({{&FilterOptions::NumberMode, 1}})),
              "2004\x94\x4E\r\n1");
    EXPECT_EQ(FilterText("a b\nc d\n", Radios({{&FilterOptions::SpaceMode, 2}})),
              "a\x81\x40"
              "b\r\nc\x81\x40"
              "d");
}

}  // namespace
}  // namespace qm
