#include "engine/UserFilter.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>

#include "base/Exception.h"
#include "engine/Pipeline.h"
#include "engine/Sjis.h"
#include "engine/tests/PlainForms.h"
#include "engine/tests/RandomText.h"
#include "engine/tests/UserFilterReference.h"
#include "engine/tests/VectorLevels.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#endif

namespace qm {
namespace {

using namespace testing;

namespace fs = std::filesystem;

class TempDir {
  public:
    TempDir() {
        static int serial = 0;
        path_ =
            fs::temp_directory_path() /
            ("qm-userfilter-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "-" + std::to_string(serial++));
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    std::string Write(const std::string& name, std::string_view content) const {
        const fs::path file = path_ / name;
        std::ofstream(file, std::ios::binary)
            .write(content.data(), static_cast<std::streamsize>(content.size()));
        return file.string();
    }
    const fs::path& Path() const { return path_; }

  private:
    fs::path path_;
};

std::string Filter(std::string_view text, const std::string& path) {
    FilterOptions o;
    o.UseCustomFilter = true;
    o.FilterFile = path;
    return FilterText(text, o);
}

// "Fairu "%s" wa akemasen. %s (File "%s" cannot be opened.)"
std::string CannotOpen(const std::string& fullPath, const std::string& reason) {
    return "\x83\x74\x83\x40\x83\x43\x83\x8B \"" + fullPath +
           "\" \x82\xCD\x8A\x4A\x82\xAF\x82\xDC\x82\xB9\x82\xF1\x81\x42" + reason;
}

TEST(FieldOf, FieldsBetweenSeparators) {
    EXPECT_EQ(FieldOf("a\tb\tc", "\t", 0), "a");
    EXPECT_EQ(FieldOf("a\tb\tc", "\t", 1), "b");
    EXPECT_EQ(FieldOf("a\tb\tc", "\t", 2), "c");
    EXPECT_EQ(FieldOf("a\tb\tc", "\t", 3), "");
    EXPECT_EQ(FieldOf("abc", "\t", 0), "abc");
    EXPECT_EQ(FieldOf("abc", "\t", 1), "");
    EXPECT_EQ(FieldOf("a\t\tb", "\t", 1), "");
    EXPECT_EQ(FieldOf("a\t\tb", "\t", 2), "b");
    EXPECT_EQ(FieldOf("a\tb", "\t", -1), "");
    EXPECT_EQ(FieldOf("a::b::c", "::", 2), "c");
}

TEST(ApplyFilterRules, HowRuleLinesRead) {
    EXPECT_EQ(ApplyFilterRules("abc-abc", "abc\txyz"), "xyz-xyz");
    EXPECT_EQ(ApplyFilterRules("abc-abc", "abc"), "-");
    EXPECT_EQ(ApplyFilterRules("abc-abc", "abc\t"), "-");
    EXPECT_EQ(ApplyFilterRules("abc", "abc\txyz\tremark"), "xyz");
    EXPECT_EQ(ApplyFilterRules("abc", "\txyz"), "abc");
    EXPECT_EQ(ApplyFilterRules("abc", "abc\t\txyz"), "");
    EXPECT_EQ(ApplyFilterRules("abc", "# abc\tx\r\n\r\n#abc\r\n"), "abc");
    EXPECT_EQ(ApplyFilterRules("a#b", " #\tx\r\na#b\ty"), "y");
    EXPECT_EQ(ApplyFilterRules("\x81\x94x", "\x81\x94x\ty"),
              "y");  // full-width number sign starts no comment
}

TEST(ApplyFilterRules, RulesApplyInFileOrder) {
    EXPECT_EQ(ApplyFilterRules("ab", "a\tb\nb\tc"), "cc");
    EXPECT_EQ(ApplyFilterRules("ab", "b\tc\na\tb"), "bc");
    EXPECT_EQ(ApplyFilterRules("aXa", "a\taa"), "aaXaa");
    // a deletion joins what was around it, and a later rule finds the join
    EXPECT_EQ(ApplyFilterRules("abc abc", "b\nac\tX"), "X X");
    EXPECT_EQ(ApplyFilterRules("ab", "b\tcd\nacd\tY"), "Y");
    EXPECT_EQ(ApplyFilterRules("Aa", "a\tx"), "Ax");
}

TEST(ApplyFilterRules, SearchNeverBeginsOnASecondByte) {
    EXPECT_EQ(ApplyFilterRules("\x83\x41", "A\tx"), "\x83\x41");  // katakana a
    EXPECT_EQ(ApplyFilterRules("A", "A\tx"), "x");
}

TEST(ApplyFilterRules, FileLinesEndLikeClipboardLines) {
    // rules given as a text end at the NUL (a file holding one is refused): the third
    // line's rule deletes "e"
    const char raw[] = "a\tb\r\nc\td\r\ne\0f\tg\r\nh\ti\r\n";
    const std::string withNul(raw, sizeof raw - 1);
    EXPECT_EQ(ApplyFilterRules("aceh", withNul), "bdh");
    EXPECT_EQ(ApplyFilterRules("abc", "a\t1\rb\t2\nc\t3"), "123");
}

TEST(ApplyFilterRules, RulesNeverMeetALineBreak) {
    EXPECT_EQ(ApplyFilterRules("ab\r\nab\r\n", "b\tx"), "ax\r\nax\r\n");
    EXPECT_EQ(ApplyFilterRules("ab\r\n\r\n", "ab\r\n"), "\r\n\r\n");  // a line can be emptied
}

TEST(ApplyFilterRules, AgreesWithRuleByRuleReplacement) {
    std::mt19937 rng(31);
    const auto textPieces = testing::WithPieces({"ab", "ba", "aa", "\x83\x41\x83\x41"});
    const std::vector<std::string_view> rulePieces = {"a",
                                                      "b",
                                                      "A",
                                                      "x",
                                                      "\t",
                                                      "\r\n",
                                                      "\n",
                                                      "#",
                                                      " ",
                                                      "\x82\xA0",
                                                      "\x83\x41",
                                                      "\x81",
                                                      "\x41",
                                                      "\x40",
                                                      "<",
                                                      "\x81\x40",
                                                      std::string_view("\0", 1)};
    for (int round = 0; round < 3000; ++round) {
        const std::string text = testing::RandomText(rng, textPieces, 40);
        const std::string rules = testing::RandomText(rng, rulePieces, 30);
        ASSERT_EQ(ApplyFilterRules(text, rules), ApplyFilterRulesReference(text, rules))
            << ::testing::PrintToString(text) << " / " << ::testing::PrintToString(rules);
    }
}

// Long lines and search texts of every length, many of them sharing their first
// bytes: the index must find every line a rule changes.
TEST(ApplyFilterRules, LongLinesAgreeWithRuleByRuleReplacement) {
    std::mt19937 rng(32);
    const auto textPieces =
        testing::WithPieces({"abc", "bcd", "cdab", "\x83\x41\x83\x42", "dddddddd"});
    const std::vector<std::string_view> wordPieces = {"a", "b", "c", "d", "\x83\x41", "\x83", "A"};
    for (int round = 0; round < 500; ++round) {
        const std::string text = testing::RandomText(rng, textPieces, 300);
        std::string rules;
        for (int r = 0; r < 12; ++r) {
            const std::string search = testing::RandomText(rng, wordPieces, 6);
            rules += search + "\t[" + search + "]\r\n";
        }
        ASSERT_EQ(ApplyFilterRules(text, rules), ApplyFilterRulesReference(text, rules))
            << ::testing::PrintToString(text) << " / " << ::testing::PrintToString(rules);
    }
}

// Search texts of four bytes or more are looked for in blocks of indexes, up to the
// last four bytes of a line, at every vector level; replacements that delete,
// repeat or reshape them.
TEST(ApplyFilterRules, LongSearchTextsAgreeWithRuleByRuleReplacement) {
    const auto textPieces = testing::WithPieces({"abcd", "cdab", "\x83\x41\x83\x42", "dddd"});
    const std::vector<std::string_view> wordPieces = {"ab", "cd", "d", "\x83\x41", "\x83", "A"};
    for (const VectorLevel level : AvailableVectorLevels()) {
        const ForceVectorLevel forced(level);
        std::mt19937 rng(33);
        for (int round = 0; round < 300; ++round) {
            const std::string text = testing::RandomText(rng, textPieces, 400);
            std::string rules;
            for (int r = 0; r < 10; ++r) {
                std::string search;
                while (search.size() < 4)
                    search += testing::RandomText(rng, wordPieces, 4);
                const std::string other = testing::RandomText(rng, wordPieces, 3);
                const std::string replacements[] = {"", other, other + search + other,
                                                    "d" + search};
                rules += search + "\t" + replacements[r % 4] + "\r\n";
            }
            ASSERT_EQ(ApplyFilterRules(text, rules), ApplyFilterRulesReference(text, rules))
                << LevelName(level) << " " << ::testing::PrintToString(text) << " / "
                << ::testing::PrintToString(rules);
        }
    }
}

// A text is searched a part of whole lines at a time: long lines and occurrences
// that lie across where a part would end if it were cut by size.
TEST(ApplyFilterRules, TextsOfManyPartsAgreeWithRuleByRuleReplacement) {
    std::mt19937 rng(34);
    const std::vector<std::string_view> linePieces = {"abcdef", "\x83\x41\x83\x42", "efab", "b",
                                                      "\x83"};
    const std::string rules = "cdefab\tX\r\nXcd\t\r\nb\x83\x41\tab\r\n";
    for (int round = 0; round < 20; ++round) {
        std::string text;
        while (text.size() < 200000)
            text += testing::RandomText(rng, linePieces, 2000) + "\r\n";
        ASSERT_EQ(ApplyFilterRules(text, rules), ApplyFilterRulesReference(text, rules));
    }
}

// A replacement that holds its own search text makes new search texts only with
// its other bytes: later rules that match across them, or within the copy and the
// bytes beside it, must still run.
TEST(ApplyFilterRules, LaterRulesMatchAroundAReplacementThatRepeatsItsSearchText) {
    const std::string text = "ab c abc xab\r\nabab\r\n";
    for (const char* later : {"Yc\tZ", "Xa\tW", "bY\tV", "XabY\tU", " X\tT", "b\tS", "xa\tR"}) {
        const std::string rules = std::string("ab\tXabY\r\n") + later + "\r\n";
        EXPECT_EQ(ApplyFilterRules(text, rules), ApplyFilterRulesReference(text, rules)) << later;
    }
}

TEST(ApplyFilterRules, HugeRuleSetsGiveTheSameResult) {
    // Enough different bytes in enough rules that the matcher's table is not built.
    std::mt19937 rng(32);
    std::uniform_int_distribution<int> byte(0x20, 0xFF);
    std::string rules, text = "abc\r\n\x82\xA0\x83\x41\r\n";
    for (int r = 0; r < 2500; ++r) {
        for (int k = 0; k < 16; ++k)
            rules += static_cast<char>(byte(rng));
        rules += "\tz\r\n";
        if (r % 500 == 0) text += rules.substr(rules.size() - 19, 16) + "\r\n";
    }
    rules += "a\tb\r\n";
    EXPECT_EQ(ApplyFilterRules(text, rules), ApplyFilterRulesReference(text, rules));
}

TEST(ApplyUserFilter, NoFileNoChangeNoMessage) {
    const TempDir dir;
    EXPECT_EQ(Filter("a\nb", ""), "a\r\nb");
    EXPECT_EQ(Filter("a\nb", (dir.Path() / "missing.txt").string()), "a\r\nb");
    EXPECT_EQ(Filter("a\nb", dir.Path().string()), "a\r\nb");
    EXPECT_EQ(ApplyUserFilter("a", (dir.Path() / "*").string()), "a");
    EXPECT_FALSE(ReadFilterFile(dir.Path().string()));
}

TEST(ApplyUserFilter, FileIsReadAnewOnEveryRun) {
    const TempDir dir;
    const std::string path = dir.Write("rules.txt", "a\tb\r\n");
    EXPECT_EQ(Filter("a\r\n", path), "b\r\n");
    dir.Write("rules.txt", "a\tc\r\n");
    EXPECT_EQ(Filter("a\r\n", path), "c\r\n");
    dir.Write("rules.txt", "# only a comment\r\n\r\n");
    EXPECT_EQ(Filter("a\r\n", path), "a\r\n");
}

std::optional<EFilterFileRefused::Reason> RefusedFor(const std::string& path) {
    try {
        ReadFilterFile(path);
    } catch (const EFilterFileRefused& e) {
        return e.GetReason();
    }
    return std::nullopt;
}

// A filter file saved as UTF-16 ended at its first NUL and became the rule "a",
// which deleted every "a" of every copy.
TEST(ApplyUserFilter, Utf16FileBecameARuleDeletingEveryA) {
    const TempDir dir;
    const std::string path = dir.Write("rules.txt", std::string("a\0\t\0b\0", 6));  // a TAB b
    try {
        Filter("banana", path);
        ADD_FAILURE() << "not refused";
    } catch (const EFilterFileRefused& e) {
        EXPECT_EQ(e.GetReason(), EFilterFileRefused::Reason::NulByte);
        // "Filter file "%s" " and the reason
        const std::string named =
            "\x83\x74\x83\x42\x83\x8B\x83\x5E\x83\x74\x83\x40\x83\x43\x83\x8B \"" +
            fs::canonical(path).string() + "\" \x82\xCD";
        EXPECT_EQ(std::string(e.what()).substr(0, named.size()), named);
    }
}

// A filter file of any size was read whole at every copy.
TEST(ApplyUserFilter, FileOver16MegabytesWasReadAtEveryCopy) {
    const TempDir dir;
    std::string comment(kMaxFilterFileBytes, '#');
    const std::string path = dir.Write("rules.txt", comment);
    EXPECT_EQ(Filter("a", path), "a");
    comment += '#';
    dir.Write("rules.txt", comment);
    EXPECT_EQ(RefusedFor(path), EFilterFileRefused::Reason::TooLarge);
}

#ifdef _WIN32

std::string PlatformErrorText(DWORD code) {
    char buffer[1024] = {};
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                             code, LANG_SYSTEM_DEFAULT, buffer, sizeof buffer, nullptr);
    while (n > 0 && static_cast<unsigned char>(buffer[n - 1]) <= 0x20)
        --n;
    return std::string(buffer, n);
}

TEST(ApplyUserFilter, FileHeldWithoutSharingCannotBeOpenedUntilReleased) {
    const TempDir dir;
    const std::string path = dir.Write("rules.txt", "a\tb\r\n");
    const HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    char full[MAX_PATH];
    ASSERT_GT(GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr), 0u);
    const std::string reason = PlatformErrorText(ERROR_SHARING_VIOLATION);
    EXPECT_FALSE(reason.empty());
    try {
        Filter("a\r\n", path);
        ADD_FAILURE() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(std::string(e.what()), CannotOpen(full, reason));
    }
    CloseHandle(held);
    EXPECT_EQ(Filter("a\r\n", path), "b\r\n");
}

#else

TEST(ApplyUserFilter, FileThatCannotBeOpenedRaisesTheMessage) {
    // A socket exists as a file but opens for nobody, not even for root.
    const TempDir dir;
    const std::string path = (dir.Path() / "rules.sock").string();
    const int s = socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(s, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(path.size(), sizeof address.sun_path);
    std::memcpy(address.sun_path, path.c_str(), path.size());
    ASSERT_EQ(bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    close(s);
    try {
        Filter("a\r\n", path);
        ADD_FAILURE() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(std::string(e.what()),
                  CannotOpen(fs::canonical(path).string(), std::strerror(ENXIO)));
    }
    // the same through a relative path: the message names the full path
    const fs::path before = fs::current_path();
    fs::current_path(dir.Path());
    EXPECT_THROW(ApplyUserFilter("a", "rules.sock"), Exception);
    fs::current_path(before);
}

// A device named as the filter file was read for ever (/dev/zero), and a FIFO read
// as no rules or held up the run.
TEST(ApplyUserFilter, DeviceOrFifoWasReadAsAFile) {
    const TempDir dir;
    const std::string fifo = (dir.Path() / "rules.fifo").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(RefusedFor(fifo), EFilterFileRefused::Reason::NotAFile);
    EXPECT_EQ(RefusedFor("/dev/zero"), EFilterFileRefused::Reason::NotAFile);
}

#endif

}  // namespace
}  // namespace qm
