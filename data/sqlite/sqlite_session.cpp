#include "data/sqlite/sqlite_session.h"

#include <sqlite3.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <cstring>
#include <thread>

namespace {

// How long a statement waits for another connection's write before it fails.
constexpr int kBusyTimeoutMs = 5000;

const DbDialect kSqliteDialect{"rowid", "IS", "BEGIN IMMEDIATE", "", false, false, false, true};

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

// NFS and SMB/CIFS: the shared memory of a write-ahead log does not work across machines.
bool OnNetworkFileSystem(const std::string& path) {
    struct statfs fs;
    if (statfs(path.c_str(), &fs) != 0) return false;
    switch (static_cast<uint32_t>(fs.f_type)) {
        case 0x6969:      // NFS
        case 0x517B:      // SMB
        case 0xFF534D42:  // CIFS
        case 0xFE534D42:  // SMB2
            return true;
        default:
            return false;
    }
}

void SetError(sqlite3* db, DbError* error) {
    error->text = sqlite3_errmsg(db);
    error->readOnly = (sqlite3_extended_errcode(db) & 0xff) == SQLITE_READONLY;
}

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f';
}

class SqliteQuery final : public DbQuery {
public:
    SqliteQuery(sqlite3* db, sqlite3_stmt* stmt) : m_db(db), m_stmt(stmt) {}
    ~SqliteQuery() override { sqlite3_finalize(m_stmt); }

    int ColumnCount() const override { return sqlite3_column_count(m_stmt); }
    std::string ColumnName(int column) const override {
        const char* name = sqlite3_column_name(m_stmt, column);
        return name ? name : "";
    }

    Step Next(DbError* error) override {
        int rc = sqlite3_step(m_stmt);
        if (rc == SQLITE_ROW) return kRow;
        if (rc == SQLITE_DONE) return kDone;
        SetError(m_db, error);
        if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED) {
            // Another connection's write outlasted the busy wait, or the step could not wait.
            sqlite3_reset(m_stmt);
            return kBusy;
        }
        return kError;
    }

    // One column_value call per cell.
    void Cell(int column, CellView* cell) const override {
        sqlite3_value* value = sqlite3_column_value(m_stmt, column);
        cell->type = sqlite3_value_type(value);
        switch (cell->type) {
            case SQLITE_INTEGER:
                cell->i = sqlite3_value_int64(value);
                break;
            case SQLITE_FLOAT:
                cell->d = sqlite3_value_double(value);
                break;
            case SQLITE_TEXT:
                cell->text = reinterpret_cast<const char*>(sqlite3_value_text(value));
                cell->size = static_cast<size_t>(sqlite3_value_bytes(value));
                break;
            case SQLITE_BLOB:
                cell->text = static_cast<const char*>(sqlite3_value_blob(value));
                cell->size = static_cast<size_t>(sqlite3_value_bytes(value));
                break;
            default:
                break;
        }
    }

    // A statement left on a row keeps a read snapshot, and a write over a snapshot older
    // than another connection's last commit is refused at once: it gives the snapshot up.
    bool YieldToWrite() override {
        if (!sqlite3_stmt_busy(m_stmt)) return false;
        sqlite3_reset(m_stmt);
        return true;
    }

private:
    sqlite3* m_db;
    sqlite3_stmt* m_stmt;
};

void Bind(sqlite3_stmt* stmt, int index, const CellValue& value) {
    switch (value.type) {
        case kCellInteger:
            sqlite3_bind_int64(stmt, index, value.i);
            break;
        case kCellFloat:
            sqlite3_bind_double(stmt, index, value.d);
            break;
        case kCellText:
            sqlite3_bind_text(stmt, index, value.text.data(), static_cast<int>(value.text.size()),
                              SQLITE_TRANSIENT);
            break;
        case kCellBlob:
            sqlite3_bind_blob(stmt, index, value.text.data(), static_cast<int>(value.text.size()),
                              SQLITE_TRANSIENT);
            break;
        default:
            sqlite3_bind_null(stmt, index);
    }
}

class SqliteSession final : public DbSession {
public:
    SqliteSession(sqlite3* db, bool readOnly) : m_db(db), m_readOnly(readOnly) {
        sqlite3_busy_handler(m_db, WaitForLock, this);
    }
    // Closing is deferred until the last statement is finalized.
    ~SqliteSession() override { sqlite3_close_v2(m_db); }

    const DbDialect& Dialect() const override { return kSqliteDialect; }
    bool ReadOnly() const override { return m_readOnly; }

