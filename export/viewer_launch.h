// Opening an exported file for the user with the desktop's own opener, so that every file
// type opens in its default program: the platform's services, else xdg-open (or gio open)
// started on its own with the path as one argument. Nothing waits for the viewer; a failure
// is silent to the user and leaves a line on standard error. Tests replace the launcher.
#pragma once

#include <functional>
#include <string>

using ViewerLauncher = std::function<void(const std::string& path)>;

// Replaces the launcher while set; {} restores the desktop's.
void SetViewerLauncher(ViewerLauncher launcher);
void OpenExportedFile(const std::string& path);
