#include "engine/LineList.h"

#include <gtest/gtest.h>

#include <random>

#include "engine/tests/LineListReference.h"
#include "engine/tests/VectorLevels.h"

namespace qm {
namespace {

using namespace testing;

using Lines = std::vector<std::string>;

TEST(LineList, LoadsByThePipelineRule) {
    EXPECT_EQ(LineList("").Lines(), Lines{});
    EXPECT_EQ(LineList("a").Lines(), Lines{"a"});
    EXPECT_EQ(LineList("a\r\n").Lines(), Lines{"a"});
    EXPECT_EQ(LineList("a\r\nb\rc\nd").Lines(), (Lines{"a", "b", "c", "d"}));
    EXPECT_EQ(LineList("a\n\rb").Lines(), (Lines{"a", "", "b"}));
    EXPECT_EQ(LineList("\r\n\r\n").Lines(), (Lines{"", ""}));
    EXPECT_EQ(LineList(std::string("ab\0c\r\nd", 7)).Lines(), Lines{"ab"});
    EXPECT_EQ(LineList("a\n").Text(), "a\r\n");
    EXPECT_EQ(LineList("a").Text(), "a\r\n");
}

TEST(LineList, TextFormIsRecognised) {
    EXPECT_TRUE(IsTextForm(""));
    EXPECT_TRUE(IsTextForm("a\r\n\r\n"));
    EXPECT_FALSE(IsTextForm("a"));
    EXPECT_FALSE(IsTextForm("a\n"));
    EXPECT_FALSE(IsTextForm("a\rb\r\n"));
    EXPECT_FALSE(IsTextForm("a\nb\r\n"));
    EXPECT_FALSE(IsTextForm(std::string("a\0\r\n", 4)));
    EXPECT_FALSE(IsTextForm("\n\r\n"));
}

TEST(LineList, AgreesWithThePlainSplitOverRandomTexts) {
    std::mt19937 rng(3);
    const char alphabet[] = {'a', '\r', '\n', '\0', '\x82', 'b'};
    for (int round = 0; round < 5000; ++round) {
        std::string s(rng() % 12, ' ');
        for (char& c : s)
            c = alphabet[rng() % sizeof alphabet];
        const auto expected = SplitReference(s);
        LineList fromView(std::string_view{s});
        ASSERT_EQ(fromView.Lines(), expected);
        ASSERT_EQ(fromView.Text(), JoinReference(expected));
        LineList fromString(std::string{s});
        ASSERT_EQ(fromString.Text(), JoinReference(expected));
        ASSERT_EQ(fromView.Count(), expected.size());
    }
}

// Texts of many blocks with breaks of every kind, CR LF split between blocks among
// them, loaded at every vector level and appended after other text.
TEST(LineList, LongTextsLoadAsThePlainSplitAtEveryVectorLevel) {
    const char alphabet[] = {'a', '\r', '\n', '\x82', 'b', 'c', 'd', 'e', 'f'};
    for (const VectorLevel level : AvailableVectorLevels()) {
        const ForceVectorLevel force(level);
        std::mt19937 rng(5);
        for (int round = 0; round < 2000; ++round) {
            std::string s(rng() % 700, ' ');
            for (char& c : s)
                c = alphabet[rng() % (round % 2 ? 3 : sizeof alphabet)];
            if (round % 50 == 0 && !s.empty()) s[rng() % s.size()] = '\0';
            std::string appended = "x", want = "x";
            AppendTextForm(s, appended);
            want += JoinReference(SplitReference(s));
            ASSERT_EQ(appended, want) << LevelName(level) << " " << ::testing::PrintToString(s);
        }
    }
}

TEST(LineList, DeletesEmptyLines) {
    LineList lines("\r\na\r\n\r\n\r\nb\r\n\r\n");
    lines.DeleteEmptyLines();
    EXPECT_EQ(lines.Text(), "a\r\nb\r\n");
    LineList onlyBreaks("\r\n\n\r");
    onlyBreaks.DeleteEmptyLines();
    EXPECT_EQ(onlyBreaks.Text(), "");
}

TEST(LineList, DeletesEmptyLinesOverRandomTexts) {
    std::mt19937 rng(4);
    const char alphabet[] = {'a', '\r', '\n', '\x82', 'b', 'c', 'd'};
    for (int round = 0; round < 2000; ++round) {
        std::string s(rng() % 300, ' ');
        for (char& c : s)
            c = alphabet[rng() % sizeof alphabet];
        Lines expected;
        for (const std::string& line : SplitReference(s)) {
            if (!line.empty()) expected.push_back(line);
        }
        LineList lines(s);
        lines.DeleteEmptyLines();
        ASSERT_EQ(lines.Text(), JoinReference(expected)) << ::testing::PrintToString(s);
    }
}

TEST(LineList, TransformsEachLine) {
    LineList lines("a\r\n\r\nbc");
    lines.TransformEachLine(
        [](std::string_view line, std::string& out) { out.append("<").append(line); });
    EXPECT_EQ(lines.Text(), "<a\r\n<\r\n<bc\r\n");
}

}  // namespace
}  // namespace qm
