#include "platform/worker.h"

#include "platform/message_layer.h"

Worker::~Worker() {
    Stop();
}

bool Worker::Start(std::function<void()> body) {
    if (m_running) return false;
    if (m_thread.joinable()) m_thread.join();
    m_stop = false;
    m_running = true;
    std::shared_ptr<ThreadInbox> owner = CurrentInboxShared();
    m_thread = std::thread([this, owner, body = std::move(body)] {
        body();
        m_running = false;
        PostToThread(owner.get(), [] {});  // wakes an owner waiting in Wait()
    });
    return true;
}

void Worker::Wait() {
    if (!m_thread.joinable()) return;
    if (m_thread.get_id() == std::this_thread::get_id()) return;
    while (m_running) {
        DispatchPendingMessages();
        if (m_running) WaitForPendingMessages(5);
    }
    m_thread.join();
    DispatchPendingMessages();
}
