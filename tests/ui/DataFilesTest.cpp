#include "ui/DataFiles.h"

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

namespace pagrovix {
namespace {

TEST(ProgramFolder, IsTheFolderWithoutTrailingSeparatorExceptTheRoot) {
    EXPECT_EQ(FolderOf("/usr/bin/pagrovix"), "/usr/bin");
    EXPECT_EQ(FolderOf("/pagrovix"), "/");
    EXPECT_EQ(FolderOf("pagrovix"), ".");
    EXPECT_EQ(FolderOf("build/app/pagrovix"), "build/app");
}

TEST(DataFiles, AreLookedForBesideTheProgramThenUnderItsPrefixThenWhereTheBuildPutThem) {
    EXPECT_EQ(DataFileCandidates("/opt/pv/bin", "/usr/share/pagrovix", "start.html"),
              (std::vector<std::string>{"/opt/pv/bin/data/start.html",
                                        "/opt/pv/share/pagrovix/start.html",
                                        "/usr/share/pagrovix/start.html"}));
}

TEST(DataFiles, TakesTheFirstExistingRegularFile) {
    const auto folder = std::filesystem::temp_directory_path() / "pagrovix-startup-test";
    std::filesystem::create_directories(folder / "dir.html");
    std::ofstream(folder / "b.html") << "x";
    const std::string a = (folder / "a.html").string();
    const std::string b = (folder / "b.html").string();
    const std::string dir = (folder / "dir.html").string();
    EXPECT_EQ(FirstExistingFile({a, dir, b}), b);
    EXPECT_EQ(FirstExistingFile({a, dir}), std::nullopt);
    EXPECT_EQ(FirstExistingFile({}), std::nullopt);
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace pagrovix
