// The module-side definitions behind _ConnectionPtr and _RecordsetPtr.
#pragma once

#include <sqlite3.h>

#include <chrono>
#include <mutex>
#include <string>
#include <vector>

#include "orvicrm/ado_types.h"

// One open SQLite database, opened without SQLite's own per-call locking: every use of db
// holds the connection's lock (DbLock), so a page's worker may use it too, and a row is
// stepped and read under one hold of the lock instead of one per call.
struct OrviConnection {
    sqlite3* db = nullptr;
    std::recursive_mutex mutex;
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

// Holds a connection's lock for a scope.
class DbLock {
public:
    explicit DbLock(OrviConnection& connection) : m_lock(connection.mutex) {}

private:
    std::lock_guard<std::recursive_mutex> m_lock;
};

// How long a statement waits for another connection's write before it fails.
constexpr int kBusyTimeoutMs = 5000;
