#include "engine/Pipeline.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace qm
