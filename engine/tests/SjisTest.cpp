#include "engine/Sjis.h"

#include <gtest/gtest.h>

#include <iterator>
#include <random>
#include <string>

#include "engine/TextServices.h"
#include "engine/tests/PlainForms.h"
#include "engine/tests/SjisReference.h"
#include "engine/tests/VectorLevels.h"

namespace qm {
namespace {

using namespace testing;

// Random texts over a small alphabet that mixes ASCII, lead bytes and trail bytes.
std::string RandomText(std::mt19937& rng, std::size_t maxLength) {
    static const char kAlphabet[] = {'a',    'A',    '@',    'B',    '\x82', '\x83',
                                     '\x81', '\xA0', '\x41', '\x42', '\xE0', '\xFC'};
    std::uniform_int_distribution<std::size_t> len(0, maxLength), pick(0, sizeof kAlphabet - 1);
    std::string s(len(rng), ' ');
    for (char& c : s)
        c = kAlphabet[pick(rng)];
    return s;
}

TEST(SjisToJis, GivesJisCodes) {
    EXPECT_EQ(SjisToJis(0x82A0), 0x2422);  // hiragana a
    EXPECT_EQ(SjisToJis(0x8341), 0x2522);  // katakana a
    EXPECT_EQ(SjisToJis(0x8142), 0x2123);  // ideographic full stop
    EXPECT_EQ(SjisToJis(0x829F), 0x2421);  // hiragana small a
    EXPECT_EQ(SjisToJis(0x8396), 0x2576);  // katakana small ke
    EXPECT_EQ(SjisToJis(0x889F), 0x3021);  // kanji a
    EXPECT_EQ(SjisToJis(0xE040), 0x5F21);
    EXPECT_EQ(SjisToJis(0xEAA4), 0x7426);  // the last JIS X 0208 kanji
}

TEST(SjisToJis, EveryKanaCodeLandsInItsRowAndCell) {
    for (unsigned code = 0x829F; code <= 0x82F1; ++code) {
        const auto jis = SjisToJis(static_cast<std::uint16_t>(code));
        EXPECT_EQ(jis >> 8, 0x24);
        EXPECT_EQ(jis & 0xFF, 0x21 + code - 0x829F);
    }
    for (unsigned code = 0x8340; code <= 0x8396; ++code) {
        if (code == 0x837F) continue;
        const auto jis = SjisToJis(static_cast<std::uint16_t>(code));
        EXPECT_EQ(jis >> 8, 0x25);
        EXPECT_EQ(jis & 0xFF, 0x21 + code - 0x8340 - (code > 0x837F ? 1 : 0));
    }
}

TEST(KanaToHalfWidth, SpellsKanaWithSeparateMarks) {
    // hiragana gakkou -> half-width katakana gakkou
    EXPECT_EQ(KanaToHalfWidth("\x82\xAA\x82\xC1\x82\xB1\x82\xA4", KanaRowHiragana),
              "\xB6\xDE\xAF\xBA\xB3");
    // katakana and kanji stay under the hiragana selector: katakana a and a kanji
    EXPECT_EQ(KanaToHalfWidth("\x83\x41\x8A\xBF", KanaRowHiragana), "\x83\x41\x8A\xBF");
    // katakana paatii -> half-width paatii with full-width long marks: long vowel mark is no kana
    EXPECT_EQ(KanaToHalfWidth("\x83\x70\x81\x5B\x83\x65\x83\x42\x81\x5B", KanaRowKatakana),
              "\xCA\xDF\x81\x5B\xC3\xA8\x81\x5B");
    // katakana vu, small ka, small ke, small wa -> half-width u with voiced mark, ka, ke, wa
    EXPECT_EQ(KanaToHalfWidth("\x83\x94\x83\x95\x83\x96\x83\x8E", KanaRowKatakana),
              "\xB3\xDE\xB6\xB9\xDC");
    // hiragana wi, we, wo -> half-width i, e, wo
    EXPECT_EQ(KanaToHalfWidth("\x82\xEE\x82\xEF\x82\xF0", KanaRowHiragana), "\xB2\xB4\xA6");
}

TEST(KanaToHalfWidth, LoneLeadByteAtTheEnd) {
    EXPECT_EQ(KanaToHalfWidth("a\x82", KanaRowHiragana), "a\x82");
    EXPECT_EQ(KanaToHalfWidth("a\x82", KanaRowKatakana), "a\x82");
    // a lone 0x83 is read with "@" padding as katakana small a
    EXPECT_EQ(KanaToHalfWidth("a\x83", KanaRowKatakana), "a\xA7");
    // a lead byte followed by CR is no character
    EXPECT_EQ(KanaToHalfWidth("\x82\r\n", KanaRowHiragana), "\x82\r\n");
    EXPECT_EQ(KanaToHalfWidth("\x83\r\n", KanaRowKatakana), "\x83\r\n");
}

TEST(KanaToHalfWidth, HalfWidthKatakanaBytesAreNeverLeadBytes) {
    for (int b = 0xA1; b <= 0xDF; ++b) {
        const std::string s = {static_cast<char>(b), '\x82', '\xA0'};  // byte then hiragana a
        EXPECT_EQ(KanaToHalfWidth(s, KanaRowHiragana), std::string({static_cast<char>(b), '\xB1'}));
    }
}

TEST(KanaToHalfWidth, EveryPairAgreesWithTheDefinition) {
    // Each pair alone, behind a lead byte, and far enough into a text that the
    // blocks of the fast walk reach it, with ASCII or kanji before it.
    const std::string ascii(70, 'a'), kanji = [] {
        std::string k;
        for (int i = 0; i < 35; ++i)
            k += "\x88\x9F";  // kanji a, both of whose bytes are lead bytes
        return k;
    }();
    for (int selector : {0, 1, 2, -1}) {  // the two kana rows and two others
        int failures = 0;
        for (unsigned x = 0; x < 256 && failures < 10; ++x) {
            for (unsigned y = 0; y < 256 && failures < 10; ++y) {
                const std::string pair{static_cast<char>(x), static_cast<char>(y)};
                for (const std::string& text :
                     {pair, "\x82" + pair, ascii + pair + ascii, kanji + "\x82" + pair + ascii,
                      ascii.substr(0, 63) + pair + ascii}) {
                    const std::string want = KanaToHalfWidthReference(text, selector);
                    if (KanaToHalfWidth(text, selector) != want) {
                        ADD_FAILURE()
                            << "selector " << selector << " on " << ::testing::PrintToString(text);
                        ++failures;
                    }
                }
            }
        }
    }
}

TEST(KanaToHalfWidth, LongRandomTextsAgreeWithTheDefinition) {
    // Kana, their rows' other pairs, pairs read alone, runs of lead bytes and ASCII,
    // so that the blocks meet every kind of character at every offset.
    static const char* const kPieces[] = {
        "\x82\xA0", "\x82\xAA", "\x82\xF2", "\x82\xFA", "\x82\x4F", "\x82\x01", "\x82\r\n",
        "\x83\x41", "\x83\x4B", "\x83\x96", "\x83\x9A", "\x83\xA0", "\x83\x20", "\x83",
        "\x82",     "\x88\x9F", "\x9F\xE0", "\xE0",     "\xFC",     "\xB1",     "a",
        "abcdefgh", "\xFD",     "\x80",     "\xA0",     "\x81\x5B", "@"};
    std::mt19937 rng(17);
    std::uniform_int_distribution<std::size_t> pick(0, std::size(kPieces) - 1), length(0, 400);
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        for (std::size_t k = length(rng); k > 0; --k)
            text += kPieces[pick(rng)];
        for (const VectorLevel level : AvailableVectorLevels()) {
            const ForceVectorLevel force(level);
            for (int selector : {KanaRowHiragana, KanaRowKatakana}) {
                ASSERT_EQ(KanaToHalfWidth(text, selector), KanaToHalfWidthReference(text, selector))
                    << LevelName(level) << ", selector " << selector << " on "
                    << ::testing::PrintToString(text);
            }
        }
    }
}

TEST(MapLocaleString, MapsKanaAndLeavesTheRest) {
    // hiragana hiragana -> katakana hiragana, kanji (the word) stays
    EXPECT_EQ(MapLocaleString("\x82\xD0\x82\xE7\x82\xAA\x82\xC8\x8A\xBF\x8E\x9A", kLcmapKatakana),
              "\x83\x71\x83\x89\x83\x4B\x83\x69\x8A\xBF\x8E\x9A");
    EXPECT_EQ(MapLocaleString("\x83\x71\x83\x89\x83\x4B\x83\x69", kLcmapHiragana),
              "\x82\xD0\x82\xE7\x82\xAA\x82\xC8");
    EXPECT_EQ(MapLocaleString("abc\x82", kLcmapKatakana), "abc\x82");
    EXPECT_EQ(MapLocaleString(std::string("\x82\xA0\0\x82\xA0", 5), kLcmapKatakana), "\x83\x41");
    EXPECT_EQ(MapLocaleString("\x82\xA0", 0x1234), "\x82\xA0");
}

TEST(FindText, MatchesOnlyOnCharacterBoundaries) {
    // ideographic comma (81 41) is not found in katakana me and A (83 81 41): 81 is the second byte
    // of katakana me
    EXPECT_EQ(FindText("\x81\x41", "\x83\x81\x41"), 0u);
    EXPECT_EQ(FindText("\x81\x41", "\x83\x81\x41\x81\x41"), 4u);
    EXPECT_EQ(FindText("A",
                       "\x83\x41"
                       "A"),
              3u);  // katakana a and A
    EXPECT_EQ(FindText("", "abc"), 0u);
    EXPECT_EQ(FindText("abc", ""), 0u);
    EXPECT_EQ(FindText("c", std::string("ab\0c", 4)), 0u);
    EXPECT_EQ(FindText("abcd", "abc"), 0u);
}

TEST(FindText, AgreesWithThePlainSearch) {
    std::mt19937 rng(11);
    for (int round = 0; round < 3000; ++round) {
        const std::string text = RandomText(rng, 30), pattern = RandomText(rng, 3);
        ASSERT_EQ(FindText(pattern, text), FindTextReference(pattern, text));
    }
}

TEST(ReplaceAll, ReplacesLeftToRightWithoutOverlap) {
    EXPECT_EQ(ReplaceAll("aaa", "aa", "b", false), "ba");
    EXPECT_EQ(ReplaceAll("abc", "", "x", false), "abc");
    EXPECT_EQ(ReplaceAll("a-a", "a", "aa", false), "aa-aa");
    EXPECT_EQ(ReplaceAll("", "a", "b", false), "");
    // the katakana a (83 41) keeps its second byte
    EXPECT_EQ(ReplaceAll("\x83\x41"
                         "A",
                         "A", "x", false),
              "\x83\x41x");
}

TEST(ReplaceAll, IgnoreCaseKeepsTheCaseOutside) {
    EXPECT_EQ(ReplaceAll("see HTP://x and htp://y", "htp://", "http://", true),
              "see http://x and http://y");
    EXPECT_EQ(ReplaceAll("Abc aBC", "abc", "-", true), "- -");
    EXPECT_EQ(ReplaceAll("Abc", "abc", "-", false), "Abc");
}

TEST(ReplaceAll, BoundariesRestartAfterEachReplacement) {
    // After replacing a pattern that ends with a lead byte, the rest is searched
    // as a text of its own: its first byte opens a character.
    EXPECT_EQ(ReplaceAll("\x82\x82\x82", "\x82", "x", false),
              ReplaceAllReference("\x82\x82\x82", "\x82", "x", false));
}

// A pattern that goes on after a NUL drops the NUL with the rest of its length, and
// the search went no further than the text's first NUL.
TEST(ReplaceAll, PatternWithANulStoppedAtTheTextsFirstNul) {
    EXPECT_EQ(ReplaceAll(std::string("a\x80\0b\x80\0c", 7), std::string("\x80\0", 2), "x", false),
              "axbxc");
}

TEST(ReplaceAll, AgreesWithThePlainAlgorithm) {
    std::mt19937 rng(5);
    for (int round = 0; round < 3000; ++round) {
        const std::string text = RandomText(rng, 30), old = RandomText(rng, 3);
        const bool ignoreCase = round % 2;
        ASSERT_EQ(ReplaceAll(text, old, "<>", ignoreCase),
                  ReplaceAllReference(text, old, "<>", ignoreCase));
    }
}

TEST(ReplaceAll, LongTextsAgreeWithThePlainAlgorithm) {
    // Texts over several blocks of the search, patterns that end with a lead byte
    // (the rest is searched as a text of its own) and patterns in any letter case.
    std::mt19937 rng(6);
    for (int round = 0; round < 1500; ++round) {
        const std::string text = RandomText(rng, 300);
        const std::string old = round % 5 == 0 ? std::string(1, 'a') : RandomText(rng, 3);
        const bool ignoreCase = round % 3 == 0;
        ASSERT_EQ(ReplaceAll(text, old, "[]", ignoreCase),
                  ReplaceAllReference(text, old, "[]", ignoreCase))
            << ::testing::PrintToString(text) << " " << ::testing::PrintToString(old);
    }
}

}  // namespace
}  // namespace qm
