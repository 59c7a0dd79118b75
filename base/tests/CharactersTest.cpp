#include "base/Characters.h"

#include <gtest/gtest.h>

#include <string>

namespace qm {
namespace {

TEST(LeadByteAt, WalksLeadTrailPairsFromTheFirstByte) {
    const std::string aThenA =
        "\x82\xA0"
        "a";  // hiragana a and a
    EXPECT_TRUE(LeadByteAt(aThenA, 1));
    EXPECT_FALSE(LeadByteAt(aThenA, 2));
    EXPECT_FALSE(LeadByteAt(aThenA, 3));
    const std::string threeLeads = "\x81\x81\x81";
    EXPECT_TRUE(LeadByteAt(threeLeads, 1));
    EXPECT_FALSE(LeadByteAt(threeLeads, 2));
    EXPECT_TRUE(LeadByteAt(threeLeads, 3));
    EXPECT_FALSE(LeadByteAt(threeLeads, 0));
    EXPECT_FALSE(LeadByteAt(threeLeads, -1));
    EXPECT_TRUE(LeadByteAt("\x80\xFF\xFF", 3));  // the wide range includes 0x80 and 0xFD-0xFF
}

TEST(LeadByteAt, WalkerAgreesWithThePlainWalk) {
    // Every text of up to seven bytes from: a, a lead byte, a byte that is a second
    // byte or (in the wide range) a lead byte, and 0xFF (a lead byte in the wide range).
    const char bytes[] = {'a', '\x82', '\xE0', '\xFF'};
    for (int code = 0; code < 4 * 4 * 4 * 4 * 4 * 4 * 4; ++code) {
        for (std::size_t length = 0; length <= 7; ++length) {
            std::string s;
            for (int c = code; s.size() < length; c /= 4)
                s += bytes[c % 4];
            LeadByteWalker walker(s);
            for (std::ptrdiff_t n = -1; n <= static_cast<std::ptrdiff_t>(s.size()) + 1; ++n)
                ASSERT_EQ(walker.At(n), LeadByteAt(s, n)) << "n=" << n;
        }
    }
}

TEST(NextCharStart, ALeadByteTakesTheNextByteUnlessItEndsTheText) {
    // a, hiragana a, a lead byte alone at the end
    const std::string text = "a\x82\xA0\x82";
    EXPECT_EQ(NextCharStart(text, 0), 1u);
    EXPECT_EQ(NextCharStart(text, 1), 3u);
    EXPECT_EQ(NextCharStart(text, 3), 4u);
    // 0xFD opens a character in the wide range only
    EXPECT_EQ(NextCharStart("\xFD\x41", 0, WideLeadBytes()), 2u);
    EXPECT_EQ(NextCharStart("\xFD\x41", 0), 1u);
}

}  // namespace
}  // namespace qm
