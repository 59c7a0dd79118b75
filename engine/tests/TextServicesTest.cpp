// The services of this build against the built-in code page 932 rules. Natively the
// two are the same object and the spot checks carry the test; under Wine every byte
// and every two-byte code is held against the platform.
#include "engine/TextServices.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <iterator>
#include <random>
#include <string>

#include "engine/tests/CharMapReference.h"
#include "engine/tests/Hex.h"
#include "engine/tests/VectorLevels.h"

namespace qm {
namespace {

std::string Bytes(const MappedChar& m, std::string_view unchanged) {
    return m.length ? std::string(reinterpret_cast<const char*>(m.bytes), m.length)
                    : std::string(unchanged);
}

using testing::Hex;

template <typename F>
void ForEachTwoByteCode(const LeadByteTable& lead, F f) {
    for (unsigned l = 0; l < 256; ++l) {
        if (!lead[l]) continue;
        for (unsigned t = 0x40; t <= 0xFC; ++t) {
            if (t == 0x7F) continue;
            f(static_cast<std::uint16_t>(l << 8 | t));
        }
    }
}

std::string Code(std::uint16_t c) {
    return {static_cast<char>(c >> 8), static_cast<char>(c & 0xFF)};
}

TEST(TextServices, LeadBytesAreThoseOfCodePage932) {
    const auto& lead = Text().LeadBytes();
    for (unsigned b = 0; b < 256; ++b) {
        EXPECT_EQ(lead[b], (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC)) << b;
    }
}

TEST(TextServices, KanaMapsTurnEveryKanaIntoTheOtherSet) {
    const auto& lead = Text().LeadBytes();
    const CharMap& katakana = *Text().KanaMap(kLcmapKatakana);
    const CharMap& hiragana = *Text().KanaMap(kLcmapHiragana);
    for (unsigned k = 0; k <= 0x82F1 - 0x829F; ++k) {
        const std::string h = Code(static_cast<std::uint16_t>(0x829F + k));
        const std::string kata = Code(static_cast<std::uint16_t>(0x8340 + k + (k >= 0x3F ? 1 : 0)));
        EXPECT_EQ(katakana.Apply(h, lead), kata) << Hex(h);
        EXPECT_EQ(hiragana.Apply(kata, lead), h) << Hex(kata);
    }
    // Half-width katakana and kanji are no business of the kana mapping.
    EXPECT_EQ(hiragana.Apply("\xB1\x8A\xBF", lead), "\xB1\x8A\xBF");
}

TEST(TextServices, CaseMapsChangeLettersAndNeverSplitACharacter) {
    const auto& lead = Text().LeadBytes();
    std::string ascii, lower, upper;
    for (int c = 0x20; c < 0x7F; ++c)
        ascii += static_cast<char>(c);
    lower = upper = ascii;
    Text().LowerMap().ApplySameLength(lower, lead);
    Text().UpperMap().ApplySameLength(upper, lead);
    for (std::size_t i = 0; i < ascii.size(); ++i) {
        const char c = ascii[i];
        EXPECT_EQ(lower[i], c >= 'A' && c <= 'Z' ? c + 32 : c);
        EXPECT_EQ(upper[i], c >= 'a' && c <= 'z' ? c - 32 : c);
    }
    // katakana a (83 41) and katakana so (83 5C) keep their second bytes, which look like "A" and
    // "\".
    std::string trail = "\x83\x41\x83\x5C";
    Text().LowerMap().ApplySameLength(trail, lead);
    EXPECT_EQ(trail, "\x83\x41\x83\x5C");
}

TEST(TextServices, CompareMatchesTheFullStopOnly) {
    EXPECT_TRUE(Text().EqualIgnoreCase("\x81\x42", "\x81\x42"));
    EXPECT_FALSE(Text().EqualIgnoreCase("\x81\x41", "\x81\x42"));
    EXPECT_TRUE(Text().EqualIgnoreCase("aB", "Ab"));
}

// The kana maps go a block at a time, their rows computed from the second byte: every
// code of the rows, the undefined ones among them, at every offset to a block's end,
// so that each pair also spans two blocks.
TEST(CharMap, KanaRowsAgreeWithTheCharacterWalkAcrossBlocksAtEveryVectorLevel) {
    const LeadByteTable& lead = Text().LeadBytes();
    std::string codes;
    for (unsigned code = 0x8140; code <= 0x84FF; ++code)
        codes += Code(static_cast<std::uint16_t>(code));
    for (const VectorLevel level : testing::AvailableVectorLevels()) {
        const ForceVectorLevel force(level);
        for (const unsigned flags : {kLcmapKatakana, kLcmapHiragana}) {
            const CharMap& map = *Text().KanaMap(flags);
            for (std::size_t offset = 0; offset < 64; ++offset) {
                const std::string text = std::string(offset, 'a') + codes + "";
                std::string out;
                if (!map.Apply(text, lead, out)) out = text;
                ASSERT_EQ(out, testing::CharWalkReference(map, lead, text, true))
                    << testing::LevelName(level) << " " << flags << " offset " << offset;
            }
        }
    }
}

// Under Wine: the platform against the built-in rules, over every byte and code.
// Where the two may differ without harm the test prints the difference; where the
// filter's results depend on them it fails.
// The platform's maps may hold entries that change a character's length ("?" for a
// kana with no counterpart): the block mapping writes such a block character by
// character, also where a pair spans two blocks.
TEST(CharMap, EntriesOfOtherLengthsAgreeWithTheCharacterWalkAtEveryVectorLevel) {
    const CharMap& map = testing::MixedLengthMap();
    const LeadByteTable& lead = BuiltinText().LeadBytes();
    const char* const pieces[] = {"\x82\xA0", "\x83\x95", "a",        "b",
                                  "c",        "\x82",     "\x88\x9F", "plain words "};
    for (const VectorLevel level : testing::AvailableVectorLevels()) {
        const ForceVectorLevel force(level);
        std::mt19937 rng(7);
        for (int round = 0; round < 1000; ++round) {
            std::string text;
            for (std::size_t n = rng() % 300; n > 0; --n)
                text += pieces[rng() % std::size(pieces)];
            for (const bool all : {true, false}) {
                std::string out;
                const bool mapped =
                    all ? map.Apply(text, lead, out) : map.ApplySameLength(text, lead, out);
                if (!mapped) out = text;
                ASSERT_EQ(out, testing::CharWalkReference(map, lead, text, all))
                    << testing::LevelName(level) << (all ? " all " : " same length ") << Hex(text);
            }
        }
    }
}

TEST(TextServices, PlatformAgreesWithTheBuiltInRules) {
    const TextServices& platform = Text();
    const TextServices& builtin = BuiltinText();
    if (&platform == &builtin) GTEST_SKIP() << "this build has the built-in services only";
    const auto& lead = builtin.LeadBytes();
    ASSERT_EQ(platform.LeadBytes(), lead);

    struct Named {
        const char* name;
        const CharMap* platform;
        const CharMap* builtin;
    };
    const Named maps[] = {
        {"katakana", platform.KanaMap(kLcmapKatakana), builtin.KanaMap(kLcmapKatakana)},
        {"hiragana", platform.KanaMap(kLcmapHiragana), builtin.KanaMap(kLcmapHiragana)},
        {"lower", &platform.LowerMap(), &builtin.LowerMap()},
        {"upper", &platform.UpperMap(), &builtin.UpperMap()},
    };
    for (const Named& m : maps) {
        int differences = 0;
        for (unsigned b = 0; b < 256; ++b) {
            if (lead[b]) continue;
            const std::string s(1, static_cast<char>(b));
            const std::string p = Bytes(m.platform->Single(static_cast<std::uint8_t>(b)), s);
            const std::string q = Bytes(m.builtin->Single(static_cast<std::uint8_t>(b)), s);
            EXPECT_EQ(p, q) << m.name << " byte " << Hex(s);
        }
        ForEachTwoByteCode(lead, [&](std::uint16_t code) {
            const std::string s = Code(code);
            const std::string p = Bytes(m.platform->Pair(code), s);
            const std::string q = Bytes(m.builtin->Pair(code), s);
            if (p == q) return;
            ++differences;
            std::printf("  %s %s: platform %s, built-in %s\n", m.name, Hex(s).c_str(),
                        Hex(p).c_str(), Hex(q).c_str());
            const bool kana =
                (code >= 0x829F && code <= 0x82F1) || (code >= 0x8340 && code <= 0x8393);
            EXPECT_FALSE(kana && (m.name[0] == 'k' || m.name[0] == 'h')) << m.name << " " << Hex(s);
        });
        std::printf("%s: %d two-byte codes differ\n", m.name, differences);
    }

    int equalToFullStop = 0;
    ForEachTwoByteCode(lead, [&](std::uint16_t code) {
        if (platform.EqualIgnoreCase(Code(code), "\x81\x42") !=
            builtin.EqualIgnoreCase(Code(code), "\x81\x42")) {
            ++equalToFullStop;
            std::printf("  compare: %s equals the full stop on one side only\n",
                        Hex(Code(code)).c_str());
        }
    });
    std::printf("compare: %d codes differ\n", equalToFullStop);
}

}  // namespace
}  // namespace qm
