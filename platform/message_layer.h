// A small window-message layer: window handles, a window procedure, and SendMessage /
// PostMessage that deliver on the thread that owns the window.
//
// Every thread has an inbox. A message sent from another thread is queued in the inbox of
// the window's thread and the sender blocks until that thread has handled it; posted
// messages are queued and the sender goes on. A thread drains its inbox from its event loop
// (see platform/qt/qt_dispatch.h) and while it waits for a worker (Worker::Wait), so a
// window waiting for its worker never deadlocks with a worker that is sending to it.
#pragma once

#include <functional>
#include <memory>

#include "platform/win_types.h"

class QWidget;
struct ThreadInbox;

// Something with a window procedure. Registered on the constructing thread, which becomes
// the thread its messages are delivered on; unregistered on destruction.
class MessageTarget {
public:
    MessageTarget();
    virtual ~MessageTarget();
    MessageTarget(const MessageTarget&) = delete;
    MessageTarget& operator=(const MessageTarget&) = delete;

    HWND GetSafeHwnd() const { return m_hwnd; }
    virtual LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) = 0;

    // The widget that stands for this window, used as owner of message boxes.
    QWidget* GetOwnerWidget() const { return m_widget; }
    void SetOwnerWidget(QWidget* widget) { m_widget = widget; }

protected:
    // Stops delivery before the destructor runs (for windows that tear down in stages).
    void DetachHandle();

private:
    HWND m_hwnd = 0;
    QWidget* m_widget = nullptr;
};

// Delivers synchronously: directly when called on the window's thread, else through the
// window's thread and waiting for its answer. A window that no longer exists answers 0.
LRESULT SendMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Queues the message for the window's thread; false when the window does not exist.
bool PostMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// True while hwnd names a registered window.
bool IsWindow(HWND hwnd);
// The target behind hwnd; only meaningful on the window's own thread.
MessageTarget* TargetFromHandle(HWND hwnd);

// The calling thread's inbox (created on first use); the shared form keeps it alive after
// its thread has ended.
ThreadInbox* CurrentInbox();
std::shared_ptr<ThreadInbox> CurrentInboxShared();
// Runs fn on the inbox's thread and returns its result; directly when that is this thread.
LRESULT CallOnThread(ThreadInbox* inbox, const std::function<LRESULT()>& fn);
// Queues fn for the inbox's thread.
void PostToThread(ThreadInbox* inbox, std::function<void()> fn);
// Handles everything queued for the calling thread, including what those items queue;
// returns how many items ran.
int DispatchPendingMessages();
// Handles only what was queued when it was called, so that an item that queues another
// (a window appending a long list a slice at a time) hands the thread back to its event
// loop between the two; returns how many items ran.
int DispatchQueuedMessages();
// Waits up to timeoutMs for something to arrive in the calling thread's inbox.
void WaitForPendingMessages(int timeoutMs);
// Called whenever an item is queued for the inbox's thread (an event loop's wake-up).
void SetInboxWaker(ThreadInbox* inbox, std::function<void()> waker);
