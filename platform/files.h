// Paths of the module's files and folder creation.
#pragma once

#include <string>

// The folder of the running executable, with a trailing '/'.
std::string GetModuleFolder();
// The database every window connects to: the environment's ORVICRM_DATABASE, else the
// Connection= line of [Database] in GetModuleFolder() + "Ini/Database.Ini" (a server's
// connection string), else the file GetModuleFolder() + "OrviMdb/OrviCrm.db".
std::string GetDatabasePath();
// GetModuleFolder() + "Ini/WindowPar.Ini".
std::string GetSettingsPath();
// Creates every missing folder of the path up to its last '/'; false when one cannot be made.
bool MakeSureDirectoryPathExists(const std::string& path);
// Tests point the module at a folder of their own; an empty text restores the default.
void SetModuleFolderOverride(const std::string& folder);
