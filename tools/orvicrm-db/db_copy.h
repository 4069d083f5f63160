// Copying every table of one database into another (a file or a server on either side).
#pragma once

#include <string>

// The target gets our tables first when it has none; a target whose tables hold rows is
// refused before anything is written. All rows go over in one transaction of the target, and
// afterwards the row counts of both sides must agree. False with a one-line reason in error.
bool CopyDatabase(const std::string& from, const std::string& to, std::string* error);
