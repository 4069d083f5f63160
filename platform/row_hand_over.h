// Rows handed from a worker thread to its window. The worker pushes batches; the window,
// told once per take with a posted message, takes what has arrived and appends it a slice
// at a time from the pending rows, so a long result never holds the window's thread.
#pragma once

#include <iterator>
#include <mutex>
#include <vector>

template <class Row>
class RowHandOver {
public:
    // Window: forgets every row, queued or pending, before a new run.
    void Reset() {
        {
            std::lock_guard lock(m_mutex);
            m_queue.clear();
            m_done = false;
            m_notified = false;
        }
        m_pending.clear();
        m_next = 0;
    }

    // Worker: moves batch (left empty) into the queue, marking the end with done. true when
    // the window has to be told (once until its next Take).
    bool Push(std::vector<Row>& batch, bool done) {
        std::lock_guard lock(m_mutex);
        if (m_queue.empty())
            m_queue.swap(batch);
        else
            std::move(batch.begin(), batch.end(), std::back_inserter(m_queue));
        batch.clear();
        if (done) m_done = true;
        const bool notify = !m_notified;
        m_notified = true;
        return notify;
    }

    // Worker: rows queued and not yet taken.
    size_t Queued() const {
        std::lock_guard lock(m_mutex);
        return m_queue.size();
    }

    // Window: puts the queued rows behind the pending ones; true once the worker has pushed
    // its last batch.
    bool Take() {
        std::lock_guard lock(m_mutex);
        if (!m_queue.empty()) {
            if (m_next >= m_pending.size()) {
                m_pending.clear();
                m_next = 0;
            }
            if (m_pending.empty())
                m_pending.swap(m_queue);
            else
                std::move(m_queue.begin(), m_queue.end(), std::back_inserter(m_pending));
            m_queue.clear();
        }
        m_notified = false;
        return m_done;
    }

    // Window: true when the window should post itself the message to go on with its pending
    // rows; false when a message is on its way already (the worker's), so that two slices
    // never run back to back without the event loop in between.
    bool ClaimNotification() {
        std::lock_guard lock(m_mutex);
        const bool claim = !m_notified;
        m_notified = true;
        return claim;
    }

    // Window: the pending rows, one at a time.
    bool HasPending() const { return m_next < m_pending.size(); }
    Row& Next() { return m_pending[m_next++]; }
    // Window: drops the pending rows.
    void DropPending() {
        m_pending.clear();
        m_next = 0;
    }

private:
    mutable std::mutex m_mutex;
    std::vector<Row> m_queue;  // shared with the worker
    bool m_done = false;
    bool m_notified = false;
    std::vector<Row> m_pending;  // window's thread only
    size_t m_next = 0;
};
