// Paths of the module's files and folder creation.
#pragma once

#include <string>

// The folder of the running executable, with a trailing '/'.
std::string GetModuleFolder();
// The folder of the database file: GetModuleFolder() + "OrviMdb/" when that exists or the
// module folder can be written, else $XDG_DATA_HOME/OrviCrm/ (~/.local/share/OrviCrm/).
std::string GetDataFolder();
// The folder of the settings files: GetModuleFolder() + "Ini/" when that exists or the
// module folder can be written, else $XDG_CONFIG_HOME/OrviCrm/ (~/.config/OrviCrm/).
std::string GetConfigFolder();
// The database every window connects to: the environment's ORVICRM_DATABASE, else the
// Connection= line of [Database] in GetConfigFolder() + "Database.Ini" (a server's
// connection string), else the file GetDataFolder() + "OrviCrm.db".
std::string GetDatabasePath();
// GetConfigFolder() + "WindowPar.Ini".
std::string GetSettingsPath();
// Creates every missing folder of the path up to its last '/'; false when one cannot be made.
bool MakeSureDirectoryPathExists(const std::string& path);
// Tests point the module at a folder of their own; an empty text restores the default.
void SetModuleFolderOverride(const std::string& folder);
