// Copying every table of one database into another (a file or a server on either side).
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "data/schema.h"

// The source is read in one snapshot. The target gets our tables first when it has none; a
// target whose tables hold rows is refused before anything is written. All rows go over in
// one transaction of the target, committed only when the row counts of both sides agree.
// False with a one-line reason in error. progress, when given, hears of the rows written.
bool CopyDatabase(const std::string& from, const std::string& to, std::string* error,
                  const std::function<void(const TableDef& table, int64_t done, int64_t total)>&
                      progress = nullptr);
