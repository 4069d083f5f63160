// Reading what the code under test left behind: a control of a window by its id, a file's
// bytes, whether this process still holds a file open.
#pragma once

#include <QString>
#include <QWidget>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

// The control with the given id (the windows name their controls "id<number>").
template <typename T>
T* Control(const QWidget* window, int id) {
    return window->findChild<T*>(QStringLiteral("id%1").arg(id));
}

// The whole file, "" when it cannot be read.
inline std::string ReadFile(const std::string& path) {
    std::ostringstream out;
    out << std::ifstream(path, std::ios::binary).rdbuf();
    return out.str();
}

inline void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// Whether a descriptor of this process is open on path.
inline bool FileHeldOpen(const std::string& path) {
    for (const auto& fd : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code ec;
        if (std::filesystem::read_symlink(fd.path(), ec) == path) return true;
    }
    return false;
}
