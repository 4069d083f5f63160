// Shared main of every test program: an off-screen QApplication, the module's platform
// layer connected to it (a box outside a capture fails the test), then GoogleTest.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "platform/qt/qt_platform.h"
#include "support/message_capture.h"

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("TZ", "Asia/Shanghai", 0);
    tzset();
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName("OrviCrm");
    InstallQtPlatform();
    SetMessageHandler(FailUnexpectedBox);
    return RUN_ALL_TESTS();
}
