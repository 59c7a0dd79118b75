#include "engine/Pipeline.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <vector>

#include "engine/Address.h"
#include "engine/LineList.h"
#include "engine/LineSteps.h"
#include "engine/Sjis.h"
#include "engine/UserFilter.h"
#include "engine/WidthKana.h"
#include "engine/tests/FilterReference.h"
#include "engine/tests/RandomText.h"

namespace qm {
namespace {

std::string Filter(std::string_view text, FilterOptions options = {}) {
    return FilterText(text, options);
}

TEST(FilterText, InitialOptionsMakeEveryBreakCrLf) {
    EXPECT_EQ(Filter("a\nb"), "a\r\nb");
    EXPECT_EQ(Filter("a\rb\r\nc"), "a\r\nb\r\nc");
    EXPECT_EQ(Filter(""), "");
}

TEST(FilterText, FinalBreakSurvivesOnlyAsCrLf) {
    EXPECT_EQ(Filter("abc\r\n"), "abc\r\n");
    EXPECT_EQ(Filter("abc\n"), "abc");
    EXPECT_EQ(Filter("abc\r"), "abc");
    EXPECT_EQ(Filter("abc"), "abc");
    EXPECT_EQ(Filter("abc\r\n\r\n"), "abc\r\n\r\n");
    EXPECT_EQ(Filter("\r\n"), "\r\n");
    EXPECT_EQ(Filter("\n"), "");
}

TEST(FilterText, LfCrMakesAnEmptyLine) {
    EXPECT_EQ(Filter("a\n\rb"), "a\r\n\r\nb");
}

TEST(FilterText, TextEndsAtItsFirstNul) {
    EXPECT_EQ(Filter(std::string("ab\0cd", 5)), "ab");
    EXPECT_EQ(Filter(std::string("ab\0c\r\n", 6)), "ab");
}

// The NUL is looked for a piece at a time: one in a later piece ends the text
// there, also for the final CR LF, with or without tag removal.
TEST(FilterText, NulInALaterPieceEndsTheText) {
    FilterOptions tags;
    tags.TagDelete = true;
    for (const FilterOptions& o : {FilterOptions{}, tags}) {
        for (std::size_t pieceBytes : {1, 3}) {
            EXPECT_EQ(FilterText(std::string("ab\r\ncd\r\n\0e\r\n", 11), o, pieceBytes),
                      "ab\r\ncd\r\n");
            EXPECT_EQ(FilterText(std::string("ab\r\nc\0d\r\n", 9), o, pieceBytes), "ab\r\nc");
        }
    }
}

TEST(FilterText, DelEmptyLine) {
    FilterOptions o;
    o.DelEmptyLine = true;
    EXPECT_EQ(Filter("\r\n\n\r\n", o), "");
    EXPECT_EQ(Filter("a\r\n\r\n\r\nb\r\n", o), "a\r\nb\r\n");
    EXPECT_EQ(Filter("\r\na", o), "a");
}

TEST(FilterText, UnknownRadioValuesSkipTheirSteps) {
    FilterOptions o;
    o.NumberMode = 7;
    o.KanaMode2 = -1;
    o.Space2Tab = 4;
    o.EnterDeleteMode = 2;
    EXPECT_EQ(Filter("a 1\nb", o), "a 1\r\nb");
}

class RulesFile {
  public:
    explicit RulesFile(std::string_view rules)
        : path_(std::filesystem::temp_directory_path() /
                ("qm-pipeline-rules-" +
                 std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + ".txt")) {
        std::ofstream(path_, std::ios::binary) << rules;
    }
    ~RulesFile() {
        std::error_code ignored;
        std::filesystem::remove(path_, ignored);
    }
    std::string Path() const { return path_.string(); }

