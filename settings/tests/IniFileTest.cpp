#include "settings/IniFile.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

TEST(ParseIniInteger, AcceptsDecimalAndTheThreeHexPrefixes) {
    EXPECT_EQ(ParseIniInteger("-1"), -1);
    EXPECT_EQ(ParseIniInteger("16777215"), 16777215);
    EXPECT_EQ(ParseIniInteger("$10"), 16);
    EXPECT_EQ(ParseIniInteger("0x2"), 2);
    EXPECT_EQ(ParseIniInteger("0X1f"), 31);
    EXPECT_EQ(ParseIniInteger("$FFFFFFFF"), -1);
    EXPECT_EQ(ParseIniInteger("-2147483648"), INT32_MIN);
}

TEST(ParseIniInteger, RejectsEverythingElse) {
    for (const char* bad :
         {"", "abc", "yes", "0x", "$", "1 ", "2147483648", "$100000000", "--1", "1.5"}) {
        EXPECT_EQ(ParseIniInteger(bad), std::nullopt) << bad;
    }
}

TEST(IniText, FindsKeysInTheirSectionWithoutRegardToCase) {
    const IniText ini(
        "[other]\r\nNumberMode=2\r\n[Alice]\r\n; comment\r\n numbermode = 1 \r\nFilterFile=\"C:\\a "
        "b.txt\"\r\n");
    EXPECT_TRUE(ini.HasSection("ALICE"));
    EXPECT_FALSE(ini.HasSection("bob"));
    EXPECT_EQ(ini.Get("alice", "NumberMode"), "1");
    EXPECT_EQ(ini.Get("other", "NumberMode"), "2");
    EXPECT_EQ(ini.Get("Alice", "FilterFile"), "C:\\a b.txt");
    EXPECT_EQ(ini.Get("Alice", "TagDelete"), std::nullopt);
}

TEST(IniText, CutsLongValuesTo2047Bytes) {
    const IniText ini("[s]\nk=" + std::string(3000, 'x') + "\n");
    EXPECT_EQ(ini.Get("s", "k")->size(), 2047u);
}

}  // namespace
}  // namespace qm
