// The module-side definitions behind _ConnectionPtr and _RecordsetPtr.
#pragma once

#include <sqlite3.h>

#include <chrono>
#include <string>
#include <vector>

#include "orvicrm/ado_types.h"

// One open SQLite database. Serialized mode: a page's worker may use it too.
struct OrviConnection {
    sqlite3* db = nullptr;
    std::string path;
    bool readOnly = false;  // opened read-only on purpose: every write is refused
    // Recordsets with a statement on this connection; guarded by the connection's lock.
    std::vector<OrviRecordset*> readers;
    std::chrono::steady_clock::time_point busySince;  // start of the current lock wait

    OrviConnection() = default;
    ~OrviConnection() {
        if (db) sqlite3_close_v2(db);  // deferred until the last statement is finalized
    }
    OrviConnection(const OrviConnection&) = delete;
    OrviConnection& operator=(const OrviConnection&) = delete;
    bool IsOpen() const { return db != nullptr; }
};

// Holds a connection's lock (recursive) for a scope.
class DbLock {
public:
    explicit DbLock(sqlite3* db) : m_mutex(sqlite3_db_mutex(db)) { sqlite3_mutex_enter(m_mutex); }
    ~DbLock() { sqlite3_mutex_leave(m_mutex); }
    DbLock(const DbLock&) = delete;
    DbLock& operator=(const DbLock&) = delete;

private:
    sqlite3_mutex* m_mutex;
};

// How long a statement waits for another connection's write before it fails.
constexpr int kBusyTimeoutMs = 5000;
