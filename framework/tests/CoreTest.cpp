#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "base/Exception.h"
#include "framework/FileStream.h"
#include "framework/Stream.h"
#include "framework/Strings.h"

namespace qm {
namespace {

TEST(TStringList, IndexErrorsNameTheIndexAndChangeNothing) {
    TStringList list{"a", "b"};
    EXPECT_THROW(list.Get(2), Exception);
    EXPECT_THROW(list.Insert(3, "x"), Exception);
    EXPECT_THROW(list.Delete(-1), Exception);
    try {
        list.Put(5, "x");
    } catch (const Exception& e) {
        EXPECT_EQ(std::string(e.what()), ListIndexErrorMessage(5));
        EXPECT_NE(std::string(e.what()).find("(5)"), std::string::npos);
    }
    list.Insert(2, "c");
    EXPECT_EQ(list.Items(), (std::vector<std::string>{"a", "b", "c"}));
}

TEST(TMemoryStream, ReadsAndWritesAtItsPosition) {
    TMemoryStream s("abcdef");
    s.SetPosition(4);
    char buf[8] = {};
    EXPECT_EQ(s.Read(buf, 8), 2u);
    EXPECT_STREQ(buf, "ef");
    EXPECT_EQ(s.Read(buf, 8), 0u);
    s.SetPosition(8);
    s.Write("xy", 2);
    EXPECT_EQ(s.Bytes(), std::string("abcdef\0\0xy", 10));
}

TEST(TFileStream, WritesReadsAndSeeksAFile) {
    const std::string path =
        (std::filesystem::temp_directory_path() / "qm_filestream.bin").string();
    {
        TFileStream out(path, fmCreate);
        EXPECT_EQ(out.Write("\x82\xa0"
                            "abc\0z",
                            7),
                  7u);  // hiragana a, abc, a NUL, z
        EXPECT_EQ(out.Size(), 7);
    }
    {
        TFileStream in(path, fmOpenRead);
        char buf[16] = {};
        in.SetPosition(2);
        EXPECT_EQ(in.Read(buf, sizeof buf), 5u);
        EXPECT_EQ(std::string(buf, 5), std::string("abc\0z", 5));
        EXPECT_EQ(in.Position(), 7);
        EXPECT_EQ(in.Read(buf, 1), 0u) << "the end is a short read, not an error";
        EXPECT_THROW(in.Write("x", 1), EInOutError) << "opened for reading only";
    }
    std::filesystem::remove(path);
}

TEST(TFileStream, MissingFileRaisesWithThePlatformsErrorCode) {
    const std::string path =
        (std::filesystem::temp_directory_path() / "qm_no_such_dir" / "x.txt").string();
    try {
        TFileStream in(path, fmOpenRead);
        FAIL();
    } catch (const EInOutError& e) {
        // ENOENT and ERROR_PATH_NOT_FOUND / ERROR_FILE_NOT_FOUND
        EXPECT_TRUE(e.ErrorCode() == ENOENT || e.ErrorCode() == 3) << e.ErrorCode();
        EXPECT_NE(std::string(e.what()).find(path), std::string::npos);
    }
}

}  // namespace
}  // namespace qm
