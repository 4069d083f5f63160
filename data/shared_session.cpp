// The sessions that the windows of the process share, their reaper of idle reader
// connections, and the rule that keeps one thread's transaction to itself.
#include <algorithm>
#include <atomic>
#include <map>

#include "data/ado_connection.h"
#include "data/db_handles.h"

namespace {

std::atomic<long long> g_readerIdleMs{30000};
thread_local int t_streamingLoads = 0;

std::mutex g_sharedMutex;
std::map<std::string, std::weak_ptr<OrviConnection>> g_shared;  // by location

}  // namespace

void SetReaderIdleTime(std::chrono::milliseconds idle) {
    g_readerIdleMs = idle.count();
}

std::chrono::milliseconds ReaderIdleTime() {
    return std::chrono::milliseconds(g_readerIdleMs.load());
}

StreamingLoad::StreamingLoad() {
    ++t_streamingLoads;
}

StreamingLoad::~StreamingLoad() {
    --t_streamingLoads;
}

bool InStreamingLoad() {
    return t_streamingLoads > 0;
}

std::shared_ptr<OrviConnection> SharedConnection(const std::string& location) {
    std::lock_guard lock(g_sharedMutex);
    auto it = g_shared.find(location);
    if (it == g_shared.end()) return nullptr;
    std::shared_ptr<OrviConnection> connection = it->second.lock();
    if (!connection) g_shared.erase(it);
    return connection;
}

std::shared_ptr<OrviConnection> ShareConnection(std::shared_ptr<OrviConnection> connection) {
    {
        std::lock_guard lock(g_sharedMutex);
        std::weak_ptr<OrviConnection>& entry = g_shared[connection->location];
        // Another thread opened the same location meanwhile: its session is the one.
        if (std::shared_ptr<OrviConnection> first = entry.lock()) return first;
        connection->shared = true;
        entry = connection;
    }
    connection->StartReaper();
    return connection;
}

OrviConnection::~OrviConnection() {
    if (m_reaper.joinable()) {
        {
            std::lock_guard lock(mutex);
            m_stopReaper = true;
        }
        m_reaperWake.notify_all();
        m_reaper.join();
    }
}

void OrviConnection::StartReaper() {
    m_reaper = std::thread([this] {
        std::unique_lock lock(mutex);
        while (!m_stopReaper) {
            const auto idle = ReaderIdleTime();
            const auto next = session->CloseIdleReaders(idle);
            const auto until = std::min(next, std::chrono::steady_clock::now() + idle);
            m_reaperWake.wait_until(lock, until, [this] { return m_stopReaper; });
        }
    });
}

bool OrviConnection::OtherThreadsTransaction() const {
    return shared && transactionThread != std::thread::id() &&
           transactionThread != std::this_thread::get_id();
}

bool OrviConnection::WaitForOtherTransaction(std::unique_lock<std::recursive_mutex>& lock) {
    return transactionEnded.wait_for(lock, std::chrono::milliseconds(kBusyTimeoutMs),
                                     [this] { return !OtherThreadsTransaction(); });
}

void OrviConnection::NoteTransaction(const void* opener) {
    if (!shared || !session) return;
    if (session->InTransaction()) {
        if (transactionThread == std::thread::id()) {
            transactionThread = std::this_thread::get_id();
            transactionOpener = opener;
        }
    } else if (transactionThread != std::thread::id()) {
        transactionThread = std::thread::id();
        transactionOpener = nullptr;
        transactionEnded.notify_all();
    }
}

SessionLock::SessionLock(OrviConnection& connection, const void* opener)
    : m_connection(connection), m_opener(opener), m_lock(connection.mutex) {
    m_acquired = connection.WaitForOtherTransaction(m_lock);
}

SessionLock::~SessionLock() {
    if (m_acquired) m_connection.NoteTransaction(m_opener);
}
