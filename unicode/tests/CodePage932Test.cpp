// The built-in table, and under Wine the platform held against it over every byte,
// every two-byte code and every character of the BMP.
#include "unicode/CodePage932.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string_view>

namespace qm {
namespace {

constexpr auto kNoCode = CodePage932::kNoCode;

TEST(CodePage932, BuiltInTableKeepsTheCodePagesOwnChoices) {
    const CodePage932& cp = BuiltinCp932();
    EXPECT_EQ(cp.Single(0x5C), u'\\');
    EXPECT_EQ(cp.Single(0x80), u'\u0080');
    EXPECT_EQ(cp.Single(0xA0), u'\uF8F0');
    EXPECT_EQ(cp.Single(0x81), CodePage932::kNoCharacter);  // a lead byte
    EXPECT_EQ(cp.Pair(0x8160), u'\uFF5E');                  // full-width tilde
    EXPECT_EQ(cp.Code(u'\u301C'), kNoCode);                 // the wave dash: only a look-alike
    EXPECT_EQ(cp.Code(u'\u00A5'), kNoCode);                 // the yen sign: only a look-alike
    // Characters with several codes: JIS X 0208 first, then NEC row 13, then IBM.
    EXPECT_EQ(cp.Code(u'\u2252'), 0x81E0);  // approximately equal, also 0x8790
    EXPECT_EQ(cp.Code(u'\u2160'), 0x8754);  // Roman numeral one, also 0xFA4A
    EXPECT_EQ(cp.Code(u'\u2170'), 0xFA40);  // small Roman numeral one, also 0xEEEF
    EXPECT_EQ(cp.Code(u'\uFFE2'), 0x81CA);  // not sign, also 0xEEF9 and 0xFA54
    EXPECT_EQ(cp.Pair(0xEEEF), u'\u2170');
    EXPECT_EQ(cp.Code(u'\uE000'), 0xF040);  // the user-defined area
    EXPECT_EQ(cp.Pair(0xF9FC), u'\uE757');
}

TEST(CodePage932, PlatformAgreesWithTheBuiltInTable) {
#ifndef _WIN32
    GTEST_SKIP() << "this build has the built-in table only";
#else
    const CodePage932& platform = PlatformCp932();
    const CodePage932& builtin = BuiltinCp932();
    // Windows reads 0xA0 and 0xFD..0xFF as U+F8F0..U+F8F3 and writes them back;
    // Wine 8 does neither. The Windows build goes with the platform.
    auto wineLacks = [](std::string_view what, unsigned at) {
        return (what == "byte" && (at == 0xA0 || at >= 0xFD)) ||
               (what == "character" && at >= 0xF8F0 && at <= 0xF8F3);
    };
    int differences = 0;
    auto compare = [&](std::string_view what, unsigned at, unsigned p, unsigned b) {
        if (p == b) return;
        if (wineLacks(what, at)) {
            std::printf("  %s %X: the platform has none, built-in %X\n", what.data(), at, b);
        } else if (++differences <= 40) {
            ADD_FAILURE() << what << " " << std::hex << at << ": platform " << p << ", built-in "
                          << b;
        }
    };
    for (unsigned b = 0; b < 256; ++b) {
        const auto byte = static_cast<std::uint8_t>(b);
        compare("lead byte", b, platform.IsLead(byte), builtin.IsLead(byte));
        compare("byte", b, platform.Single(byte), builtin.Single(byte));
    }
    for (unsigned u = 0; u < 0x10000; ++u) {
        compare("code", u, platform.Pair(static_cast<std::uint16_t>(u)),
                builtin.Pair(static_cast<std::uint16_t>(u)));
        compare("character", u, platform.Code(static_cast<char16_t>(u)),
                builtin.Code(static_cast<char16_t>(u)));
    }
    EXPECT_EQ(differences, 0);
#endif
}

}  // namespace
}  // namespace qm
