// The line store: slots and growth, the range error, the two line rules (text and
// file), whole text, comma text, streams, lookup and search, and the string-list
// transfers. Runs natively and under Wine.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "base/Exception.h"
#include "controls/BvStrings.h"
#include "framework/FileStream.h"

namespace qm {
namespace {

std::vector<std::string> Lines(const TBvStrings& s) {
    std::vector<std::string> v;
    for (int i = 0; i < s.Count(); ++i)
        v.push_back(s.Get(i));
    return v;
}

using V = std::vector<std::string>;

// A file in a fresh temporary folder, removed with the folder.
class TempDir {
  public:
    TempDir() {
        static int serial = 0;
        path_ = std::filesystem::temp_directory_path() /
                ("bvstrings-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                 "-" + std::to_string(++serial));
        std::filesystem::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    std::string File(const std::string& name, const std::string& bytes) const {
        const std::string p = Path(name);
        std::ofstream(p, std::ios::binary) << bytes;
        return p;
    }
    std::string Path(const std::string& name) const { return (path_ / name).string(); }
    std::string Read(const std::string& name) const {
        std::ifstream in(Path(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

  private:
    std::filesystem::path path_;
};

// The range error, and that the store is as it was afterwards.
void ExpectRangeError(TBvStrings& s, const std::function<void()>& op) {
    const V before = Lines(s);
    const int capacity = s.Capacity();
    try {
        op();
        ADD_FAILURE() << "no range error";
    } catch (const EInOutError&) {
        ADD_FAILURE() << "an input/output error instead of the range error";
    } catch (const Exception& e) {
        // "the index exceeds the range of the list"
        EXPECT_STREQ(e.what(),
                     "\x83\x43\x83\x93\x83\x66\x83\x62\x83\x4e\x83\x58\x82\xaa\x83\x8a\x83\x58\x83"
                     "\x67\x82\xcc\x94\xcd\x88\xcd\x82\xf0\x92\xb4\x82\xa6\x82\xc4\x82\xa2\x82\xdc"
                     "\x82\xb7");
    }
    EXPECT_EQ(Lines(s), before);
    EXPECT_EQ(s.Capacity(), capacity);
}

TEST(BvStringsSlots, CapacityGrowsByThirtyTwoAndSlotsStayConsistent) {
    TBvStrings s;
    EXPECT_EQ(s.Capacity(), 0);
    s.Add("a");
    EXPECT_EQ(s.Capacity(), 32);
    for (int i = 1; i < 64; ++i)
        s.Add("x");
    EXPECT_EQ(s.Count(), 64);
    EXPECT_EQ(s.Capacity(), 64);
    EXPECT_EQ(s.Add("y"), 64) << "Add answers the new line's index";
    EXPECT_EQ(s.Capacity(), 96) << "a fixed step, not doubling";

    // Insert grows the same way, Delete keeps the capacity.
    TBvStrings t;
    t.SetCapacity(2);
    t.Add("b");
    t.Add("d");
    t.Insert(0, "a");
    EXPECT_EQ(t.Capacity(), 34);
    t.Insert(2, "c");
    t.Insert(4, "e");  // at Count: appends
    EXPECT_EQ(Lines(t), (V{"a", "b", "c", "d", "e"}));
    t.Delete(1);
    t.Delete(3);
    EXPECT_EQ(Lines(t), (V{"a", "c", "d"}));
    EXPECT_EQ(t.Capacity(), 34);
    // The vacated slots are empty: raising Count shows them as empty lines.
    t.SetCount(5);
    EXPECT_EQ(Lines(t), (V{"a", "c", "d", "", ""}));
    t.SetCount(1);
    t.SetCount(3);
    EXPECT_EQ(Lines(t), (V{"a", "", ""}));
    t.SetCount(40);
    EXPECT_EQ(t.Capacity(), 40) << "SetCount grows Capacity to the count";
    t.Exchange(0, 39);
    t.Exchange(5, 5);
    EXPECT_EQ(t.Get(39), "a");
    EXPECT_EQ(t.Get(0), "");
    t.Put(1, "p");
    EXPECT_EQ(t.Get(1), "p");

    t.SetCapacity(t.Capacity());
    EXPECT_EQ(t.Capacity(), 40);
    t.SetCapacity(100);
    EXPECT_EQ(t.Capacity(), 100);
    t.Clear();
    EXPECT_EQ(t.Count(), 0);
    EXPECT_EQ(t.Capacity(), 0);
}

TEST(BvStringsSlots, RangeErrorsComeBeforeAnyChange) {
    TBvStrings s;
    s.Add("a");
    s.Add("b");
    ExpectRangeError(s, [&] { s.Get(2); });
    ExpectRangeError(s, [&] { s.Get(-1); });
    ExpectRangeError(s, [&] { s.Put(2, "x"); });
    ExpectRangeError(s, [&] { s.Delete(-1); });
    ExpectRangeError(s, [&] { s.Delete(2); });
    ExpectRangeError(s, [&] { s.Exchange(0, 2); });
    ExpectRangeError(s, [&] { s.Exchange(-1, 0); });
    ExpectRangeError(s, [&] { s.Insert(-1, "x"); });
    ExpectRangeError(s, [&] { s.Insert(3, "x"); });
    ExpectRangeError(s, [&] { s.SetCount(-1); });
    ExpectRangeError(s, [&] { s.SetCount(0x7FFFFFF + 1); });
    ExpectRangeError(s, [&] { s.SetCapacity(1); });  // below Count
    ExpectRangeError(s, [&] { s.SetCapacity(0x7FFFFFF + 1); });
    ExpectRangeError(s, [&] { s.Error(); });
}

TEST(BvStringsText, SetTextLineRules) {
    TBvStrings s;
    auto split = [&](std::string_view text) {
        s.SetText(text);
        return Lines(s);
    };
    EXPECT_EQ(split(""), V{});
    EXPECT_EQ(split("a"), V{"a"});
    EXPECT_EQ(split("a\r\n"), V{"a"});
    EXPECT_EQ(split("\r\n\r\n"), (V{"", ""}));
    EXPECT_EQ(split("a\n\rb"), (V{"a", "", "b"})) << "LF then CR is two line ends";
    EXPECT_EQ(split("a\rb\nc\r\nd"), (V{"a", "b", "c", "d"})) << "a lone CR ends a line here";
    EXPECT_EQ(split(std::string_view("ab\0cd", 5)), V{"ab"}) << "NUL ends the text";
    EXPECT_EQ(split(std::string_view("\0cd", 3)), V{});
    EXPECT_EQ(split("a\x1a"
                    "b"),
              V{"a\x1a"
                "b"})
        << "0x1A is only special in files";
    // "\x82\xa0\r\n" is hiragana a: bytes pass through untouched.
    EXPECT_EQ(split("\x82\xa0\r\n\x82\r\n"), (V{"\x82\xa0", "\x82"}));
}

TEST(BvStringsText, SetTextPresizesAndTrimsCapacity) {
    TBvStrings s;
    std::string text;
    for (int i = 0; i < 100; ++i)
        text += "0123456789012345678901234567890123456789\r\n";  // 42 bytes a line
    s.SetText(text);
    EXPECT_EQ(s.Count(), 100);
    EXPECT_EQ(s.Capacity(), 100) << "trimmed to Count when done";
    s.SetText("a\r\nb");
    EXPECT_EQ(s.Capacity(), 2);
}

TEST(BvStringsText, GetTextEndsEveryLineWithCrLf) {
    TBvStrings s;
    EXPECT_EQ(s.GetText(), "");
    s.Add("");
    EXPECT_EQ(s.GetText(), "\r\n");
    s.Add("ab");
    EXPECT_EQ(s.GetText(), "\r\nab\r\n");
    // Round trip through the text form.
    TBvStrings t;
    t.SetText(s.GetText());
    EXPECT_EQ(Lines(t), Lines(s));
}

TEST(BvStringsCommaText, BothDirections) {
    TBvStrings s;
    EXPECT_EQ(s.GetCommaText(), "");
    s.Add("a b");
    s.Add("c");
    s.Add("");
    EXPECT_EQ(s.GetCommaText(), "\"a b\",c,") << "an empty last line leaves a trailing comma";
    s.Clear();
    s.Add("x,y");
    s.Add("q\"q");
    EXPECT_EQ(s.GetCommaText(), "\"x,y\",q\"q") << "quotes inside are not doubled";

    auto split = [&](std::string_view text) {
        s.SetCommaText(text);
        return Lines(s);
    };
    EXPECT_EQ(split("a,\"b,c\",d"), (V{"a", "b,c", "d"}));
    EXPECT_EQ(split("x,"), V{"x"});
    EXPECT_EQ(split(",x"), (V{"", "x"}));
    EXPECT_EQ(split(""), V{});
    EXPECT_EQ(split("a\rb"), (V{"a", "b"})) << "CR stops an item";
    EXPECT_EQ(split("\"a b\",c"), (V{"a b", "c"}));
}

TEST(BvStringsCommaText, LongLinesAreWhole) {
    TBvStrings s;
    const std::string big(6000, 'z');
    s.Add("a");
    s.Add(big + " " + big);
    s.Add(big);
    EXPECT_EQ(s.GetCommaText(), "a,\"" + big + " " + big + "\"," + big);
    TBvStrings t;
    t.SetCommaText(s.GetCommaText());
    EXPECT_EQ(Lines(t), Lines(s));
}

TEST(BvStringsFile, LoadFromFileLineRules) {
    TempDir dir;
    TBvStrings s;
    auto load = [&](const std::string& bytes) {
        s.LoadFromFile(dir.File("f.txt", bytes));
        return Lines(s);
    };
    EXPECT_EQ(load(""), V{});
    EXPECT_EQ(load("a\rb\r\n"), V{"ab"}) << "a lone CR is dropped";
    EXPECT_EQ(load("a\r\n\x1a"
                   "b\r\n"),
              V{"a"})
        << "0x1A ends the file";
    EXPECT_EQ(load("a\nb"), (V{"a", "b"})) << "a last line without a break";
    EXPECT_EQ(load("a\x1a"), V{"a"});
    EXPECT_EQ(load("\n\n"), (V{"", ""}));
    EXPECT_EQ(load("a\r"), V{"a"});
    EXPECT_EQ(load(std::string("a\0b\n", 4)), V{std::string("a\0b", 3)}) << "NUL is a byte here";
    // Lines across the reader's buffer boundaries, of any length.
    std::string big;
    V expected;
    for (int i = 0; i < 3000; ++i) {
        std::string line(static_cast<std::size_t>(i * 7 % 200), static_cast<char>('a' + i % 26));
        expected.push_back(line);
        big += line + (i % 3 ? "\r\n" : "\n");
    }
    expected.push_back(std::string(100000, 'q'));
    big += expected.back();
    EXPECT_EQ(load(big), expected);
    EXPECT_EQ(s.Capacity(), s.Count());
}

TEST(BvStringsFile, SaveAndReload) {
    TempDir dir;
    TBvStrings s;
    s.SaveToFile(dir.Path("empty.txt"));
    EXPECT_EQ(dir.Read("empty.txt"), "");
    s.Add("\x88\xea");  // kanji "one"
    s.Add("");
    s.Add("b\tc");
    s.SaveToFile(dir.Path("out.txt"));
    EXPECT_EQ(dir.Read("out.txt"), "\x88\xea\r\n\r\nb\tc\r\n");
    TBvStrings t;
    t.LoadFromFile(dir.Path("out.txt"));
    EXPECT_EQ(Lines(t), Lines(s));
}

TEST(BvStringsFile, FailuresCarryThePlatformErrorCode) {
    TempDir dir;
    TBvStrings s;
    s.Add("kept?");
    try {
        s.LoadFromFile(dir.Path("missing.txt"));
        ADD_FAILURE() << "no error";
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.ErrorCode(), 2);  // ENOENT and ERROR_FILE_NOT_FOUND alike
    }
    EXPECT_EQ(s.Count(), 0) << "the store is cleared before the file is opened";

    s.Add("a");
    try {
        s.SaveToFile(dir.Path(""));  // the folder itself
        ADD_FAILURE() << "no error";
    } catch (const EInOutError& e) {
        EXPECT_NE(e.ErrorCode(), 0);
    }
    EXPECT_EQ(Lines(s), V{"a"});
}

TEST(BvStringsStream, SaveAtPositionAndLoadFromPosition) {
    TBvStrings s;
    s.Add("a");
    s.Add("b");
    TMemoryStream m("xyz");
    m.SetPosition(3);
    s.SaveToStream(m);
    EXPECT_EQ(m.Bytes(), "xyza\r\nb\r\n");

    TMemoryStream in("skip\r\nc\rd");
    in.SetPosition(6);
    TBvStrings t;
    t.Add("old");
    t.LoadFromStream(in);
    EXPECT_EQ(Lines(t), (V{"c", "d"}));
    t.LoadFromStream(in);  // now at its end
    EXPECT_EQ(t.Count(), 0);
}

TEST(BvStringsLookup, IndexOfIsExactAndCaseSensitive) {
    TBvStrings s;
    s.SetText("abc\r\nAbc\r\nabc");
    EXPECT_EQ(s.IndexOf("abc"), 0);
    EXPECT_EQ(s.IndexOf("Abc"), 1);
    EXPECT_EQ(s.IndexOf("ABC"), -1);
    EXPECT_EQ(s.IndexOf("ab"), -1);
}

TEST(BvStringsLookup, SearchFoldsAsciiCaseAndStartsAtThePosition) {
    TBvStrings s;
    s.SetText(
        "xxabcx\r\nqABcq\r\n\x82\xa0"
        "A\r\n");  // hiragana a, A
    int line = 0, column = 1;
    EXPECT_TRUE(s.Search("ABC", line, column));
    EXPECT_EQ(line, 0);
    EXPECT_EQ(column, 3);
    EXPECT_TRUE(s.Search("ABC", line, column)) << "the same match again";
    EXPECT_EQ(column, 3);
    column = 4;
    EXPECT_TRUE(s.Search("ABC", line, column));
    EXPECT_EQ(line, 1);
    EXPECT_EQ(column, 2);

    line = -3;
    column = -1;
    EXPECT_TRUE(s.Search("xA", line, column));
    EXPECT_EQ(line, 0);
    EXPECT_EQ(column, 2);

    // Byte by byte: a match may start on the second byte of a two-byte character.
    line = 0;
    column = 1;
    EXPECT_TRUE(
        s.Search("\xa0"
                 "a",
                 line, column));
    EXPECT_EQ(line, 2);
    EXPECT_EQ(column, 2);

    line = 1;
    column = 1;
    EXPECT_FALSE(s.Search("xx", line, column)) << "never wraps";
    EXPECT_GE(line, s.Count());

    line = 0;
    column = 2;
    EXPECT_FALSE(s.Search("", line, column));
    EXPECT_EQ(line, 0);
    EXPECT_EQ(column, 2);
    // A pattern longer than every line.
    line = 0;
    column = 1;
    EXPECT_FALSE(s.Search("abcdefghijk", line, column));
}

// A plain search to hold the store's against: every position, every line.
bool ReferenceSearch(const V& lines, const std::string& pat, int& line, int& column) {
    auto fold = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c + 32) : c; };
    if (pat.empty()) return false;
    for (int l = std::max(line, 0); l < static_cast<int>(lines.size()); ++l) {
        const std::string& t = lines[static_cast<std::size_t>(l)];
        const int from = (l == std::max(line, 0)) ? std::max(column, 1) : 1;
        for (int c = from; c + static_cast<int>(pat.size()) - 1 <= static_cast<int>(t.size());
             ++c) {
            bool same = true;
            for (std::size_t k = 0; k < pat.size() && same; ++k)
                same = fold(t[static_cast<std::size_t>(c - 1) + k]) == fold(pat[k]);
            if (same) {
                line = l;
                column = c;
                return true;
            }
        }
    }
    return false;
}

TEST(BvStringsLookup, SearchAgreesWithAPlainSearch) {
    std::mt19937 rng(7);
    const char alphabet[] = "aAbB\x82\xa0_";
    for (int round = 0; round < 300; ++round) {
        V lines;
        TBvStrings s;
        const int n = static_cast<int>(rng() % 6);
        for (int i = 0; i < n; ++i) {
            std::string t;
            const int len = static_cast<int>(rng() % 12);
            for (int k = 0; k < len; ++k)
                t += alphabet[rng() % 7];
            lines.push_back(t);
            s.Add(t);
        }
        std::string pat;
        const int plen = 1 + static_cast<int>(rng() % 3);
        for (int k = 0; k < plen; ++k)
            pat += alphabet[rng() % 7];
        int line = static_cast<int>(rng() % 4) - 1, column = static_cast<int>(rng() % 8) - 1;
        int rl = line, rc = column;
        const bool found = s.Search(pat, line, column);
        const bool rfound = ReferenceSearch(lines, pat, rl, rc);
        ASSERT_EQ(found, rfound) << "round " << round;
        if (found) {
            EXPECT_EQ(line, rl);
            EXPECT_EQ(column, rc);
        }
    }
}

// A string list that is not the plain one.
class OtherList : public TStrings {
  public:
    int Count() const override { return static_cast<int>(v.size()); }
    const std::string& Get(int i) const override { return v.at(static_cast<std::size_t>(i)); }
    void Put(int i, std::string s) override { v.at(static_cast<std::size_t>(i)) = std::move(s); }
    void Insert(int i, std::string s) override { v.insert(v.begin() + i, std::move(s)); }
    void Delete(int i) override { v.erase(v.begin() + i); }
    void Clear() override { v.clear(); }
    V v;
};

TEST(BvStringsLists, AddAssignAndAssignTo) {
    TBvStrings s;
    s.SetCapacity(50);
    s.Add("first");
    TStringList list{"a", "b", ""};
    s.AddStrings(list);
    EXPECT_EQ(Lines(s), (V{"first", "a", "b", ""}));
    EXPECT_EQ(s.Capacity(), 4) << "AddStrings sets Capacity to the total";
    s.Assign(TStringList{"x"});
    EXPECT_EQ(Lines(s), V{"x"});

    s.SetText("1\r\n2\r\n3");
    TStringList plain{"old", "old", "old", "old"};
    s.AssignTo(plain);
    EXPECT_EQ(plain.Items(), (V{"1", "2", "3"}));
    OtherList other;
    other.v = {"z"};
    s.AssignTo(other);
    EXPECT_EQ(other.v, (V{"1", "2", "3"}));
}

}  // namespace
}  // namespace qm
