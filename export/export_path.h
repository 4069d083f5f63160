// The file an export goes to: the rules the export dialog applies to a typed path.
#pragma once

#include <string>

// An absolute path (starting at the root).
bool IsFullExportPath(const std::string& path);
// The path with ".htm" appended unless it holds ".htm" or ".HTM" somewhere (".html" and
// ".HTML" included) or ends in ".csv" or ".xlsx" in any letter case.
std::string WithExportExtension(const std::string& path);
// Creates the missing folders of path and, when there is no file yet, an empty one; an
// existing file is left as it is. false when either cannot be made.
bool PrepareExportFile(const std::string& path);
