// The module-side definitions behind _ConnectionPtr and _RecordsetPtr.
#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "data/driver.h"
#include "orvicrm/ado_types.h"

// One open database session. Every use of it holds the connection's lock (DbLock), so a
// page's worker may use the connection too, and a row is stepped and read under one hold of
// the lock.
//
// A server session is shared by every window of the process that connects to the same
// location. A thread's transaction that stays open between calls then belongs to that
// thread: the other threads' statements wait for its end rather than land in it, and their
// queries read apart from it.
struct OrviConnection {
    std::unique_ptr<DbSession> session;
    std::recursive_mutex mutex;
    std::string location;   // the file path or the server's connection string
    bool readOnly = false;  // opened read-only on purpose: every write is refused
    bool shared = false;    // a server session that every window of the process uses
    // Recordsets with a running query on this connection; guarded by the connection's lock.
    std::vector<OrviRecordset*> readers;
    // The thread (and the handle it used) with a transaction open on a shared session;
    // guarded by the lock.
    std::thread::id transactionThread;
    const void* transactionOpener = nullptr;
    std::condition_variable_any transactionEnded;

    OrviConnection() = default;
    ~OrviConnection();
    OrviConnection(const OrviConnection&) = delete;
    OrviConnection& operator=(const OrviConnection&) = delete;
    bool IsOpen() const { return session != nullptr; }

    // With the lock held: another thread has a transaction open on the session.
    bool OtherThreadsTransaction() const;
    // With the lock held in lock: waits (without it) for the end of another thread's
    // transaction, at most kBusyTimeoutMs; false when it is still open.
    bool WaitForOtherTransaction(std::unique_lock<std::recursive_mutex>& lock);
    // With the lock held, after a command of opener: records whether the calling thread
    // left a transaction open.
    void NoteTransaction(const void* opener);
    // Starts the thread that closes the session's idle reader connections.
    void StartReaper();

private:
    std::thread m_reaper;
    std::condition_variable_any m_reaperWake;
    bool m_stopReaper = false;  // guarded by the lock
};

// Why a statement did not run: another thread's transaction on the session stayed open.
inline constexpr char kOtherTransactionOpen[] =
    "another transaction on this connection is still open";

// A use of the session's own connection holds the lock through this: it first waits for
// another thread's transaction on a shared session to end (see OrviConnection).
class SessionLock {
public:
    explicit SessionLock(OrviConnection& connection, const void* opener = nullptr);
    ~SessionLock();  // records a transaction left open
    SessionLock(const SessionLock&) = delete;
    SessionLock& operator=(const SessionLock&) = delete;
    bool Acquired() const { return m_acquired; }  // false: the other transaction stayed open

private:
    OrviConnection& m_connection;
    const void* m_opener;
    std::unique_lock<std::recursive_mutex> m_lock;
    bool m_acquired;
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
