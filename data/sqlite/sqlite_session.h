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

// A writable file on a local file system in write-ahead-log mode, where a reader halfway
// through a list does not hold off other seats' writes. A file made elsewhere may come with
// a rollback journal: it is switched when no other connection is using it (else at a later
// open). On a network file system (NFS, SMB/CIFS) the log's shared memory is unsafe: the
// file keeps its journal. Nothing for another driver's session.
void UseWriteAheadLog(DbSession& session, const std::string& path);
