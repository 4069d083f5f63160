#include <gtest/gtest.h>

#include <QCoreApplication>
#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "platform/message_box.h"
#include "platform/message_layer.h"
#include "platform/messages.h"
#include "platform/worker.h"
#include "support/message_capture.h"

namespace {

// Answers twice wParam. WM_PAGE_LOADED n posts it n - 1 from the handler, as a page appending
// a long list a slice at a time does.
class Recorder : public MessageTarget {
public:
    std::vector<UINT> received;
    std::thread::id lastThread;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM) override {
        received.push_back(msg);
        lastThread = std::this_thread::get_id();
        if (msg == WM_PAGE_LOADED && wParam > 0) PostMessage(GetSafeHwnd(), msg, wParam - 1, 0);
        return static_cast<LRESULT>(wParam * 2);
    }
};

TEST(MessageLayer, SendOnTheOwnThreadCallsWindowProcAndAGoneWindowAnswersZero) {
    auto window = std::make_unique<Recorder>();
    const HWND stale = window->GetSafeHwnd();
    EXPECT_TRUE(IsWindow(stale));
    EXPECT_EQ(SendMessage(stale, WM_PAGE_COUNT, 21, 0), 42);
    EXPECT_EQ(window->received, std::vector<UINT>{WM_PAGE_COUNT});
    window.reset();
    EXPECT_FALSE(IsWindow(stale));
    EXPECT_EQ(SendMessage(stale, WM_PAGE_COUNT, 5, 0), 0);
    EXPECT_FALSE(PostMessage(stale, WM_PAGE_COUNT, 5, 0));
    Recorder next;  // handles are never reused
    EXPECT_NE(next.GetSafeHwnd(), stale);
}

// The owner waiting for its worker serves the worker's messages on its own thread, posted
// and sent in the order they came, or the wait would never end.
TEST(MessageLayer, AWorkersMessagesAreHandledInOrderOnTheWindowThreadWhileTheOwnerWaits) {
    Recorder window;
    Worker worker;
    std::vector<LRESULT> answers;
    HWND hwnd = window.GetSafeHwnd();
    worker.Start([&] {
        PostMessage(hwnd, WM_PAGE_NEW, 0, 0);
        PostMessage(hwnd, WM_PAGE_VIEW, 0, 0);
        for (WPARAM i = 1; i <= 50; ++i) answers.push_back(SendMessage(hwnd, WM_PAGE_COUNT, i, 0));
    });
    worker.Wait();
    ASSERT_EQ(answers.size(), 50u);
    EXPECT_EQ(answers.back(), 100);
    EXPECT_EQ(window.lastThread, std::this_thread::get_id());
    std::vector<UINT> expected{WM_PAGE_NEW, WM_PAGE_VIEW};
    expected.resize(52, WM_PAGE_COUNT);
    EXPECT_EQ(window.received, expected);
}

TEST(MessageLayer, TheEventLoopDeliversPostsAndGetsItsTurnBetweenMessagesThatPostTheNext) {
    Recorder window;
    std::thread sender([hwnd = window.GetSafeHwnd()] { PostMessage(hwnd, WM_PAGE_LAYOUT, 0, 0); });
    sender.join();
    for (int i = 0; i < 100 && window.received.empty(); ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_EQ(window.received, std::vector<UINT>{WM_PAGE_LAYOUT});

    Recorder poster;
    PostMessage(poster.GetSafeHwnd(), WM_PAGE_LOADED, 3, 0);
    EXPECT_EQ(DispatchQueuedMessages(), 1);  // the message queued meanwhile waits its turn
    EXPECT_EQ(poster.received.size(), 1u);
    EXPECT_EQ(DispatchPendingMessages(), 3);  // a waiting owner serves them all
    EXPECT_EQ(poster.received.size(), 4u);
}

TEST(Worker, StopIsARequestTheBodySeesAndABoxOfAWorkerReachesTheHandler) {
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

    MessageCapture capture;
    capture.QueueAnswers({IDNO});
    int answer = 0;
    worker.Start([&] {
        answer = ShowMessage(0, "确实要删除所选记录吗？", "警告", MsgIcon::Exclamation,
                             MsgButtons::YesNo);
    });
    worker.Wait();
    EXPECT_EQ(answer, IDNO);
    AppMessageBox("记录未打开");  // under the display name
    ASSERT_EQ(capture.Boxes(),
              (std::vector<std::string>{"警告: 确实要删除所选记录吗？", "OrviCrm: 记录未打开"}));
    EXPECT_EQ(capture.Messages()[0].icon, MsgIcon::Exclamation);
    EXPECT_EQ(capture.Messages()[1].buttons, MsgButtons::Ok);
}

}  // namespace
