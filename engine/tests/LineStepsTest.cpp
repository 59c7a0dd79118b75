#include "engine/LineSteps.h"

#include <gtest/gtest.h>

#include "engine/Address.h"
#include "engine/Pipeline.h"
#include "engine/Sjis.h"
#include "engine/TextServices.h"
#include "engine/tests/FilterReference.h"
#include "engine/tests/LineStepsReference.h"
#include "engine/tests/PlainForms.h"
#include "engine/tests/RandomText.h"
#include "engine/tests/VectorLevels.h"

namespace qm {
namespace {

using namespace testing;

using Lines = std::vector<std::string>;

LineList ListOf(const Lines& lines) {
    std::string text;
    for (const auto& l : lines)
        text += l + "\r\n";
    LineList list;
    list.AssignTextForm(std::move(text));
    return list;
}

Lines LinesOf(std::string_view text) {
    return LineList(text).Lines();
}

TEST(DeleteEmptyLines, AgreesWithTheLineList) {
    std::mt19937 rng(27);
    for (int round = 0; round < 1000; ++round) {
        // Empty lines here and there among lines up to two blocks long.
        std::string text;
        for (int line = rng() % 12; line > 0; --line) {
            text.append(rng() % 3 == 0 ? 0 : rng() % 130, rng() % 2 ? 'a' : '\x82');
            text += "\r\n";
        }
        if (rng() % 2) text += "last";
        LineList list;
        list.AssignTextForm(std::string(text));
        list.DeleteEmptyLines();
        std::string out;
        const bool changed = DeleteEmptyLines(text, out);
        ASSERT_EQ(changed ? out : text, list.Text()) << ::testing::PrintToString(text);
        ASSERT_EQ(changed, list.Text() != text);
    }
}

TEST(NormalizeLineBreaks, EveryBreakBecomesCrLf) {
    EXPECT_EQ(NormalizeLineBreaks("a\rb\nc\r\nd"), "a\r\nb\r\nc\r\nd");
    EXPECT_EQ(NormalizeLineBreaks("a\n\rb"), "a\r\n\r\nb");
    EXPECT_EQ(NormalizeLineBreaks("\r\r\n\n"), "\r\n\r\n\r\n");
    EXPECT_EQ(NormalizeLineBreaks("\x82\xA0\r\n"), "\x82\xA0\r\n");  // hiragana a
}

// A lead byte at the end of a line once took the CR as its second byte, so the LF
// alone became a second break and the pipeline gained an empty line.
TEST(NormalizeLineBreaks, LeadByteTookTheCrAndAddedAnEmptyLine) {
    EXPECT_EQ(NormalizeLineBreaks("a\x82\r\nb\r\n"), "a\x82\r\nb\r\n");
    EXPECT_EQ(NormalizeLineBreaks("\x82\nb"), "\x82\r\nb");
    FilterOptions crLf;
    crLf.ReturnMode = 1;
    EXPECT_EQ(FilterText("a\x82\r\nb", crLf), "a\x82\r\nb");
}

TEST(RemoveTags, TagsGoTextStays) {
    EXPECT_EQ(RemoveTags("<p>abc</p>"), "abc");
    EXPECT_EQ(RemoveTags("a<b"), "a<b");
    EXPECT_EQ(RemoveTags("1 > 0 <b>x</b>"), "1 > 0 <b>x</b>");
    EXPECT_EQ(RemoveTags("x<a\r\nhref=\"y\">z"), "xz");
    EXPECT_EQ(RemoveTags("<a<b>c>"), "c>");
    EXPECT_EQ(RemoveTags("<b>x</b> &amp; <i"), "x &amp; <i");
    EXPECT_EQ(RemoveTags(""), "");
}

TEST(RemoveTags, BracketAfterALeadByteIsNoTag) {
    // The walk takes the byte after a lead byte as its second byte, "<" included.
    EXPECT_EQ(RemoveTags("\x81<b>c"), "\x81<b>c");
    EXPECT_EQ(RemoveTags("<b\x81>c>d"), "d");
}

TEST(Entities, AmpersandFirstThenBrackets) {
    FilterOptions o;
    o.RepAmp = o.RepLG = o.RepQuot = true;
    EXPECT_EQ(FilterText("a<b&c", o), "a&lt;b&amp;c");
    EXPECT_EQ(FilterText("\"x\" > y", o), "&quot;x&quot; &gt; y");
    o.TagDelete = true;
    EXPECT_EQ(FilterText("<b>x</b> & 1 > 0", o), "x &amp; 1 &gt; 0");
}

TEST(SpellRomanNumerals, CapitalNumeralsOnly) {
    EXPECT_EQ(SpellRomanNumerals("\x87\x57 \x87\x5C"), "IV IX");  // roman numerals four and nine
    EXPECT_EQ(SpellRomanNumerals("\x87\x54\x87\x5D"), "IX");      // roman numerals one and ten
    EXPECT_EQ(SpellRomanNumerals("\xFA\x43\x87\x40"),
              "\xFA\x43\x87\x40");                               // small roman four and circled one
    EXPECT_EQ(SpellRomanNumerals("\x81\x87\x54"), "\x81\x87T");  // 87 is a second byte
}

TEST(AddListItemPrefix, OnceInAnyLetterCase) {
    LineList list = ListOf({"abc", "<LI>x", "", "<li>", "<l"});
    AddListItemPrefix(list);
    EXPECT_EQ(list.Lines(), (Lines{"<li>abc", "<LI>x", "<li>", "<li>", "<li><l"}));
}

TEST(RunsToTab, RunsOfTheChosenBlanks) {
    LineList half = ListOf({"a b", "   ", "a  \x81\x40 b", " x "});
    RunsToTab(half, 1);
    EXPECT_EQ(half.Lines(), (Lines{"a\tb", "\t", "a\t\x81\x40\tb", "\tx\t"}));
    LineList full = ListOf({"a \x81\x40\x81\x40 b"});
    RunsToTab(full, 2);
    EXPECT_EQ(full.Lines(), (Lines{"a \t b"}));
    LineList both = ListOf({"a \x81\x40\tb", "\t\tc"});
    RunsToTab(both, 3);
    EXPECT_EQ(both.Lines(), (Lines{"a\tb", "\tc"}));
    LineList untouched = ListOf({"a b"});
    RunsToTab(untouched, 4);
    EXPECT_EQ(untouched.Lines(), (Lines{"a b"}));
}

TEST(TrimLineEnd, ControlBytesAndBlanksButNotTheFullWidthBlank) {
    EXPECT_EQ(TrimLineEnd("a \t\x01 "), "a");
    EXPECT_EQ(TrimLineEnd("a\x81\x40"), "a\x81\x40");
    EXPECT_EQ(TrimLineEnd(" \t"), "");
    FilterOptions o;
    o.Space2Tab = 1;
    o.DelDmySpc = true;
    EXPECT_EQ(FilterText("a   \r\n", o), "a\r\n");
}

TEST(RemoveCommas, EveryHalfWidthComma) {
    EXPECT_EQ(RemoveCommas("1,234,567"), "1234567");
    EXPECT_EQ(RemoveCommas("\x81\x43,"), "\x81\x43");  // the full-width comma stays
}

TEST(ChangeCase, LettersOnlyAndNeverASecondByte) {
    EXPECT_EQ(ChangeCase("Abc XYZ", 1), "abc xyz");
    EXPECT_EQ(ChangeCase("Abc xyz", 2), "ABC XYZ");
    EXPECT_EQ(ChangeCase("Abc", 0), "Abc");
    // katakana a is 83 41 and katakana di 83 61: their second bytes "A" and "a" stay as they are.
    EXPECT_EQ(ChangeCase("\x83\x41"
                         "A",
                         1),
              "\x83\x41"
              "a");
    EXPECT_EQ(ChangeCase("\x83\x61"
                         "a",
                         2),
              "\x83\x61"
              "A");
    // a lone lead byte at the end is left alone
    EXPECT_EQ(ChangeCase("A\x83", 1), "a\x83");
}

TEST(JoinLines, KeepsOnlyBreaksBetweenSentenceAndIndent) {
    const std::string kore = "\x82\xB1\x82\xEA\x82\xCD";  // hiragana kore wa
    const std::string maru = "\x81\x42";                  // ideographic full stop
    const std::string ideographicBlank = "\x81\x40";      // ideographic blank
    auto join = [](const Lines& lines) {
        LineList list = ListOf(lines);
        JoinLines(list);
        return list.Lines();
    };
    EXPECT_EQ(join({kore + maru, ideographicBlank + "x"}),
              (Lines{kore + maru, ideographicBlank + "x"}));
    EXPECT_EQ(join({kore + maru, " x"}), (Lines{kore + maru, " x"}));
    EXPECT_EQ(join({kore, "y"}), (Lines{kore + "y"}));
    EXPECT_EQ(join({"abc", "", "def"}), (Lines{"abcdef"}));
    EXPECT_EQ(join({"abc", ""}), (Lines{"abc"}));
    EXPECT_EQ(join({kore + maru, "", ideographicBlank + "x"}),
              (Lines{kore + maru + ideographicBlank + "x"}));
    EXPECT_EQ(join({"a", "", "", "b", "c"}), (Lines{"abc"}));
    EXPECT_EQ(join({"\x42", " x"}),
              (Lines{"\x42 x"}));  // one byte never ends with ideographic full stop
    EXPECT_EQ(join({}), Lines{});
    EXPECT_EQ(join({""}), Lines{""});
    EXPECT_EQ(join({"", ""}), Lines{""});
}

TEST(LineSteps, AgreeWithThePlainVersions) {
    std::mt19937 rng(11);
    const auto pieces = testing::WithPieces({"<li>", "<LI>", "\x87\x54", "\x87\x5D", "\x87\x57",
                                             "\x81\x40\x81\x40", "  ", "\t\t", "\x82\xB1\x81\x42"});
    for (int round = 0; round < 4000; ++round) {
        const std::string text = testing::RandomText(rng, pieces, 30);
        SCOPED_TRACE(::testing::PrintToString(text));
        ASSERT_EQ(NormalizeLineBreaks(text), NormalizeLineBreaksReference(text));
        ASSERT_EQ(RemoveTags(text), RemoveTagsReference(text));
        ASSERT_EQ(SpellRomanNumerals(text), SpellRomanNumeralsReference(text));
        ASSERT_EQ(EscapeAngleBrackets(text),
                  ReplaceAll(ReplaceAll(text, "<", "&lt;", false), ">", "&gt;", false));

        const Lines lines = LinesOf(text);
        LineList list(text);
        AddListItemPrefix(list);
        ASSERT_EQ(list.Lines(), AddListItemPrefixReference(lines));
        for (int mode = 1; mode <= 3; ++mode) {
            LineList runs(text);
            RunsToTab(runs, mode);
            ASSERT_EQ(runs.Lines(), RunsToTabReference(lines, mode)) << "mode " << mode;
        }
        LineList joined(text);
        JoinLines(joined);
        ASSERT_EQ(joined.Lines(), JoinLinesReference(lines));
        LineList trimmed(text);
        TrimLineEnds(trimmed);
        Lines trimmedReference;
        for (const auto& line : lines)
            trimmedReference.emplace_back(TrimLineEnd(line));
        ASSERT_EQ(trimmed.Lines(), trimmedReference);
    }
}

// Texts of many blocks, so that the steps that find their characters a block at a
// time meet them at every place in a block and after blocks without any; at every
// vector level.
TEST(LineSteps, LongTextsAgreeWithThePlainVersionsAtEveryVectorLevel) {
    const auto pieces = testing::WithPieces(
        {"\x87\x54", "\x87\x5D", "\x81\x40\x81\x40", "  ", "\t\t", "<p>", "Z", "\x82\x60",
         "\x88\x9F\x88\x9F\x88\x9F",  // kanji a, three times: runs of lead bytes
         "plain words fill this line without anything to convert "});
    for (const VectorLevel level : AvailableVectorLevels()) {
        const ForceVectorLevel force(level);
        SCOPED_TRACE(LevelName(level));
        std::mt19937 rng(16);
        for (int round = 0; round < 500; ++round) {
            const std::string text = testing::RandomText(rng, pieces, 200);
            SCOPED_TRACE(::testing::PrintToString(text));
            ASSERT_EQ(RemoveTags(text), RemoveTagsReference(text));
            ASSERT_EQ(SpellRomanNumerals(text), SpellRomanNumeralsReference(text));
            ASSERT_EQ(EscapeAngleBrackets(text),
                      ReplaceAll(ReplaceAll(text, "<", "&lt;", false), ">", "&gt;", false));
            for (int mode = 1; mode <= 2; ++mode)
                ASSERT_EQ(ChangeCase(text, mode), ChangeCaseReference(text, mode))
                    << "mode " << mode;
            const Lines lines = LinesOf(text);
            for (int mode = 1; mode <= 3; ++mode) {
                LineList runs(text);
                RunsToTab(runs, mode);
                ASSERT_EQ(runs.Lines(), RunsToTabReference(lines, mode)) << "mode " << mode;
            }
        }
    }
}

TEST(ChangeCase, AgreesWithTheCharacterWalk) {
    std::mt19937 rng(13);
    // full-width A and a, roman one and small roman one and the IBM code of roman numeral one: some
    // of them change a second byte into a lead byte
    const auto pieces = testing::WithPieces(
        {"Z", "z", "\x82\x60", "\x82\x81", "\x87\x54", "\xFA\x40", "\xFA\x4A", "\x82"});
    for (int round = 0; round < 4000; ++round) {
        const std::string text = testing::RandomText(rng, pieces, 40);
        for (int mode = 1; mode <= 2; ++mode) {
            ASSERT_EQ(ChangeCase(text, mode), ChangeCaseReference(text, mode))
                << ::testing::PrintToString(text) << " mode " << mode;
        }
    }
}

TEST(FilterText, StepsElevenToTwentyFiveInTheirOrder) {
    std::mt19937 rng(14);
    const auto pieces = testing::WithPieces({"<li>", "\x87\x54", "  ", "://", "www.", "htp://",
                                             "/ime.nu/", "/IME.", "\x82\xB1\x81\x42", "\x82\x60"});
    std::bernoulli_distribution on(0.5);
    std::uniform_int_distribution<int> radio(0, 3);
    for (int round = 0; round < 3000; ++round) {
        FilterOptions o;
        o.ReturnMode = radio(rng) % 2;
        o.TagDelete = on(rng);
        o.RepAmp = on(rng);
        o.RepLG = on(rng);
        o.RepQuot = on(rng);
        o.RepNumber = on(rng);
        o.AddLI = on(rng);
        o.Space2Tab = radio(rng);
        o.DelDmySpc = on(rng);
        o.DelConma = on(rng);
        o.UpDownCase = radio(rng) % 3;
        o.URLHelper = on(rng);
        o.RemoveIme = on(rng);
        o.EnterDeleteMode = radio(rng) % 2;
        const std::string text = testing::RandomText(rng, pieces, 40);
        ASSERT_EQ(FilterText(text, o), testing::FilterReference(text, o))
            << ::testing::PrintToString(text);
    }
}

TEST(LineSteps, LineBreakModeChangesNothingInThePipeline) {
    std::mt19937 rng(12);
    FilterOptions plain, crLf;
    crLf.ReturnMode = 1;
    for (int round = 0; round < 2000; ++round) {
        const std::string text = testing::RandomText(rng, testing::CommonPieces(), 30);
        ASSERT_EQ(FilterText(text, crLf), FilterText(text, plain))
            << ::testing::PrintToString(text);
    }
}

}  // namespace
}  // namespace qm
