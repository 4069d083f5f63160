// The module-side definitions behind _ConnectionPtr and _RecordsetPtr.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "data/driver.h"
#include "orvicrm/ado_types.h"

// One open database session. Every use of it holds the connection's lock (DbLock), so a
// page's worker may use the connection too, and a row is stepped and read under one hold of
// the lock.
struct OrviConnection {
    std::unique_ptr<DbSession> session;
    std::recursive_mutex mutex;
    std::string location;   // the file path or the server's connection string
    bool readOnly = false;  // opened read-only on purpose: every write is refused
    // Recordsets with a running query on this connection; guarded by the connection's lock.
    std::vector<OrviRecordset*> readers;

    OrviConnection() = default;
    OrviConnection(const OrviConnection&) = delete;
    OrviConnection& operator=(const OrviConnection&) = delete;
    bool IsOpen() const { return session != nullptr; }
};

// Holds a connection's lock for a scope.
class DbLock {
public:
    explicit DbLock(OrviConnection& connection) : m_lock(connection.mutex) {}

private:
    std::lock_guard<std::recursive_mutex> m_lock;
};

// How long a query waits for another connection's write before it fails.
constexpr int kBusyTimeoutMs = 5000;
