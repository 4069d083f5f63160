// A worker thread with a stop request and a running flag. Nothing is ever killed: stopping
// means asking (RequestStop) and waiting (Wait). While the owner waits it keeps handling
// the messages sent to its thread, so a worker blocked in SendMessage to its owner ends.
#pragma once

#include <atomic>
#include <functional>
#include <thread>

struct ThreadInbox;

class Worker {
public:
    Worker() = default;
    ~Worker();  // asks the thread to stop and waits for it
    Worker(const Worker&) = delete;
    Worker& operator=(const Worker&) = delete;

    // Starts body on a new thread; false (nothing started) while a previous run is alive.
    bool Start(std::function<void()> body);
    void RequestStop() { m_stop = true; }
    bool StopRequested() const { return m_stop; }
    // True from Start until the body has returned.
    bool Running() const { return m_running; }
    // Waits for the body to return; the owner's inbox is served meanwhile.
    void Wait();
    // Asks the body to stop and waits for it.
    void Stop() {
        RequestStop();
        Wait();
    }

private:
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_running{false};
};
