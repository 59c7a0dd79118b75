#include "engine/Address.h"

#include <gtest/gtest.h>

#include "engine/Pipeline.h"
#include "engine/Sjis.h"
#include "engine/TextServices.h"
#include "engine/tests/AddressReference.h"
#include "engine/tests/PlainForms.h"
#include "engine/tests/RandomText.h"

namespace qm {
namespace {

using namespace testing;

std::string Complete(std::string_view text) {
    FilterOptions o;
    o.URLHelper = true;
    return FilterText(text, o);
}

TEST(CompleteSchemes, WwwGetsASchemeAfterNoAddressByte) {
    EXPECT_EQ(Complete("www.x"), "http://www.x");
    EXPECT_EQ(Complete("a www.x\tWWW.y\r\nwww.z"), "a http://www.x\thttp://WWW.y\r\nhttp://www.z");
    EXPECT_EQ(Complete("http://www.x"), "http://www.x");
    EXPECT_EQ(Complete("(www.x awww.y"), "(www.x awww.y");
    EXPECT_EQ(Complete("\x81\x75www.x"),
              "\x81\x75www.x");  // after left corner bracket (second byte "u")
    EXPECT_EQ(Complete("\x82\xA0www.x"), "\x82\xA0http://www.x");  // after hiragana a
}

TEST(CompleteSchemes, SchemesAreRepairedAndWrittenSmall) {
    EXPECT_EQ(Complete("htp://a HTP://b"), "http://a http://b");
    EXPECT_EQ(Complete("ttp://a tp://b p://c"), "http://a http://b http://c");
    EXPECT_EQ(Complete("://a"), "http://a");
    EXPECT_EQ(Complete("HTTP://a HTTPS://b FTP://c sftp://d"),
              "http://a https://b ftp://c sftp://d");
    EXPECT_EQ(Complete("ttphttp://a"), "http://a");
    EXPECT_EQ(Complete("(://a \x82\xA0://b"), "(http://a \x82\xA0http://b");  // after hiragana a
    EXPECT_EQ(Complete("mailto:a@b.c"), "mailto:a@b.c");
    EXPECT_EQ(Complete("no address here"), "no address here");
    EXPECT_EQ(Complete("see www.x and ttp://y"), "see http://www.x and http://y");
    EXPECT_EQ(Complete(""), "");
}

// A match used to begin on the second byte of a two-byte character: full-width digit eight is 82 57
// ("W") and katakana small e is 83 46 ("F"), and the completion rewrote half of each.
TEST(CompleteSchemes, SchemeOrWwwOnASecondByteSplitTheCharacter) {
    EXPECT_EQ(CompleteSchemes("\x82\x57ww.x"), "\x82\x57ww.x");
    EXPECT_EQ(CompleteSchemes("\x83\x46tp://x"), "\x83\x46http://x");
    EXPECT_EQ(CompleteSchemes("\x82://x"), "\x82://x");
    // katakana do (second byte "h"): "ttps" is a word of its own after it
    EXPECT_EQ(CompleteSchemes("\x83\x68ttps://x"), "\x83\x68ttps://x");
    EXPECT_EQ(CompleteSchemes("\x83\x68://x"), "\x83\x68http://x");
}

// Every "://" whose bytes in front were no form the completion repairs got "http"
// put before it, and a "p" in front was taken for a cut "http".
TEST(CompleteSchemes, FileSshRtmpAndSvnSshAddressesGotHttpInserted) {
    EXPECT_EQ(Complete("file:///x ssh://h rtmp://s svn+ssh://h abc://x"),
              "file:///x ssh://h rtmp://s svn+ssh://h abc://x");
    EXPECT_EQ(Complete("SFTP://a xHTTPS://b a-tp://c"), "SFTP://a xHTTPS://b a-tp://c");
}

TEST(CompleteSchemes, AgreesWithTheBackwardScan) {
    std::mt19937 rng(21);
    const auto pieces = testing::WithPieces(
        {"://", "www.", "WWW.", "ww", "w", "W", "//", ":", "ftp",      "FTP",      "http", "HTTPS",
         "ttp", "tp",   "p",    "s",  "f", "h", "t",  "(", "\x83\x68", "\x83\x70", "+"});
    for (int round = 0; round < 5000; ++round) {
        const std::string text = testing::RandomText(rng, pieces, 24);
        ASSERT_EQ(CompleteSchemes(text), CompleteSchemesReference(text))
            << ::testing::PrintToString(text);
    }
}

TEST(RemoveRedirector, HostGoesTargetStays) {
    EXPECT_EQ(RemoveRedirector("/ime.", "http://ime.nu/www.example.com/"),
              "http://www.example.com/");
    EXPECT_EQ(RemoveRedirector("/ime.", "a http://ime.nu/x.jp/ b ttp://ime.nu/y.jp/"),
              "a http://x.jp/ b ttp://y.jp/");
    EXPECT_EQ(RemoveRedirector("/ime.", "http://ime.nu/a http://ime.st/b"), "http://a http://b");
    EXPECT_EQ(RemoveRedirector("/ime.", "no redirector"), "no redirector");
    EXPECT_EQ(RemoveRedirector("/ime.", ""), "");
}

TEST(RemoveRedirector, CapitalHostStaysAndTheStepEnds) {
    EXPECT_EQ(RemoveRedirector("/ime.", "http://IME.NU/x"), "http://IME.NU/x");
    // the ten passes go on the capital host, the later one is not reached
    EXPECT_EQ(RemoveRedirector("/ime.", "http://IME.NU/x http://ime.nu/y"),
              "http://IME.NU/x http://ime.nu/y");
}

// The tail used to run to the next "/" anywhere in the text, so a redirector host
// at the end of a line or before a blank took the user's text with it up to some
// unrelated "/" further on.
TEST(RemoveRedirector, TailRanAcrossBlanksAndLinesToALaterSlash) {
    EXPECT_EQ(RemoveRedirector("/ime.", "see http://ime.nu and a/b"), "see http://ime.nu and a/b");
    EXPECT_EQ(RemoveRedirector("/ime.", "http://ime.nu\r\nnext/line\r\n"),
              "http://ime.nu\r\nnext/line\r\n");
    EXPECT_EQ(RemoveRedirector("/ime.", "http://ime.nu"), "http://ime.nu");
    EXPECT_EQ(RemoveRedirector("/ime.", "x/ime."), "x/ime.");
    // the search goes on after a host that no "/" follows
    EXPECT_EQ(RemoveRedirector("/ime.", "http://ime.nu http://ime.nu/a"), "http://ime.nu http://a");
}

TEST(RemoveRedirector, PatternAfterALeadByteIsNoMatch) {
    EXPECT_EQ(RemoveRedirector("/ime.", "\x81/ime.nu/a"), "\x81/ime.nu/a");
}

TEST(RemoveRedirector, AllThreePatternsInThePipeline) {
    FilterOptions o;
    o.RemoveIme = true;
    std::string text, want;
    for (std::string_view pattern : kRedirectorPatterns) {
        ASSERT_EQ(pattern.front(), '/');
        ASSERT_EQ(pattern.back(), '.');
        ASSERT_EQ(Lower(std::string(pattern)), pattern);
        text += "http:/" + std::string(pattern) + "example/www.target.jp/\r\n";
        want += "http://www.target.jp/\r\n";
    }
    EXPECT_EQ(FilterText(text, o), want);
}

TEST(RemoveRedirector, AgreesWithThePlainPasses) {
    std::mt19937 rng(22);
    const auto pieces = testing::WithPieces(
        {"/ime.", "/IME.", "/Ime.", "ime", "nu", "NU", "st", "-", "://", "http:/", "\x81/"});
    for (int round = 0; round < 5000; ++round) {
        const std::string text = testing::RandomText(rng, pieces, 24);
        ASSERT_EQ(RemoveRedirector("/ime.", text), RemoveRedirectorReference("/ime.", text))
            << ::testing::PrintToString(text);
    }
}

// Texts of many blocks: the searches go a block at a time.
TEST(AddressSteps, LongTextsAgreeWithThePlainVersions) {
    std::mt19937 rng(23);
    const auto pieces = testing::WithPieces(
        {"/ime.", "/IME.", "ime", "nu", "-", "://", "http:/", "\x81/", "www.", "WWW.", "ttp", "ftp",
         "\x83\x68", "\x88\x9F\x88\x9F\x88\x9F", "plain words fill this line without an address "});
    for (int round = 0; round < 300; ++round) {
        const std::string text = testing::RandomText(rng, pieces, 200);
        ASSERT_EQ(RemoveRedirector("/ime.", text), RemoveRedirectorReference("/ime.", text))
            << ::testing::PrintToString(text);
        ASSERT_EQ(CompleteSchemes(text), CompleteSchemesReference(text))
            << ::testing::PrintToString(text);
    }
}

}  // namespace
}  // namespace qm
