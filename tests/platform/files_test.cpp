#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "platform/files.h"
#include "support/temp_dir.h"

// The module's folder ends in a slash; missing folders of a path are made, the file not,
// and a file in the way is reported.
TEST(Files, ModuleFolderAndMissingFolders) {
    std::string folder = GetModuleFolder();
    EXPECT_TRUE(folder.ends_with('/')) << folder;
    EXPECT_TRUE(std::filesystem::exists(folder));

    TempModuleFolder temp;
    std::string path = temp.Path() + "a/b/c/WindowPar.Ini";
    EXPECT_TRUE(MakeSureDirectoryPathExists(path));
    EXPECT_TRUE(std::filesystem::is_directory(temp.Path() + "a/b/c"));
    EXPECT_FALSE(std::filesystem::exists(path));
    std::ofstream(temp.Path() + "Ini") << "x";
    EXPECT_FALSE(MakeSureDirectoryPathExists(temp.Path() + "Ini/WindowPar.Ini"));
}

namespace {

// Sets or (nullptr) clears an environment variable for the life of the object.
struct ScopedEnv {
    const char* name;
    std::optional<std::string> old;
    ScopedEnv(const char* n, const char* value) : name(n) {
        if (const char* was = std::getenv(name)) old = was;
        value ? setenv(name, value, 1) : unsetenv(name);
    }
    ~ScopedEnv() { old ? setenv(name, old->c_str(), 1) : unsetenv(name); }
};

enum class HostFolder { Writable, NotYetMade, ReadOnlyWithFolders, Unusable };

}  // namespace

// A host in a folder of its own keeps OrviMdb/ and Ini/ there; an installed one, whose folder
// cannot be written, keeps them in the user's XDG folders, else below HOME.
TEST(Files, DataAndSettingsFollowTheHostFolderElseTheUsersFolders) {
    const char* const inHost[] = {"host/OrviMdb/OrviCrm.db", "host/Ini/WindowPar.Ini"};
    struct Case {
        const char* name;
        HostFolder host;
        bool xdg;              // XDG_DATA_HOME and XDG_CONFIG_HOME set
        const char* database;  // expected, relative to the scratch folder
        const char* settings;
    } cases[] = {
        {"writable", HostFolder::Writable, true, inHost[0], inHost[1]},
        {"not made yet", HostFolder::NotYetMade, true, inHost[0], inHost[1]},
        {"folders exist", HostFolder::ReadOnlyWithFolders, true, inHost[0], inHost[1]},
        {"xdg", HostFolder::Unusable, true, "xd/OrviCrm/OrviCrm.db", "xc/OrviCrm/WindowPar.Ini"},
        {"home", HostFolder::Unusable, false, "home/.local/share/OrviCrm/OrviCrm.db",
         "home/.config/OrviCrm/WindowPar.Ini"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempModuleFolder temp;
        const std::string root = temp.Path();
        ScopedEnv data("XDG_DATA_HOME", c.xdg ? (root + "xd").c_str() : nullptr);
        ScopedEnv config("XDG_CONFIG_HOME", c.xdg ? (root + "xc").c_str() : nullptr);
        ScopedEnv home("HOME", (root + "home").c_str());
        ScopedEnv database("ORVICRM_DATABASE", nullptr);

        if (c.host == HostFolder::Unusable) std::ofstream(root + "host") << "a file in the way";
        if (c.host == HostFolder::Writable) std::filesystem::create_directories(root + "host");
        if (c.host == HostFolder::ReadOnlyWithFolders) {
            for (const char* sub : {"host/OrviMdb", "host/Ini"})
                std::filesystem::create_directories(root + sub);
            std::filesystem::permissions(root + "host", std::filesystem::perms::owner_write,
                                         std::filesystem::perm_options::remove);
        }
        SetModuleFolderOverride(root + "host");
        EXPECT_EQ(GetDatabasePath(), root + c.database);
        EXPECT_EQ(GetSettingsPath(), root + c.settings);
        // A server's connection string in Database.Ini beside the settings wins over the file,
        // the environment's over both.
        const std::string ini =
            std::filesystem::path(root + c.settings).replace_filename("Database.Ini").string();
        MakeSureDirectoryPathExists(ini);
        std::ofstream(ini) << "[Database]\r\nConnection=postgresql://crm@db.example/orvicrm\r\n";
        EXPECT_EQ(GetDatabasePath(), "postgresql://crm@db.example/orvicrm");
        setenv("ORVICRM_DATABASE", "host=/run/x dbname=crm", 1);
        EXPECT_EQ(GetDatabasePath(), "host=/run/x dbname=crm");
        std::error_code ec;  // a host folder never made has no permissions to restore
        std::filesystem::permissions(root + "host", std::filesystem::perms::owner_write,
                                     std::filesystem::perm_options::add, ec);
        SetModuleFolderOverride(root);
    }
}
