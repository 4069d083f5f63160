#include "platform/message_layer.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <unordered_map>

namespace {

struct SyncCall {
    std::mutex mutex;
    std::condition_variable done_cv;
    bool done = false;
    LRESULT result = 0;
};

struct InboxItem {
    std::function<LRESULT()> fn;
    std::shared_ptr<SyncCall> sync;  // null for posted items
};

struct Registration {
    MessageTarget* target;
    std::shared_ptr<ThreadInbox> inbox;
};

std::mutex g_registryMutex;
std::unordered_map<HWND, Registration>& Registry() {
    static std::unordered_map<HWND, Registration> registry;
    return registry;
}
std::atomic<HWND> g_nextHandle{0x1000};

void Complete(const std::shared_ptr<SyncCall>& sync, LRESULT result) {
    std::lock_guard lock(sync->mutex);
    sync->result = result;
    sync->done = true;
    sync->done_cv.notify_all();
}

}  // namespace

struct ThreadInbox {
    std::mutex mutex;
    std::condition_variable arrived;
    std::deque<InboxItem> items;
    std::function<void()> waker;

    void Push(InboxItem item) {
        std::function<void()> wake;
        {
            std::lock_guard lock(mutex);
            items.push_back(std::move(item));
            wake = waker;
        }
        arrived.notify_all();
        if (wake) wake();
    }
};

std::shared_ptr<ThreadInbox> CurrentInboxShared() {
    // Shared: a window handle or a worker may still name the inbox after its thread ended.
    thread_local std::shared_ptr<ThreadInbox> inbox = std::make_shared<ThreadInbox>();
    return inbox;
}

ThreadInbox* CurrentInbox() {
    return CurrentInboxShared().get();
}

void SetInboxWaker(ThreadInbox* inbox, std::function<void()> waker) {
    std::lock_guard lock(inbox->mutex);
    inbox->waker = std::move(waker);
}

LRESULT CallOnThread(ThreadInbox* inbox, const std::function<LRESULT()>& fn) {
    if (inbox == CurrentInbox()) return fn();
    auto sync = std::make_shared<SyncCall>();
    inbox->Push({fn, sync});
    std::unique_lock lock(sync->mutex);
    while (!sync->done) {
        // Serve what is sent to this thread meanwhile, so two threads sending to each
        // other cannot block for ever.
        lock.unlock();
        DispatchPendingMessages();
        lock.lock();
        sync->done_cv.wait_for(lock, std::chrono::milliseconds(2), [&] { return sync->done; });
    }
    return sync->result;
}

void PostToThread(ThreadInbox* inbox, std::function<void()> fn) {
    inbox->Push({[fn = std::move(fn)] {
                     fn();
                     return LRESULT{0};
                 },
                 nullptr});
}

namespace {

int DispatchAtMost(size_t limit) {
    ThreadInbox* inbox = CurrentInbox();
    int count = 0;
    for (size_t ran = 0; ran < limit; ++ran) {
        InboxItem item;
        {
            std::lock_guard lock(inbox->mutex);
            if (inbox->items.empty()) break;
            item = std::move(inbox->items.front());
            inbox->items.pop_front();
        }
        LRESULT result = item.fn();
        if (item.sync) Complete(item.sync, result);
        ++count;
    }
    return count;
}

}  // namespace

int DispatchPendingMessages() {
    return DispatchAtMost(SIZE_MAX);
}

int DispatchQueuedMessages() {
    ThreadInbox* inbox = CurrentInbox();
    size_t queued;
    {
        std::lock_guard lock(inbox->mutex);
        queued = inbox->items.size();
    }
    return DispatchAtMost(queued);
}

void WaitForPendingMessages(int timeoutMs) {
    ThreadInbox* inbox = CurrentInbox();
    std::unique_lock lock(inbox->mutex);
    inbox->arrived.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                            [&] { return !inbox->items.empty(); });
}

MessageTarget::MessageTarget() : m_hwnd(++g_nextHandle) {
    std::lock_guard lock(g_registryMutex);
    Registry()[m_hwnd] = {this, CurrentInboxShared()};
}

MessageTarget::~MessageTarget() {
    DetachHandle();
}

void MessageTarget::DetachHandle() {
    std::lock_guard lock(g_registryMutex);
    Registry().erase(m_hwnd);
}

bool IsWindow(HWND hwnd) {
    std::lock_guard lock(g_registryMutex);
    return Registry().count(hwnd) != 0;
}

MessageTarget* TargetFromHandle(HWND hwnd) {
    std::lock_guard lock(g_registryMutex);
    auto it = Registry().find(hwnd);
    return it == Registry().end() ? nullptr : it->second.target;
}

namespace {

std::shared_ptr<ThreadInbox> FindInbox(HWND hwnd) {
    std::lock_guard lock(g_registryMutex);
    auto it = Registry().find(hwnd);
    return it == Registry().end() ? nullptr : it->second.inbox;
}

// Looks the target up again at delivery: it may have gone while the message waited.
LRESULT Deliver(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    MessageTarget* target = TargetFromHandle(hwnd);
    return target ? target->WindowProc(msg, wParam, lParam) : 0;
}

}  // namespace

LRESULT SendMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    std::shared_ptr<ThreadInbox> inbox = FindInbox(hwnd);
    if (!inbox) return 0;
    if (inbox.get() == CurrentInbox()) return Deliver(hwnd, msg, wParam, lParam);
    return CallOnThread(inbox.get(), [=] { return Deliver(hwnd, msg, wParam, lParam); });
}

bool PostMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    std::shared_ptr<ThreadInbox> inbox = FindInbox(hwnd);
    if (!inbox) return false;
    PostToThread(inbox.get(), [=] { Deliver(hwnd, msg, wParam, lParam); });
    return true;
}
