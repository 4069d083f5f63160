// The database connection of one window or loader thread, with the user messages of its
// failures. Opens a SQLite file (read-write, or read-only when the file or its folder cannot
// be written; never creates one) or a PostgreSQL database named by a connection string, and
// refuses a database without the module's tables. A connection to a server that went away
// connects again at its next command.
#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "orvicrm/ado_types.h"

class DbSession;

// The one message of a write refused because the database is read-only.
void ReportReadOnlyDatabase();
// The text of a lost connection (caption 连接问题).
inline constexpr char kConnectionLostText[] =
    "无法读取数据库资料，可能数据库连接已经断开，请重新连接、然后重试。";
// The message of a lost server connection with the server's reason; committing: the
// connection broke in a COMMIT, which the server may have carried out.
void ReportLostConnection(const std::string& reason, bool committing = false);
// The module's tables (names as in the schema) that the database lacks, from one query;
// false with the database's description in error when the query fails.
bool FindMissingTables(DbSession& session, std::vector<std::string>* missing, std::string* error);

// How long a server session keeps a reader connection that has nothing to do (30 s unless
// set): it is closed afterwards. Sessions opened later use a new value.
void SetReaderIdleTime(std::chrono::milliseconds idle);
std::chrono::milliseconds ReaderIdleTime();

// While one lives, the queries of its thread outside a transaction read on a reader
// connection of a server session (up to four, opened as needed), so that a long list load
// leaves the session's own connection to the commands and short queries of every window.
class StreamingLoad {
public:
    StreamingLoad();
    ~StreamingLoad();
    StreamingLoad(const StreamingLoad&) = delete;
    StreamingLoad& operator=(const StreamingLoad&) = delete;
};

// Every window of the process that connects to the same server location (the same
// connection string) uses one session; the last one to close it closes it. A file has a
// connection per window.
class CAdoConnection {
public:
    CAdoConnection() = default;
    virtual ~CAdoConnection();
    CAdoConnection(const CAdoConnection&) = delete;
    CAdoConnection& operator=(const CAdoConnection&) = delete;

    // 1 when open (an open connection is kept as it is), 0 after the failure messages.
    // location: a database file's path or a server's connection string.
    int ConnectDatabase(const std::string& location);
    void CloseDatabase();
    // Runs statements that return no rows: 1 done, 0 failed (reported unless never connected).
    int ExecuteSql(const std::string& sql);
    // A write transaction on this connection: 1 done, 0 failed (reported like ExecuteSql).
    // BeginTrans takes the write lock at once, waiting for another writer as a write does.
    // RollbackTrans without an open transaction (the database may have ended it on an
    // error) does nothing and answers 1.
    int BeginTrans();
    int CommitTrans();
    int RollbackTrans();
    _ConnectionPtr GetConnection() const { return m_connection; }
    // Shows the errors of the last failed call: kind 0 opening, 2 closing (caption
    // "连接失败"), 1 and 3 executing (application message box). Other kinds do nothing.
    void ReportConnectionErrors(int kind);

    const char* GetDatabasePathText() const { return m_path; }  // without a password
    bool IsConnected() const { return m_connected != 0; }
    bool IsReadOnly() const;  // opened read-only: every write is refused

private:
    _ConnectionPtr m_connection;
    char m_path[512] = {};
    int m_connected = 0;
    std::vector<std::string> m_errors;  // the provider's descriptions of the last failure
};
