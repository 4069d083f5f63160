#include "platform/files.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <system_error>

#include "ui/main/ini_file.h"

namespace {
std::mutex g_mutex;
std::string g_override;

std::string WithSlash(std::string folder) {
    if (folder.empty() || folder.back() != '/') folder += '/';
    return folder;
}

// An XDG base folder: the variable when it holds an absolute path, else ~/fallback.
std::string XdgFolder(const char* variable, const char* fallback) {
    if (const char* value = std::getenv(variable); value && value[0] == '/')
        return WithSlash(value);
    std::string home;
    if (const char* value = std::getenv("HOME"); value && *value) {
        home = value;
    } else {
        passwd entry{};
        passwd* user = nullptr;
        char buffer[4096];
        if (getpwuid_r(getuid(), &entry, buffer, sizeof buffer, &user) == 0 && user)
            home = user->pw_dir;
    }
    return WithSlash(home) + fallback;
}

// Whether folder, or its nearest ancestor that exists when it does not yet, can be written.
bool CanBeWritten(std::filesystem::path folder) {
    std::error_code ec;
    while (!std::filesystem::exists(folder, ec) && folder.has_relative_path())
        folder = folder.parent_path();
    return std::filesystem::is_directory(folder, ec) && access(folder.c_str(), W_OK) == 0;
}

// The module folder's own subfolder while it is there or can be made (a host in a folder
// of its own); else the user's folder (an installed host in /usr/bin).
std::string ModuleOrUserFolder(const char* subfolder, const char* variable, const char* fallback) {
    const std::string module = GetModuleFolder();
    std::error_code ec;
    if (std::filesystem::is_directory(module + subfolder, ec) || CanBeWritten(module))
        return module + subfolder + "/";
    return XdgFolder(variable, fallback) + "OrviCrm/";
}
}  // namespace

std::string GetModuleFolder() {
    {
        std::lock_guard lock(g_mutex);
        if (!g_override.empty()) return g_override;
    }
    std::error_code ec;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return "./";
    return WithSlash(exe.parent_path().string());
}

std::string GetDataFolder() {
    return ModuleOrUserFolder("OrviMdb", "XDG_DATA_HOME", ".local/share/");
}

std::string GetConfigFolder() {
    return ModuleOrUserFolder("Ini", "XDG_CONFIG_HOME", ".config/");
}

std::string GetDatabasePath() {
    // A server for every seat: the environment wins over the file beside the settings.
    if (const char* location = std::getenv("ORVICRM_DATABASE"); location && *location)
        return location;
    CIniFile ini;
    ini.SetPath(GetConfigFolder() + "Database.Ini");
    if (ini.ReadFile()) {
        std::string location = ini.GetValue("Database", "Connection");
        if (!location.empty()) return location;
    }
    return GetDataFolder() + "OrviCrm.db";
}

std::string GetSettingsPath() {
    return GetConfigFolder() + "WindowPar.Ini";
}

bool MakeSureDirectoryPathExists(const std::string& path) {
    auto slash = path.rfind('/');
    if (slash == std::string::npos || slash == 0) return true;
    std::error_code ec;
    std::filesystem::path folder(path.substr(0, slash));
    std::filesystem::create_directories(folder, ec);
    return std::filesystem::is_directory(folder, ec);
}

void SetModuleFolderOverride(const std::string& folder) {
    std::lock_guard lock(g_mutex);
    g_override = folder.empty() ? folder : WithSlash(folder);
}
