#include <gtest/gtest.h>

#include <QCoreApplication>
#include <atomic>
#include <thread>
#include <vector>

#include "platform/message_box.h"
#include "platform/message_layer.h"
#include "platform/messages.h"
#include "platform/worker.h"
#include "support/message_capture.h"

namespace {

class Recorder : public MessageTarget {
public:
    std::vector<UINT> received;
    std::thread::id lastThread;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM) override {
        received.push_back(msg);
        lastThread = std::this_thread::get_id();
        return static_cast<LRESULT>(wParam * 2);
    }
};

TEST(MessageLayer, SendOnOwnThreadCallsWindowProcDirectly) {
    Recorder window;
    EXPECT_EQ(SendMessage(window.GetSafeHwnd(), WM_PAGE_COUNT, 21, 0), 42);
    EXPECT_EQ(window.received, std::vector<UINT>{WM_PAGE_COUNT});
}

TEST(MessageLayer, WorkerSendIsHandledOnWindowThreadWhileOwnerWaits) {
    Recorder window;
    Worker worker;
    std::vector<LRESULT> answers;
    HWND hwnd = window.GetSafeHwnd();
    worker.Start([&] {
        for (WPARAM i = 1; i <= 50; ++i) answers.push_back(SendMessage(hwnd, WM_PAGE_COUNT, i, 0));
    });
    worker.Wait();  // must serve the worker's sends, or this never returns
    ASSERT_EQ(answers.size(), 50u);
    EXPECT_EQ(answers.back(), 100);
    EXPECT_EQ(window.lastThread, std::this_thread::get_id());
}

TEST(MessageLayer, PostedAndSentMessagesKeepTheirOrder) {
    Recorder window;
    Worker worker;
    HWND hwnd = window.GetSafeHwnd();
    worker.Start([&] {
        PostMessage(hwnd, WM_PAGE_NEW, 0, 0);
        PostMessage(hwnd, WM_PAGE_VIEW, 0, 0);
        SendMessage(hwnd, WM_PAGE_DELETE, 0, 0);
    });
    worker.Wait();
    EXPECT_EQ(window.received, (std::vector<UINT>{WM_PAGE_NEW, WM_PAGE_VIEW, WM_PAGE_DELETE}));
}

TEST(MessageLayer, EventLoopDeliversPostedMessages) {
    Recorder window;
    std::thread sender([hwnd = window.GetSafeHwnd()] { PostMessage(hwnd, WM_PAGE_LAYOUT, 0, 0); });
    sender.join();
    for (int i = 0; i < 100 && window.received.empty(); ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_EQ(window.received, std::vector<UINT>{WM_PAGE_LAYOUT});
}

TEST(MessageLayer, GoneWindowAnswersZeroAndDropsPosts) {
    HWND stale;
    {
        Recorder window;
        stale = window.GetSafeHwnd();
        EXPECT_TRUE(IsWindow(stale));
    }
    EXPECT_FALSE(IsWindow(stale));
    EXPECT_EQ(SendMessage(stale, WM_PAGE_COUNT, 5, 0), 0);
    EXPECT_FALSE(PostMessage(stale, WM_PAGE_COUNT, 5, 0));
    Recorder next;  // handles are never reused
    EXPECT_NE(next.GetSafeHwnd(), stale);
}

TEST(Worker, StopIsARequestTheBodySees) {
    Worker worker;
    std::atomic<int> loops{0};
    worker.Start([&] {
        while (!worker.StopRequested()) {
            ++loops;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    while (loops == 0) std::this_thread::yield();
    EXPECT_TRUE(worker.Running());
    EXPECT_FALSE(worker.Start([] {}));  // one run at a time
    worker.Stop();
    EXPECT_FALSE(worker.Running());
    EXPECT_TRUE(worker.Start([] {}));  // and it can run again
    worker.Wait();
}

TEST(MessageBox, WorkerMessagesReachTheHandlerWithTextAndCaption) {
    MessageCapture capture;
    capture.QueueAnswers({IDNO});
    Worker worker;
    int answer = 0;
    worker.Start([&] {
        answer = ShowMessage(0, "确实要删除所选记录吗？", "警告", MsgIcon::Exclamation,
                             MsgButtons::YesNo);
    });
    worker.Wait();
    EXPECT_EQ(answer, IDNO);
    ASSERT_EQ(capture.Count(), 1u);
    EXPECT_EQ(capture.Messages()[0].caption, "警告");
    EXPECT_EQ(capture.Messages()[0].icon, MsgIcon::Exclamation);
}

TEST(MessageBox, ApplicationBoxUsesTheDisplayName) {
    MessageCapture capture;
    AppMessageBox("记录未打开");
    ASSERT_EQ(capture.Count(), 1u);
    EXPECT_EQ(capture.Messages()[0].caption, "OrviCrm");
    EXPECT_EQ(capture.Messages()[0].buttons, MsgButtons::Ok);
}

}  // namespace

namespace {

// A window that posts itself the next message from its handler, as a page appending a long
// list a slice at a time does.
class SelfPoster : public MessageTarget {
public:
    int handled = 0;
    LRESULT WindowProc(UINT, WPARAM left, LPARAM) override {
        ++handled;
        if (left > 0) PostMessage(GetSafeHwnd(), WM_PAGE_LOADED, left - 1, 0);
        return 0;
    }
};

TEST(MessageLayer, TheEventLoopGetsItsTurnBetweenMessagesThatPostTheNext) {
    SelfPoster window;
    PostMessage(window.GetSafeHwnd(), WM_PAGE_LOADED, 3, 0);
    EXPECT_EQ(DispatchQueuedMessages(), 1);  // the message queued meanwhile waits its turn
    EXPECT_EQ(window.handled, 1);
    EXPECT_EQ(DispatchPendingMessages(), 3);  // a waiting owner serves them all
    EXPECT_EQ(window.handled, 4);
}

}  // namespace
