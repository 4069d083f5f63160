#include "export/viewer_launch.h"

#include <QDesktopServices>
#include <QProcess>
#include <QUrl>
#include <cstdio>
#include <mutex>

namespace {

std::mutex g_launcherMutex;
ViewerLauncher g_launcher;

// For platforms without desktop services (offscreen, minimal sessions). The opener is started
// detached, so one that hangs is not waited for.
bool StartDesktopOpener(const QString& file) {
    if (QProcess::startDetached(QStringLiteral("xdg-open"), {file})) return true;
    return QProcess::startDetached(QStringLiteral("gio"), {QStringLiteral("open"), file});
}

void OpenWithDesktop(const std::string& path) {
    const QString file = QString::fromStdString(path);
    if (QDesktopServices::openUrl(QUrl::fromLocalFile(file))) return;
    if (!StartDesktopOpener(file))
        std::fprintf(stderr, "OrviCrm: cannot open %s: neither xdg-open nor gio could be started\n",
                     path.c_str());
}

}  // namespace

void SetViewerLauncher(ViewerLauncher launcher) {
    std::lock_guard lock(g_launcherMutex);
    g_launcher = std::move(launcher);
}

void OpenExportedFile(const std::string& path) {
    ViewerLauncher launcher;
    {
        std::lock_guard lock(g_launcherMutex);
        launcher = g_launcher;
    }
    if (launcher)
        launcher(path);
    else
        OpenWithDesktop(path);
}