    bool Execute(const std::string& sql, DbError* error) override {
        char* message = nullptr;
        if (sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, &message) == SQLITE_OK) return true;
        SetError(m_db, error);
        if (message) error->text = message;
        sqlite3_free(message);
        return false;
    }

    std::unique_ptr<DbQuery> Query(const std::string& sql, DbError* error) override {
        const char* tail = nullptr;
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(m_db, sql.c_str(), static_cast<int>(sql.size()), &stmt, &tail) !=
            SQLITE_OK) {
            SetError(m_db, error);
            return nullptr;
        }
        if (!stmt) {
            error->text = "no statement";
            return nullptr;
        }
        for (; tail && *tail; ++tail) {
            if (!IsSpace(*tail) && *tail != ';') {
                sqlite3_finalize(stmt);
                error->text = "more than one statement";
                return nullptr;
            }
        }
        return std::make_unique<SqliteQuery>(m_db, stmt);
    }

    bool Write(const std::string& sql, std::span<const CellValue> values, WriteResult* result,
               DbError* error) override {
        sqlite3_stmt* stmt = nullptr;
        int rc = sqlite3_prepare_v2(m_db, sql.c_str(), -1, &stmt, nullptr);
        if (rc == SQLITE_OK) {
            int index = 1;
            for (const CellValue& value : values) Bind(stmt, index++, value);
            rc = sqlite3_step(stmt);
        }
        if (rc != SQLITE_DONE) SetError(m_db, error);
        result->changes = sqlite3_changes(m_db);
        result->newKey = sqlite3_last_insert_rowid(m_db);
        sqlite3_finalize(stmt);
        return rc == SQLITE_DONE;
    }

    sqlite3* Handle() const { return m_db; }

    // Switching takes the file for itself: while another connection uses it, the file stays
    // as it is rather than keep the caller waiting.
    void UseWriteAheadLog() {
        sqlite3_stmt* stmt = nullptr;
        bool wal = false;
        if (sqlite3_prepare_v2(m_db, "PRAGMA journal_mode", -1, &stmt, nullptr) == SQLITE_OK &&
            sqlite3_step(stmt) == SQLITE_ROW) {
            const unsigned char* mode = sqlite3_column_text(stmt, 0);
            wal = mode && sqlite3_stricmp(reinterpret_cast<const char*>(mode), "wal") == 0;
        }
        sqlite3_finalize(stmt);
        if (wal) return;
        sqlite3_busy_handler(m_db, nullptr, nullptr);
        sqlite3_exec(m_db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
        sqlite3_busy_handler(m_db, WaitForLock, this);
    }

    bool InTransaction() const override { return sqlite3_get_autocommit(m_db) == 0; }

    bool TableNames(std::vector<std::string>* names, DbError* error) override {
        names->clear();
        sqlite3_stmt* stmt = nullptr;
        int rc = sqlite3_prepare_v2(m_db, "SELECT name FROM sqlite_master WHERE type='table'", -1,
                                    &stmt, nullptr);
        while (rc == SQLITE_OK && (rc = sqlite3_step(stmt)) == SQLITE_ROW) {
            const unsigned char* name = sqlite3_column_text(stmt, 0);
            names->emplace_back(name ? reinterpret_cast<const char*>(name) : "");
            rc = SQLITE_OK;
        }
        if (rc != SQLITE_DONE) SetError(m_db, error);
        sqlite3_finalize(stmt);
        return rc == SQLITE_DONE;
    }

private:
    // Busy handler: waits for another connection's lock in short steps, so that a waiter
    // does not sleep through the moments the lock is free while several writers take turns.
    static int WaitForLock(void* data, int count) {
        auto* session = static_cast<SqliteSession*>(data);
        auto now = std::chrono::steady_clock::now();
        if (count == 0) session->m_busySince = now;
        if (now - session->m_busySince >= std::chrono::milliseconds(kBusyTimeoutMs)) return 0;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return 1;
    }

    sqlite3* m_db;
    bool m_readOnly;
    std::chrono::steady_clock::time_point m_busySince;  // start of the current lock wait
};

}  // namespace

std::unique_ptr<DbSession> OpenSqlite(const std::string& path, DbError* error) {
    bool readOnly = NeedsReadOnlyOpen(path);
    sqlite3* db = nullptr;
    int rc = readOnly ? OpenReadOnly(path, &db)
                      : sqlite3_open_v2(path.c_str(), &db,
                                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (!db) return nullptr;  // out of memory: not even a reason
    if (rc != SQLITE_OK) {
        SetError(db, error);
        sqlite3_close_v2(db);
        return nullptr;
    }
    // Pages are read through a memory map rather than a read call each.
    sqlite3_exec(db, "PRAGMA mmap_size=1073741824", nullptr, nullptr, nullptr);
    return std::make_unique<SqliteSession>(db, readOnly);
}

sqlite3* SqliteHandle(DbSession& session) {
    auto* sqlite = dynamic_cast<SqliteSession*>(&session);
    return sqlite ? sqlite->Handle() : nullptr;
}

void UseWriteAheadLog(DbSession& session, const std::string& path) {
    auto* sqlite = dynamic_cast<SqliteSession*>(&session);
    if (sqlite && !sqlite->ReadOnly() && !OnNetworkFileSystem(path)) sqlite->UseWriteAheadLog();
}
