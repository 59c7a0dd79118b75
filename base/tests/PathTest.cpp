#include "base/Path.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#ifdef _WIN32
#include <windows.h>
#endif

namespace qm {
namespace {

TEST(ExtractFileTitle, CutsOnlyTheLastExtension) {
    EXPECT_EQ(ExtractFileTitle("C:\\q\\My Settings.ini"), "My Settings");
    EXPECT_EQ(ExtractFileTitle("C:\\q\\a.b.ini"), "a.b");
    EXPECT_EQ(ExtractFileTitle("C:noext"), "noext");
    EXPECT_EQ(ExtractFileTitle("C:\\dir.d\\plain"), "plain");
    // The kanji 0x95 0x5C ends with the byte of "\": it is no separator.
    EXPECT_EQ(ExtractFileTitle("C:\\q\\\x95\x5C.ini"), "\x95\x5C");
    EXPECT_EQ(ExtractFileName("C:\\q\\\x95\x5Cx.ini"), "\x95\x5Cx.ini");
}

TEST(PathSplits, ATwoByteCharacterEndingIn5CIsNoSeparator) {
    // C:\<hyo>\<hyoji>.exe: the kanji 0x955C names the folder and begins the program's name.
    const std::string program = "C:\\\x95\x5C\\\x95\x5C\x8E\xA6.exe";
    EXPECT_EQ(ExtractFileDir(program), "C:\\\x95\x5C");
    EXPECT_EQ(ExtractFileName(program), "\x95\x5C\x8E\xA6.exe");
    EXPECT_EQ(ChangeFileExt(program, ".ini"), "C:\\\x95\x5C\\\x95\x5C\x8E\xA6.ini");
    EXPECT_EQ(ChangeFileExt("C:\\a.b\\prog", ".pdf"), "C:\\a.b\\prog.pdf");
}

#ifdef _WIN32

struct TempTree : ::testing::Test {
    void SetUp() override {
        char tmp[MAX_PATH];
        GetTempPathA(MAX_PATH, tmp);
        root = std::string(tmp) + "qm-presets-" + std::to_string(GetCurrentProcessId()) + "\\";
        CreateDirectoryA(root.c_str(), nullptr);
    }
    void TearDown() override { Remove(root); }
    void File(const std::string& relative, DWORD attributes = 0) {
        std::ofstream(root + relative) << "[x]\n";
        if (attributes) SetFileAttributesA((root + relative).c_str(), attributes);
    }
    void Folder(const std::string& relative) {
        CreateDirectoryA((root + relative).c_str(), nullptr);
    }
    static void Remove(const std::string& folder) {
        WIN32_FIND_DATAA d;
        HANDLE h = FindFirstFileA((folder + "*").c_str(), &d);
        if (h != INVALID_HANDLE_VALUE) {
            do {
                const std::string name = d.cFileName;
                if (name == "." || name == "..") continue;
                const std::string path = folder + name;
                if (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                    Remove(path + "\\");
                } else {
                    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                    DeleteFileA(path.c_str());
                }
            } while (FindNextFileA(h, &d));
            FindClose(h);
        }
        RemoveDirectoryA(folder.c_str());
    }
    std::string root;
};

TEST_F(TempTree, FolderFirstThenSubfoldersDepthFirst) {
    File("top.ini");
    File("hidden.ini", FILE_ATTRIBUTE_HIDDEN);
    File("system.ini", FILE_ATTRIBUTE_SYSTEM);
    File("notes.txt");
    Folder("a");
    File("a\\one.ini");
    Folder("a\\deep");
    File("a\\deep\\two.ini");
    Folder("b");
    File("b\\three.ini");
    Folder("x.ini");  // searched as a folder, never listed
    File("x.ini\\four.ini");

    std::vector<std::string> list;
    ListFiles(root.substr(0, root.size() - 1), "*.ini", list);
    for (auto& p : list)
        p = p.substr(root.size());

    // The folder's own files come first, in any order the file system likes.
    ASSERT_EQ(list.size(), 7u);
    std::vector<std::string> top(list.begin(), list.begin() + 3);
    std::sort(top.begin(), top.end());
    EXPECT_EQ(top, (std::vector<std::string>{"hidden.ini", "system.ini", "top.ini"}));
    // Each subfolder's files and its own subfolders come before the next subfolder.
    const std::vector<std::string> rest(list.begin() + 3, list.end());
    auto at = [&](const std::string& s) {
        return std::find(rest.begin(), rest.end(), s) - rest.begin();
    };
    for (const char* p : {"a\\one.ini", "a\\deep\\two.ini", "b\\three.ini", "x.ini\\four.ini"}) {
        EXPECT_LT(at(p), 4) << p;
    }
    EXPECT_EQ(at("a\\deep\\two.ini"), at("a\\one.ini") + 1);
    EXPECT_EQ(std::count(list.begin(), list.end(), "x.ini"), 0);
}

TEST_F(TempTree, FolderNamedWithA5CTrailByteIsSearchedInside) {
    Folder("\x95\x5C");  // the kanji 0x955C
    File("\x95\x5C\\in.ini");
    std::vector<std::string> list;
    ListFiles(root + "\x95\x5C", "*.ini", list);
    EXPECT_EQ(list, std::vector<std::string>{root + "\x95\x5C\\in.ini"});
}

TEST_F(TempTree, TheScanGoesFourLevelsDownAndStopsAtItsLimit) {
    Folder("1");
    Folder("1\\2");
    Folder("1\\2\\3");
    Folder("1\\2\\3\\4");
    Folder("1\\2\\3\\4\\5");
    File("1\\2\\3\\4\\four.ini");
    File("1\\2\\3\\4\\5\\five.ini");
    std::vector<std::string> list;
    EXPECT_TRUE(ListFiles(root, "*.ini", list));
    EXPECT_EQ(list, std::vector<std::string>{root + "1\\2\\3\\4\\four.ini"});
    File("a.ini");
    File("b.ini");
    list.clear();
    EXPECT_FALSE(ListFiles(root, "*.ini", list, kPresetDepth, 2)) << "a third file is left out";
    EXPECT_EQ(list.size(), 2u);
    list.clear();
    EXPECT_TRUE(ListFiles(root, "*.ini", list, kPresetDepth, 3));
}

TEST_F(TempTree, MissingFolderListsNothing) {
    std::vector<std::string> list;
    ListFiles(root + "nowhere", "*.ini", list);
    EXPECT_TRUE(list.empty());
}

#endif

}  // namespace
}  // namespace qm
