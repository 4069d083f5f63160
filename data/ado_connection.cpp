#include "data/ado_connection.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <thread>

#include "data/db_handles.h"
#include "data/recordset.h"
#include "data/schema.h"
#include "platform/message_box.h"

namespace {

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string FolderOf(const std::string& path) {
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// An existing file that this process may not change: the file or its folder (where SQLite
// keeps its journal and shared-memory files) is not writable.
bool NeedsReadOnlyOpen(const std::string& path) {
    if (access(path.c_str(), F_OK) != 0) return false;
    return access(path.c_str(), W_OK) != 0 || access(FolderOf(path).c_str(), W_OK) != 0;
}

std::string FileUri(const std::string& path) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string uri = "file:";
    for (char c : path) {
        unsigned char u = static_cast<unsigned char>(c);
        if (std::isalnum(u) || std::strchr("/._~-", c)) {
            uri += c;
        } else {
            uri += '%';
            uri += kHex[u >> 4];
            uri += kHex[u & 15];
        }
    }
    return uri;
}

// Opens path read-only without leaving anything beside it: a database without a write-ahead
// log of its own is opened immutable, so no -wal or -shm file is made.
int OpenReadOnly(const std::string& path, sqlite3** db) {
    int flags = SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX;
    if (access((path + "-wal").c_str(), F_OK) == 0)
        return sqlite3_open_v2(path.c_str(), db, flags, nullptr);
    return sqlite3_open_v2((FileUri(path) + "?immutable=1").c_str(), db, flags | SQLITE_OPEN_URI,
                           nullptr);
}

// Busy handler: waits for another connection's lock in short steps, so that a waiter does
// not sleep through the moments the lock is free while several writers take turns.
int WaitForLock(void* data, int count) {
    auto* connection = static_cast<OrviConnection*>(data);
    auto now = std::chrono::steady_clock::now();
    if (count == 0) connection->busySince = now;
    if (now - connection->busySince >= std::chrono::milliseconds(kBusyTimeoutMs)) return 0;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return 1;
}

std::string Join(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) text += (text.empty() ? "" : "、") + name;
    return text;
}

}  // namespace

void ReportReadOnlyDatabase() {
    ShowMessage(0, "数据库是只读的，不能保存修改。", "错误", MsgIcon::Error);
}

bool FindMissingTables(sqlite3* db, std::vector<std::string>* missing, std::string* error) {
    sqlite3_stmt* stmt = nullptr;
    int rc = sqlite3_prepare_v2(db, "SELECT name FROM sqlite_master WHERE type='table'", -1, &stmt,
                                nullptr);
    std::vector<std::string> present;
    while (rc == SQLITE_OK && (rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        const unsigned char* name = sqlite3_column_text(stmt, 0);
        present.push_back(Lower(name ? reinterpret_cast<const char*>(name) : ""));
        rc = SQLITE_OK;
    }
    if (rc != SQLITE_DONE) *error = sqlite3_errmsg(db);
    sqlite3_finalize(stmt);
    if (rc != SQLITE_DONE) return false;
    missing->clear();
    for (const TableDef* table : AllTables())  // table names ignore case, as in SQL
        if (std::find(present.begin(), present.end(), Lower(table->name)) == present.end())
            missing->push_back(table->name);
    return true;
}

CAdoConnection::~CAdoConnection() {
    CloseDatabase();
}

int CAdoConnection::ConnectDatabase(const std::string& path) {
    if (m_connected == 1 && m_connection && m_connection->IsOpen()) return 1;

    std::strncpy(m_path, path.c_str(), sizeof(m_path) - 1);
    m_path[sizeof(m_path) - 1] = '\0';

    m_connection.reset();
    m_errors.clear();
    auto connection = std::make_shared<OrviConnection>();
    connection->path = m_path;
    connection->readOnly = NeedsReadOnlyOpen(connection->path);
    int rc = connection->readOnly
                 ? OpenReadOnly(connection->path, &connection->db)
                 : sqlite3_open_v2(m_path, &connection->db,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (!connection->db) {
        ShowMessage(0, "连接数据库失败!或者是否安装了ACCESS数据库引擎", "连接失败", MsgIcon::Error);
        return 0;
    }
    std::vector<std::string> missing;
    if (rc == SQLITE_OK) {
        sqlite3_busy_handler(connection->db, WaitForLock, connection.get());
        // The file is only read at the first statement: a damaged file shows up here.
        std::string error;
        if (!FindMissingTables(connection->db, &missing, &error)) {
            m_errors.push_back(error);
            rc = SQLITE_ERROR;
        }
    } else {
        m_errors.push_back(sqlite3_errmsg(connection->db));
    }
    if (rc != SQLITE_OK) {
        m_connection = connection;
        ReportConnectionErrors(0);
        m_connection.reset();
        return 0;
    }
    if (!missing.empty()) {
        ShowMessage(
            0, "数据库 " + connection->path + " 不是本系统的数据库，缺少数据表：" + Join(missing),
            "连接失败", MsgIcon::Error);
        return 0;
    }
    // Pages are read through a memory map rather than a read call each.
    sqlite3_exec(connection->db, "PRAGMA mmap_size=1073741824", nullptr, nullptr, nullptr);
    m_connection = connection;
    m_connected = 1;
    return 1;
}

bool CAdoConnection::IsReadOnly() const {
    return m_connection && m_connection->readOnly;
}

void CAdoConnection::CloseDatabase() {
    m_connection.reset();
}

int CAdoConnection::ExecuteSql(const std::string& sql) {
    if (!m_connected) return 0;
    m_errors.clear();
    if (!m_connection) {
        ReportConnectionErrors(3);  // nothing to describe: the unknown-error message
        return 0;
    }
    DbLock lock(*m_connection);
    // Statements of this connection left on a row keep an old read snapshot, over which a
    // write would be refused at once: they give it up and run again when read further.
    for (OrviRecordset* reader : m_connection->readers) reader->PauseLocked();
    sqlite3* db = m_connection->db;
    char* error = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        bool readOnly = (sqlite3_extended_errcode(db) & 0xff) == SQLITE_READONLY;
        m_errors.push_back(error ? error : sqlite3_errmsg(db));
        sqlite3_free(error);
        if (readOnly)
            ReportReadOnlyDatabase();
        else
            ReportConnectionErrors(3);
        return 0;
    }
    return 1;
}

int CAdoConnection::BeginTrans() {
    return ExecuteSql("BEGIN IMMEDIATE");
}

int CAdoConnection::CommitTrans() {
    return ExecuteSql("COMMIT");
}

int CAdoConnection::RollbackTrans() {
    if (m_connected && m_connection && sqlite3_get_autocommit(m_connection->db)) return 1;
    return ExecuteSql("ROLLBACK");
}

void CAdoConnection::ReportConnectionErrors(int kind) {
    if (kind < 0 || kind > 3) return;
    if (!m_connection || m_errors.empty()) {
        ShowMessage(0, "数据库连接未知错误，无法捕捉具体错误信息!", "错误", MsgIcon::Information);
        return;
    }
    for (const std::string& description : m_errors) {
        if (kind == 0 || kind == 2)
            ShowMessage(0, description, "连接失败", MsgIcon::Information);
        else
            AppMessageBox(description);
    }
}
