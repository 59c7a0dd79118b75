#include "app/About.h"

#include <gtest/gtest.h>

#include <fstream>

#include "base/Path.h"

namespace qm {
namespace {

// This test program carries the same version resource as Quillmoth.exe.
TEST(VersionInfoText, ReadsTheProgramsOwnResource) {
    const std::string self = ProgramPath();
    EXPECT_EQ(VersionInfoText(self, 0), "CompanyName : Orrinworks");
    EXPECT_EQ(
        VersionInfoText(self, 1),
        "FileDescription : "
        "\x83\x4e\x83\x8a\x83\x62\x83\x76\x83\x7b\x81\x5b\x83\x68\x81\x45\x83\x74\x83\x42\x83\x8b"
        "\x83\x5e");  // "clipboard filter" in katakana
    EXPECT_EQ(VersionInfoText(self, 2), "FileVersion : 1.1.16.57");
    EXPECT_EQ(VersionInfoText(self, 5), "OriginalFilename : Quillmoth.exe");
    EXPECT_EQ(VersionInfoText(self, 7), "ProductVersion : 1.0.0.0");
    EXPECT_EQ(VersionInfoText(self, 9), VersionInfoText(self, 2));
}

TEST(VersionInfoText, FileWithoutResourceIsUnidentified) {
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    const std::string path = std::string(dir) + "qm-no-version.txt";
    std::ofstream(path) << "plain text";
    for (unsigned i = 0; i <= 8; ++i)
        EXPECT_EQ(VersionInfoText(path, i), "unidentified");
    EXPECT_EQ(VersionInfoText(path + ".missing", 2), "unidentified");
    DeleteFileA(path.c_str());
}

TEST(AboutText, TitleNoticeEmptyLineVersion) {
    EXPECT_EQ(
        AboutText("Quillmoth", ProgramPath()),
        "Quillmoth\x81\x40" + std::string(kCopyrightNotice) + "\r\n\r\nFileVersion : 1.1.16.57");
}

}  // namespace
}  // namespace qm
