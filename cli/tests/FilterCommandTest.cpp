#include "cli/FilterCommand.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

using Args = std::vector<std::string>;
using Action = FilterCommand::Action;

TEST(FilterCommand, ArgumentsSetFieldsByTheirSettingsNames) {
    const auto c =
        ParseFilterCommand({"NumberMode=1", "TagDelete=1", "FilterFile=rules.txt", "KanaMode2=-1"});
    ASSERT_EQ(c.action, Action::Filter) << c.error;
    EXPECT_EQ(c.options.NumberMode, 1);
    EXPECT_TRUE(c.options.TagDelete);
    EXPECT_EQ(c.options.FilterFile, "rules.txt");
    EXPECT_EQ(c.options.KanaMode2, -1);
    EXPECT_EQ(c.options.AlphabetMode, 0);
}

TEST(FilterCommand, RejectsWhatItCannotRead) {
    for (const Args& bad :
         {Args{"numbermode=1"}, Args{"NumberMode=3"}, Args{"KanaMode2=4"}, Args{"NumberMode=1x"},
          Args{"NumberMode="}, Args{"TagDelete=yes"}, Args{"x"}, Args{"--ini", "a.ini"},
          Args{"--section"}, Args{"--encoding", "latin1"}, Args{"--encoding"}}) {
        const auto c = ParseFilterCommand(bad);
        EXPECT_EQ(c.action, Action::Error) << bad[0];
        EXPECT_EQ(c.error.find('\n'), std::string::npos);
    }
}

TEST(FilterCommand, EncodingTakesEitherSpelling) {
    EXPECT_EQ(ParseFilterCommand({}).encoding, TextEncoding::Cp932);
    EXPECT_EQ(ParseFilterCommand({"--encoding", "utf-8"}).encoding, TextEncoding::Utf8);
    EXPECT_EQ(ParseFilterCommand({"--encoding=UTF8", "--encoding", "cp932"}).encoding,
              TextEncoding::Cp932);
}

TEST(FilterCommand, HelpListsEveryOption) {
    EXPECT_EQ(ParseFilterCommand({"--help"}).action, Action::Help);
    const std::string help = FilterCommandHelp();
    for (const auto& f : FilterOptionFields())
        EXPECT_NE(help.find(f.name), std::string::npos) << f.name;
}

TEST(FilterCommand, RunWritesNothingOnUsageErrors) {
    std::string out = "x", err;
    EXPECT_EQ(RunFilterCommand(ParseFilterCommand({"Bogus=1"}), "a", out, err), kExitUsage);
    EXPECT_TRUE(out.empty());
    EXPECT_FALSE(err.empty());
    EXPECT_EQ(RunFilterCommand(ParseFilterCommand({}), "a\nb", out, err), kExitOk);
    EXPECT_EQ(out, "a\r\nb");
}

// The filter's text ends at its first NUL: what followed one was dropped, with exit 0.
TEST(FilterCommand, InputWithANulIsRefusedNotCut) {
    using namespace std::string_literals;
    struct Case {
        Args args;
        std::string input;
        std::size_t offset;
    };
    // "a NUL b"; after a byte-order mark, "e-acute NUL"; an emoji (a stand-in) and "a NUL"
    for (const Case& c :
         {Case{{}, "a\0b\n"s, 1}, Case{{"--encoding", "utf-8"}, "\xEF\xBB\xBF\xC3\xA9\0"s, 5},
          Case{{"--encoding", "utf-8"},
               "\xF0\x9F\x98\x80"
               "a\0b"s,
               5}}) {
        std::string out, err;
        EXPECT_EQ(RunFilterCommand(ParseFilterCommand(c.args), c.input, out, err), kExitStepError);
        EXPECT_TRUE(out.empty());
        EXPECT_NE(err.find("NUL byte"), std::string::npos) << err;
        EXPECT_NE(err.find("(byte offset " + std::to_string(c.offset) + ")"), std::string::npos)
            << err;
    }
}

}  // namespace
}  // namespace qm