  private:
    std::filesystem::path path_;
};

TEST(FilterText, TagsSpanPieces) {
    FilterOptions o;
    o.TagDelete = true;
    // A tag over three lines, a "<" that nothing closes, and a ">" before any "<".
    for (std::size_t pieceBytes : {1, 4, 1000}) {
        EXPECT_EQ(FilterText("a<b\r\nc\r\nd>e\r\n<f>", o, pieceBytes), "ae\r\n");
        EXPECT_EQ(FilterText("<p>a\r\nb<c\r\nd\r\n", o, pieceBytes), "a\r\nb<c\r\nd\r\n");
        EXPECT_EQ(FilterText("a>\r\n<b>\r\n", o, pieceBytes), "a>\r\n<b>\r\n");
        EXPECT_EQ(FilterText("<a\r\n<b>c>\r\n", o, pieceBytes), "c>\r\n");
    }
}

TEST(FilterText, JoinedLinesKeepTheIndentOfALineThatBeginsAPiece) {
    FilterOptions o;
    o.EnterDeleteMode = 1;
    for (std::size_t pieceBytes : {1, 1000}) {
        // "a" and a Japanese full stop, then an indented line: the break stays
        EXPECT_EQ(FilterText("a\x81\x42\r\n  b\r\n", o, pieceBytes), "a\x81\x42\r\n  b\r\n");
        // the line after an empty one joins, and the last break is kept
        EXPECT_EQ(FilterText("a\r\n\r\n  b\r\nc\r\n\r\n", o, pieceBytes), "a  bc\r\n");
    }
}

// The reference walks the same table of steps, so it cannot see a row out of place:
// the rows follow the options, which are listed in the order of the steps.
TEST(FilterSteps, EachRowIsTurnedOnByOneOptionInTheOptionsOrder) {
    const auto fields = FilterOptionFields();
    std::size_t lastField = 0;
    for (const FilterStep& step : FilterSteps()) {
        std::vector<std::size_t> by;
        for (std::size_t f = 0; f < fields.size(); ++f) {
            for (int item = 1; item < std::max(fields[f].items, 2); ++item) {
                FilterOptions o;
                if (fields[f].check) o.*fields[f].check = true;
                if (fields[f].radio) o.*fields[f].radio = item;
                if ((fields[f].check || fields[f].radio) && step.enabled(o)) by.push_back(f);
            }
        }
        ASSERT_FALSE(by.empty());
        EXPECT_EQ(by.front(), by.back()) << fields[by.front()].name;
        EXPECT_GE(by.front(), lastField) << fields[by.front()].name;
        lastField = by.front();
    }
}

TEST(FilterText, AllStepsAgreeWithTheirPlainFormsOneAfterTheOther) {
    // Rules that meet what the width and kana steps make, and one that puts a
    // character the kana steps look at behind a lead byte.
    const RulesFile rules(
        "1\tone\r\n"
        "\xB1\t\x82\xA0\r\n"                // half-width a to hiragana a
        "a,\t\x81\x43\x81\x5B\r\n"          // to full-width comma and long mark
        "x\t\x81\r\n"                       // a lone lead byte
        "\x81\x42\t\x81\x42\x82\xA0\r\n");  // ideographic full stop to ideographic full stop and
                                            // hiragana a
    const auto pieces = testing::WithPieces({
        "\x82\x4F",  // full-width digit zero
        "\x82\x60",  // full-width capital a
        "\x82\x81",  // full-width small a
        "\x81\x43",  // full-width comma
        "\x81\x44",  // full-width full stop
        "\x81\x41",  // ideographic comma
        "\x81\x69",  // full-width left parenthesis
        "\x81\x6A",  // full-width right parenthesis
        "\x81\x5B",  // long vowel mark
        "\x81\x97",  // full-width commercial at
        "\x83\x4B",  // katakana ga
        "\x83\x70",  // katakana pa
        "\x82\xAA",  // hiragana ga
        "\x83\x94",  // katakana vu
        "\xB6", "\xDE", "\xDF", "\xA4", "0", "1", "(", ")", "a,", "x", "www.", "htp://", "/ime.nu/",
        "<li>", "\x87\x54",          // roman numeral
                                     // one
        "\x82", "\x83", "\x82\xF2",  // an undefined code read as kana
    });
    std::mt19937 rng(15);
    std::bernoulli_distribution on(0.5);
    // Mostly the values the steps know, sometimes one they do not.
    auto radio = [&](int items) {
        return std::uniform_int_distribution<int>(0, items + 1)(rng) - (on(rng) ? 0 : 1);
    };
    for (int round = 0; round < 3000; ++round) {
        FilterOptions o;
        o.DelEmptyLine = on(rng);
        o.NumberMode = radio(3);
        o.AlphabetMode = radio(3);
        o.PunctuationMode = radio(3);
        o.PeriodMode = radio(3);
        o.SignMode = radio(3);
        o.SpaceMode = radio(3);
        o.ParenthesisMode = radio(3);
        o.KanaMode1 = radio(3);
        o.KanaMode2 = radio(4);
        o.ReturnMode = radio(2);
        o.TagDelete = on(rng);
        o.RepAmp = on(rng);
        o.RepLG = on(rng);
        o.RepQuot = on(rng);
        o.RepNumber = on(rng);
        o.AddLI = on(rng);
        o.Space2Tab = radio(4);
        o.DelDmySpc = on(rng);
        o.DelConma = on(rng);
        o.UpDownCase = radio(3);
        o.UseCustomFilter = on(rng);
        o.FilterFile = rules.Path();
        o.URLHelper = on(rng);
        o.RemoveIme = on(rng);
        o.EnterDeleteMode = radio(2);
        const std::string text = testing::RandomText(rng, pieces, 40);
        const std::string want = testing::FilterReference(text, o);
        ASSERT_EQ(FilterText(text, o), want)
            << ::testing::PrintToString(text) << " round " << round;
        // A line at a time, and pieces that end within tags and addresses.
        for (std::size_t pieceBytes : {1, 7}) {
            ASSERT_EQ(FilterText(text, o, pieceBytes), want)
                << ::testing::PrintToString(text) << " round " << round << " pieces of "
                << pieceBytes;
        }
    }
}

}  // namespace
}  // namespace qm
