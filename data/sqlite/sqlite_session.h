// The driver for a SQLite database file.
#pragma once

#include <memory>
#include <string>

#include "data/driver.h"

// Opens an existing file read-write, or read-only when the file or its folder cannot be
// written (then nothing is created beside it); never creates one.
std::unique_ptr<DbSession> OpenSqlite(const std::string& path, DbError* error);

struct sqlite3;
// The SQLite handle of a session of this driver (for tools and tests), nullptr for another.
sqlite3* SqliteHandle(DbSession& session);
