// Paths of the module's files and folder creation.
#pragma once

#include <string>

// The folder of the running executable, with a trailing '/'.
std::string GetModuleFolder();
// GetModuleFolder() + "OrviMdb/OrviCrm.db".
std::string GetDatabasePath();
// GetModuleFolder() + "Ini/WindowPar.Ini".
std::string GetSettingsPath();
// Creates every missing folder of the path up to its last '/'; false when one cannot be made.
bool MakeSureDirectoryPathExists(const std::string& path);
// Tests point the module at a folder of their own; an empty text restores the default.
void SetModuleFolderOverride(const std::string& folder);
