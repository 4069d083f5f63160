#include "export/viewer_launch.h"

#include <QDesktopServices>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>
#include <algorithm>
#include <mutex>
#include <sstream>

namespace {

std::mutex g_launcherMutex;
ViewerLauncher g_launcher;

// The default application's command for HTML files (the counterpart of the registered
// "open" command of the .htm class).
void LaunchDefaultHtmlApplication(const std::string& path) {
    QProcess query;
    query.start(QStringLiteral("xdg-mime"),
                {QStringLiteral("query"), QStringLiteral("default"), QStringLiteral("text/html")});
    if (!query.waitForFinished(3000) || query.exitCode() != 0) return;
    const QString entry = QString::fromUtf8(query.readAllStandardOutput()).trimmed();
    if (entry.isEmpty()) return;
    const QString file = QStandardPaths::locate(QStandardPaths::ApplicationsLocation, entry);
    QFile desktop(file);
    if (file.isEmpty() || !desktop.open(QIODevice::ReadOnly)) return;
    const std::vector<std::string> command =
        ViewerCommand(DesktopEntryExec(desktop.readAll().toStdString()), path);
    if (command.empty()) return;
    QStringList arguments;
    for (size_t i = 1; i < command.size(); ++i) arguments << QString::fromStdString(command[i]);
    QProcess::startDetached(QString::fromStdString(command[0]), arguments);
}

void OpenWithDesktop(const std::string& path) {
    if (QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path)))) return;
    LaunchDefaultHtmlApplication(path);
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

std::string DesktopEntryExec(const std::string& desktopFile) {
    std::istringstream in(desktopFile);
    std::string line;
    bool inEntry = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line[0] == '[') {
            inEntry = line == "[Desktop Entry]";
            continue;
        }
        if (inEntry && line.rfind("Exec=", 0) == 0) return line.substr(5);
    }
    return {};
}

std::vector<std::string> ViewerCommand(const std::string& execLine, const std::string& path) {
    size_t cut = std::string::npos;
    for (const char* placeholder : {"%f", "%F", "%u", "%U"})
        cut = std::min(cut, execLine.find(placeholder));
    std::string line = execLine.substr(0, cut);
    if (cut != std::string::npos && cut > 0 && (line.back() == '"' || line.back() == '\''))
        line.pop_back();
    const QStringList words = QProcess::splitCommand(QString::fromStdString(line));
    std::vector<std::string> command;
    for (const QString& word : words) command.push_back(word.toStdString());
    if (command.empty()) return {};
    command.push_back(path);
    return command;
}
