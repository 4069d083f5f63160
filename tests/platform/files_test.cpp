#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/files.h"
#include "support/temp_dir.h"

TEST(Files, ModuleFolderIsTheExecutablesFolderWithSlash) {
    std::string folder = GetModuleFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '/');
    EXPECT_TRUE(std::filesystem::exists(folder));
    EXPECT_EQ(GetDatabasePath(), folder + "OrviMdb/OrviCrm.db");
    EXPECT_EQ(GetSettingsPath(), folder + "Ini/WindowPar.Ini");
}

TEST(Files, MakesEveryMissingFolderButNotTheFile) {
    TempModuleFolder temp;
    std::string path = temp.Path() + "a/b/c/WindowPar.Ini";
    EXPECT_TRUE(MakeSureDirectoryPathExists(path));
    EXPECT_TRUE(std::filesystem::is_directory(temp.Path() + "a/b/c"));
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(Files, FolderBlockedByAFileIsReported) {
    TempModuleFolder temp;
    std::ofstream(temp.Path() + "Ini") << "x";
    EXPECT_FALSE(MakeSureDirectoryPathExists(temp.Path() + "Ini/WindowPar.Ini"));
}
