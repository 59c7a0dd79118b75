#include "unicode/UnicodeText.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "engine/Pipeline.h"
#include "unicode/FuzzTargets.h"

namespace qm {
namespace {

using Status = Cp932Text::Status;

void AppendUtf8(std::string& s, char32_t c) {
    if (c < 0x80) {
        s += static_cast<char>(c);
        return;
    }
    const int n = c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
    s += static_cast<char>((0xF00 >> n & 0xF0) | c >> (6 * (n - 1)));
    for (int k = n - 2; k >= 0; --k)
        s += static_cast<char>(0x80 | (c >> (6 * k) & 0x3F));
}

void AppendUtf16(std::u16string& s, char32_t c) {
    if (c < 0x10000) {
        s += static_cast<char16_t>(c);
    } else {
        s += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
        s += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    }
}

TEST(UnicodeText, EveryScalarValueRoundTripsInChunks) {
    for (char32_t first = 0; first < 0x110000; first += 1000) {
        std::string utf8;
        std::u16string utf16;
        std::size_t foreign = 0;
        for (char32_t c = first; c < first + 1000 && c < 0x110000; ++c) {
            if (c >= 0xD800 && c < 0xE000) continue;
            AppendUtf8(utf8, c);
            AppendUtf16(utf16, c);
            foreign += c >= 0x10000 || Cp932().Code(static_cast<char16_t>(c)) == 0xFFFF;
        }
        const Cp932Text a = Utf8ToCp932(utf8);
        const Cp932Text b = Utf16ToCp932(utf16);
        ASSERT_EQ(a.status, Status::Ok) << std::hex << static_cast<unsigned>(first);
        ASSERT_EQ(a.standIns.size(), foreign) << std::hex << static_cast<unsigned>(first);
        ASSERT_EQ(b.bytes, a.bytes) << std::hex << static_cast<unsigned>(first);
        // Every fast level, not only the one this processor is given.
        for (const runs::Level level : {runs::Level::Avx2, runs::Level::Avx512}) {
            if (!runs::Runs(level)) continue;
            ASSERT_EQ(Utf8ToCp932(utf8, Cp932(), level).bytes, a.bytes)
                << std::hex << static_cast<unsigned>(first);
            ASSERT_EQ(Cp932ToUtf8(a.bytes, a.standIns, Cp932(), level), utf8)
                << std::hex << static_cast<unsigned>(first);
        }
        ASSERT_EQ(Cp932ToUtf8(a.bytes, a.standIns), utf8)
            << std::hex << static_cast<unsigned>(first);
        ASSERT_EQ(Cp932ToUtf16(b.bytes, b.standIns), utf16)
            << std::hex << static_cast<unsigned>(first);
    }
    // Lone surrogates are characters of their own in UTF-16.
    const std::u16string lone =
        u"a\xD800"
        u"b\xDC00\xDC00\xD83D";
    const Cp932Text t = Utf16ToCp932(lone);
    EXPECT_EQ(t.standIns.size(), 3u);
    EXPECT_EQ(Cp932ToUtf16(t.bytes, t.standIns), lone);
}

// The fast runs against the tables read one character at a time: random texts of
// characters the code page holds, in runs of ASCII and runs of the others.
TEST(UnicodeText, ConversionsWriteWhatTheTablesSay) {
    const CodePage932& cp = Cp932();
    std::vector<char16_t> held;
    for (unsigned u = 0x80; u < 0x10000; ++u) {
        if (cp.Code(static_cast<char16_t>(u)) != CodePage932::kNoCode)
            held.push_back(static_cast<char16_t>(u));
    }
    std::mt19937 rng(16);
    auto pick = [&](std::size_t n) {
        return std::uniform_int_distribution<std::size_t>(0, n - 1)(rng);
    };
    for (int round = 0; round < 2000; ++round) {
        std::string utf8, cp932;
        for (std::size_t k = pick(20); k > 0; --k) {
            const bool ascii = pick(2) == 0;
            for (std::size_t n = pick(12); n > 0; --n) {
                const char16_t c =
                    ascii ? static_cast<char16_t>(pick(0x80)) : held[pick(held.size())];
                const std::uint16_t code = cp.Code(c);
                AppendUtf8(utf8, c);
                if (code > 0xFF) cp932 += static_cast<char>(code >> 8);
                cp932 += static_cast<char>(code & 0xFF);
            }
        }
        const Cp932Text t = Utf8ToCp932(utf8);
        ASSERT_EQ(t.bytes, cp932) << ::testing::PrintToString(utf8);
        ASSERT_EQ(Cp932ToUtf8(cp932, t.standIns), utf8) << ::testing::PrintToString(cp932);
    }
}

// Long random texts of ASCII, Japanese, half-width katakana and Cyrillic runs, now
// and then a character outside the fast paths' tables (a stand-in, two- and
// four-byte UTF-8, user-defined characters, one of them the first stand-in's code)
// or a byte that is no UTF-8, and the code page 932 text with a few bytes spoilt:
// every level gives what the plain loops give, across blocks of every alignment.
TEST(UnicodeText, FastPathsConvertAsThePlainLoopsDo) {
    if (!runs::Runs(runs::Level::Avx2)) GTEST_SKIP() << "this processor has no AVX2";
    const CodePage932& cp = Cp932();
    std::vector<char16_t> japanese;
    for (unsigned u = 0x3000; u < 0x10000; ++u) {
        // Two-byte codes only: no code's lead byte is 0.
        if ((cp.CommonPairBytes()[u] & 0xFF) != 0) japanese.push_back(static_cast<char16_t>(u));
    }
    const char32_t rare[] = {0xE9, 0x3B1, 0xA7, 0x301C, 0xAC00, 0x1F600, 0xE000, 0xE03F};
    std::mt19937 rng(64);
    auto pick = [&](std::size_t n) {
        return std::uniform_int_distribution<std::size_t>(0, n - 1)(rng);
    };
    for (int round = 0; round < 60; ++round) {
        std::string utf8;
        while (utf8.size() < 20000 + 400 * static_cast<std::size_t>(round)) {
            for (std::size_t n = pick(40); n > 0; --n)
                utf8 += static_cast<char>(pick(4) == 0 ? "\r\n"[pick(2)] : 0x20 + pick(0x5F));
            for (std::size_t n = pick(30); n > 0; --n)
                AppendUtf8(utf8, japanese[pick(japanese.size())]);
            for (std::size_t n = pick(4) == 0 ? pick(12) : 0; n > 0; --n)
                AppendUtf8(utf8, 0xFF61 + pick(63));  // half-width katakana
            // Cyrillic, which the walks leave to the plain loops for a while
            for (std::size_t n = round % 3 == 0 && pick(8) == 0 ? pick(300) : 0; n > 0; --n)
                AppendUtf8(utf8, 0x410 + pick(64));
            if (pick(20) == 0) AppendUtf8(utf8, rare[pick(std::size(rare))]);
        }
        if (round % 10 == 9) utf8.insert(pick(utf8.size()), 1, '\xFF');
        const Cp932Text plain = Utf8ToCp932(utf8, cp, runs::Level::Plain);
        for (const runs::Level level : {runs::Level::Avx2, runs::Level::Avx512}) {
            if (!runs::Runs(level)) continue;
            const Cp932Text fast = Utf8ToCp932(utf8, cp, level);
            ASSERT_EQ(fast.status, plain.status) << round;
            ASSERT_EQ(fast.errorOffset, plain.errorOffset) << round;
            ASSERT_EQ(fast.bytes, plain.bytes) << round;
        }
        std::string spoilt = plain.bytes;
        for (std::size_t n = spoilt.size() / 500; n > 0; --n)
            spoilt[pick(spoilt.size())] = static_cast<char>(pick(256));
        for (const std::string& bytes : {plain.bytes, spoilt}) {
            const std::string utf8Plain =
                Cp932ToUtf8(bytes, plain.standIns, cp, runs::Level::Plain);
            for (const runs::Level level : {runs::Level::Avx2, runs::Level::Avx512}) {
                if (!runs::Runs(level)) continue;
                ASSERT_EQ(Cp932ToUtf8(bytes, plain.standIns, cp, level), utf8Plain) << round;
            }
        }
    }
}

TEST(UnicodeText, StandInsNeverTakeTheTextsOwnCodes) {
    // U+E03F is the user-defined character of 0xF080, the first stand-in code; the
    // second text meets it only after the emoji has been given a code.
    for (const std::u16string text : {u"\uE03F\U0001F600", u"\U0001F600\uE03F"}) {
        const Cp932Text t = Utf16ToCp932(text);
        EXPECT_EQ(t.standIns.CharacterOf(0xF080), 0u);
        EXPECT_EQ(Cp932ToUtf16(t.bytes, t.standIns), text);
    }
}

// Converted over its own buffer, a text comes out as the copying conversion gives
// it: in place all the way, and from a first foreign character on through a pass of
// its own, which keeps the user-defined codes the text held before out of its
// stand-ins and counts a failure's offset from the start.
TEST(UnicodeText, InPlaceConversionMatchesTheCopyingOne) {
    std::string run;  // hiragana (a, i) and ASCII, long enough for the vector walks
    for (int k = 0; k < 3000; ++k)
        run += "\xE3\x81\x82\xE3\x81\x84 ab\n";
    const std::string emoji = "\xF0\x9F\x98\x80";  // U+1F600
    const std::string own = "\xEE\x80\xBF";        // U+E03F, at the first stand-in's code
    for (const std::string& text :
         {run, run + emoji + run, run + own + run + emoji + run, run + emoji + own + run,
          run + emoji + "\xFF" + run, "\xEF\xBB\xBF" + run + emoji}) {
        for (const std::size_t from : {0, 3}) {
            const Cp932Text copied = Utf8ToCp932(std::string_view(text).substr(from));
            const Cp932Text over = Utf8ToCp932InPlace(std::string(text), from);
            ASSERT_EQ(over.status, copied.status) << text.size() << " " << from;
            EXPECT_EQ(over.errorOffset, copied.errorOffset);
            EXPECT_EQ(over.bytes, copied.bytes);
            if (over.status == Status::Ok) {
                EXPECT_EQ(Cp932ToUtf8(over.bytes, over.standIns), text.substr(from));
            }
        }
    }
}

// Written over its own input, the result starts level with what is read and is
// written in place only once it lies far enough behind: the vector walks' spare
// bytes past the result, and the copies of ASCII, must never land on bytes still
// unread. The first kilobyte holds from none to twenty Japanese characters, so
// the place where the result starts to be written in place moves about.
TEST(UnicodeText, InPlaceSpareWritesNeverReachUnreadInput) {
    std::mt19937 rng(12);
    auto pick = [&](std::size_t n) {
        return std::uniform_int_distribution<std::size_t>(0, n - 1)(rng);
    };
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        for (std::size_t k = pick(21); k > 0; --k)
            text += "\xE3\x81\x82";  // hiragana a
        text.resize((1 << 10) - pick(8), 'a');
        for (std::size_t k = pick(40); k > 0; --k) {
            switch (pick(8)) {
                case 0:
                    text += "\xE3\x81\x82";
                    break;
                case 1:
                    text += "\xE6\xBC\xA2";  // kanji kan
                    break;
                case 2:
                    text += "\xF0\x9F\x98\x80";  // U+1F600
                    break;
                default:
                    text.append(pick(30), static_cast<char>('a' + pick(26)));
            }
        }
        const Cp932Text copied = Utf8ToCp932(text, Cp932(), runs::Level::Plain);
        for (const runs::Level level :
             {runs::Level::Plain, runs::Level::Avx2, runs::Level::Avx512}) {
            if (!runs::Runs(level)) continue;
            const Cp932Text over = Utf8ToCp932InPlace(std::string(text), 0, Cp932(), level);
            ASSERT_EQ(over.bytes, copied.bytes) << round;
        }
    }
}

TEST(UnicodeText, StandInsRunOutAtThePoolSize) {
    std::string hangul;  // distinct syllables, three bytes each
    for (char32_t c = 0xAC00; c < 0xAC00 + StandIns::kCodeCount; ++c)
        AppendUtf8(hangul, c);
    EXPECT_EQ(Utf8ToCp932(hangul).status, Status::Ok);
    const Cp932Text more = Utf8ToCp932(hangul + "\xEA\xB0\x80\xED\x9E\xA3");  // two more
    EXPECT_EQ(more.status, Status::TooManyForeign);
    EXPECT_EQ(more.errorOffset, 3 * StandIns::kCodeCount + 3);
    // A user-defined character of the text's own takes one code away.
    EXPECT_EQ(Utf8ToCp932("\xEE\x80\x80" + hangul).status, Status::TooManyForeign);
}

TEST(UnicodeText, InvalidUtf8IsRefusedAtItsOffset) {
    const std::pair<std::string_view, std::size_t> bad[] = {
        {"\x80", 0},                  // a continuation byte alone
        {"ab\xC0\xAF", 2},            // overlong "/"
        {"a\xE0\x80\xAF", 1},         // overlong "/" in three bytes
        {"a\xE0\x80\x80", 1},         // overlong NUL in three bytes
        {"\xED\xA0\x80", 0},          // a surrogate
        {"\xF4\x90\x80\x80", 0},      // beyond U+10FFFF
        {"\xE3\x81\x41", 0},          // hiragana cut short
        {"abc\xE3\x81", 3},           // the same at the end
        {"\xF0\x9F\x98\x80\xFF", 4},  // after an emoji
        {"\xC3\xA9\xE0\x83\xA9", 2}   // overlong e-acute after one lent a stand-in
    };
    // Also amid hiragana (a), where the vector walks meet it.
    std::string run;
    for (int k = 0; k < 70; ++k)
        run += "\xE3\x81\x82";
    for (const auto& [bytes, offset] : bad) {
        for (const runs::Level level :
             {runs::Level::Plain, runs::Level::Avx2, runs::Level::Avx512}) {
            if (!runs::Runs(level)) continue;
            for (const std::string& before : {std::string(), run}) {
                const std::string text = before + std::string(bytes) + run;
                const Cp932Text t = Utf8ToCp932(text, Cp932(), level);
                EXPECT_EQ(t.status, Status::InvalidUtf8) << ::testing::PrintToString(text);
                EXPECT_EQ(t.errorOffset, before.size() + offset) << ::testing::PrintToString(text);
                EXPECT_TRUE(t.bytes.empty());
            }
        }
    }
}

TEST(UnicodeText, UndefinedBytesComeBackAsReplacementCharacters) {
    const StandIns none;
    // a lone lead byte at the end; an undefined code; a lead byte before an ASCII byte
    EXPECT_EQ(Cp932ToUtf8("a\x81", none), "a\xEF\xBF\xBD");
    EXPECT_EQ(Cp932ToUtf8("\x85\x80z", none), "\xEF\xBF\xBDz");
    EXPECT_EQ(Cp932ToUtf16("\x81\x0D\x0A", none), u"\uFFFD\r\n");
}

// Random texts whose stand-ins are drawn from every code, filtered with random
// options, against the same texts with each stand-in replaced by a kanji whose
// code differs only in its lead byte (0x89..0x92, a row no piece below uses).
TEST(UnicodeText, StandInsSurviveEveryStepWithEveryOption) {
    const auto rules = std::filesystem::temp_directory_path() / "qm-unicode-rules.txt";
    std::ofstream(rules, std::ios::binary) << "a\tb\r\nhttp\tftp\r\n\x82\xA0\t<\r\n";
    std::vector<std::uint16_t> codes;
    StandIns all;
    for (char32_t c = 0x10000; c < 0x10000 + StandIns::kCodeCount; ++c)
        codes.push_back(all.CodeFor(c));
    const std::string_view pieces[] = {
        "a",
        "Z",
        "7",
        " ",
        "\t",
        "\r\n",
        "<b>",
        "</p>",
        "&",
        "\"",
        ",",
        "ttp://x.jp/",
        "www.",
        "http://ime.nu/",
        "\\",
        "\x82\xD0\x82\xE7",  // hiragana hi, ra
        "\x83\x4A\x81\x5B",  // katakana ka, long mark
        "\xB6\xDE\xA4",      // half-width ka, voiced mark, comma
        "\x82\x60\x82\x50",  // full-width A, 1
        "\x81\x42\x81\x40",  // full stop, full-width blank
        "\x87\x57",          // Roman numeral four
    };
    std::mt19937 rng(932);
    auto pick = [&](std::size_t n) {
        return std::uniform_int_distribution<std::size_t>(0, n - 1)(rng);
    };
    for (int round = 0; round < 400; ++round) {
        FilterOptions o;
        for (const FilterOptionField& f : FilterOptionFields()) {
            if (f.kind == FilterOptionField::Kind::Check) o.*f.check = pick(2);
            if (f.kind == FilterOptionField::Kind::Radio)
                o.*f.radio = static_cast<int>(pick(f.items));
        }
        o.FilterFile = rules.string();
        std::string text, neutral;
        for (std::size_t k = pick(40); k > 0; --k) {
            if (pick(3) == 0) {
                const std::uint16_t code = codes[pick(codes.size())];
                text += {static_cast<char>(code >> 8), static_cast<char>(code)};
                neutral += {static_cast<char>((code >> 8) - 0xF0 + 0x89), static_cast<char>(code)};
            } else {
                const std::string_view piece = pieces[pick(std::size(pieces))];
                text += piece;
                neutral += piece;
            }
        }
        std::string want = FilterText(neutral, o);
        for (std::size_t i = 0; i < want.size(); ++i) {
            const auto b = static_cast<unsigned char>(want[i]);
            if (b >= 0x89 && b <= 0x92) want[i] = static_cast<char>(b - 0x89 + 0xF0);
            i += Cp932().IsLead(b);
        }
        ASSERT_EQ(FilterText(text, o), want)
            << ::testing::PrintToString(text) << " round " << round;
    }
    std::filesystem::remove(rules);
}

TEST(UnicodeText, ClipboardRunTellsWhatToWrite) {
    FilterOptions katakana;
    katakana.KanaMode1 = 2;
    auto filter = [&](std::string_view t) { return FilterText(t, katakana); };
    // "cafe 😀 ひらがな〜한국어" with an accent, the wave dash and Hangul
    const Utf16Filtered changed = FilterUtf16(
        u"caf\u00E9 \U0001F600 \u3072\u3089\u304C\u306A\u301C\uD55C\uAD6D\uC5B4", filter);
    EXPECT_EQ(changed.outcome, Utf16Filtered::Outcome::Changed);
    EXPECT_EQ(changed.text,
              u"caf\u00E9 \U0001F600 \u30D2\u30E9\u30AC\u30CA\u301C\uD55C\uAD6D\uC5B4");
    EXPECT_EQ(FilterUtf16(u"\U0001F600\uD55C\r\n", filter).outcome,
              Utf16Filtered::Outcome::Unchanged);
    std::u16string hangul;
    for (char32_t c = 0xAC00; c <= 0xAC00 + StandIns::kCodeCount; ++c)
        AppendUtf16(hangul, c);
    EXPECT_EQ(FilterUtf16(hangul, filter).outcome, Utf16Filtered::Outcome::TooManyForeign);
}

TEST(UnicodeText, ByteOrderMarkStaysAtTheStart) {
    FilterOptions o;
    o.AddLI = true;
    auto filter = [&](std::string_view t, std::size_t& end) {
        return FilterTextWithEnd(t, o, end);
    };
    EXPECT_EQ(FilterUtf8("\xEF\xBB\xBF"
                         "a\nb",
                         filter)
                  .text,
              "\xEF\xBB\xBF<li>a\r\n<li>b");
    EXPECT_EQ(FilterUtf8("\xEF\xBB\xBF"
                         "a\xFF",
                         filter)
                  .errorOffset,
              4u);
}

// Random bytes, mostly pieces of characters, through the fuzzing entry points.
TEST(UnicodeText, FuzzEntryPointsHoldOnRandomBytes) {
    const std::string_view pieces[] = {"a",
                                       "\r\n",
                                       "\x80",
                                       "\xC3\xA9",
                                       "\xE3\x81\xB2",
                                       "\xF0\x9F\x98\x80",
                                       "\xED\xA0\x80",
                                       "\xEE\x80\x80",
                                       "\x82\xA0",
                                       "\xF0\x80",
                                       "\x81",
                                       "\xB1",
                                       "\x00",
                                       "\xFF",
                                       "\x3D\xD8",
                                       "\x00\xDC"};
    std::mt19937 rng(8);
    for (int round = 0; round < 3000; ++round) {
        std::string bytes;
        for (int k = std::uniform_int_distribution<int>(0, 12)(rng); k > 0; --k)
            bytes +=
                pieces[std::uniform_int_distribution<std::size_t>(0, std::size(pieces) - 1)(rng)];
        const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
        fuzz::Utf8RoundTrip(data, bytes.size());
        fuzz::Utf16RoundTrip(data, bytes.size());
        fuzz::Cp932ToUnicode(data, bytes.size());
    }
}

}  // namespace
}  // namespace qm
