// Opening an exported file for the user: the desktop's handler of the file, else the
// default HTML application's command. Failures are silent. Tests replace the launcher.
#pragma once

#include <functional>
#include <string>
#include <vector>

using ViewerLauncher = std::function<void(const std::string& path)>;

// Replaces the launcher while set; {} restores the desktop's.
void SetViewerLauncher(ViewerLauncher launcher);
void OpenExportedFile(const std::string& path);

// The Exec line of a desktop entry file's [Desktop Entry] group; empty when it has none.
std::string DesktopEntryExec(const std::string& desktopFile);
// The program and arguments of an Exec line for path: the line is cut at its first file
// placeholder (%f, %F, %u, %U; a quote right before it goes too), split into words, and the
// path appended as one more argument. Empty when no program is left.
std::vector<std::string> ViewerCommand(const std::string& execLine, const std::string& path);
