#include "platform/files.h"

#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <system_error>

#include "ui/main/ini_file.h"

namespace {
std::mutex g_mutex;
std::string g_override;
}  // namespace

std::string GetModuleFolder() {
    {
        std::lock_guard lock(g_mutex);
        if (!g_override.empty()) return g_override;
    }
    std::error_code ec;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return "./";
    std::string folder = exe.parent_path().string();
    if (folder.empty() || folder.back() != '/') folder += '/';
    return folder;
}

std::string GetDatabasePath() {
    // A server for every seat: the environment wins over the file beside the settings.
    if (const char* location = std::getenv("ORVICRM_DATABASE"); location && *location)
        return location;
    CIniFile ini;
    ini.SetPath(GetModuleFolder() + "Ini/Database.Ini");
    if (ini.ReadFile()) {
        std::string location = ini.GetValue("Database", "Connection");
        if (!location.empty()) return location;
    }
    return GetModuleFolder() + "OrviMdb/OrviCrm.db";
}

std::string GetSettingsPath() {
    return GetModuleFolder() + "Ini/WindowPar.Ini";
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
    g_override = folder;
    if (!g_override.empty() && g_override.back() != '/') g_override += '/';
}
