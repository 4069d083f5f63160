#include "export/export_path.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "export/table_writer.h"
#include "platform/files.h"

bool IsFullExportPath(const std::string& path) {
    return !path.empty() && path[0] == '/';
}

std::string WithExportExtension(const std::string& path) {
    if (IsCsvPath(path) || IsXlsxPath(path) || path.find(".htm") != std::string::npos ||
        path.find(".HTM") != std::string::npos)
        return path;
    return path + ".htm";
}

bool PrepareExportFile(const std::string& path) {
    if (!MakeSureDirectoryPathExists(path)) return false;
    struct stat st;
    if (stat(path.c_str(), &st) == 0) return !S_ISDIR(st.st_mode);
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    if (fd < 0) return false;
    close(fd);
    return true;
}
