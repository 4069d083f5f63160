#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "platform/files.h"
#include "tools/orvicrm-db/db_init.h"

TempModuleFolder::TempModuleFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "orvicrm-test-XXXXXX").string();
    char* made = mkdtemp(pattern.data());
    m_path = std::string(made ? made : "/tmp") + "/";
    SetModuleFolderOverride(m_path);
}

TempModuleFolder::~TempModuleFolder() {
    SetModuleFolderOverride("");
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
}

std::string TempModuleFolder::CreateDatabase() const {
    std::string error;
    std::string path = GetDatabasePath();
    EXPECT_TRUE(::CreateDatabase(path, &error)) << error;
    return path;
}
