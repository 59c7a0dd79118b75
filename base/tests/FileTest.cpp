#include "base/File.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>

namespace qm {
namespace {

namespace fs = std::filesystem;

std::optional<EFileRefused::Reason> Refusal(const std::string& path, const FileOptions& options) {
    try {
        ReadWholeFile(path, options);
    } catch (const EFileRefused& e) {
        return e.GetReason();
    }
    return std::nullopt;
}

// A settings file named by a folder was read as an error of its own on Windows only.
TEST(ReadWholeFile, RefusesAFolderAndAFileOverItsBound) {
    const fs::path dir = fs::temp_directory_path() / "qm-readwholefile";
    fs::create_directories(dir);
    const std::string file = (dir / "a.txt").string();
    std::ofstream(file, std::ios::binary).write("ab\0c", 4);
    FileOptions options;
    options.regularOnly = true;
    EXPECT_EQ(Refusal(dir.string(), options), EFileRefused::Reason::NotAFile);
    options.maxBytes = 3;
    EXPECT_EQ(Refusal(file, options), EFileRefused::Reason::TooLarge);
    options.maxBytes = 4;
    EXPECT_EQ(ReadWholeFile(file, options), std::string("ab\0c", 4));
    fs::remove_all(dir);
}

}  // namespace
}  // namespace qm
