#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <functional>

#include "host/call_context.h"
#include "orvicrm/orvicrm.h"
#include "platform/files.h"
#include "support/message_capture.h"
#include "support/temp_dir.h"

namespace {

// Runs action on the first modal window that opens (polling the event loop), then clicks
// its 关闭 button. Records the window's object name and caption.
struct ModalDriver {
    QString seen;  // "name/caption"
    std::function<void()> action;
    QTimer timer;  // stops with the driver

    ModalDriver() {
        QObject::connect(&timer, &QTimer::timeout, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal) return;
            timer.stop();
            seen = modal->objectName() + "/" + modal->windowTitle();
            if (action) action();
            if (auto* close = modal->findChild<QPushButton*>("id1"))
                QTest::mouseClick(close, Qt::LeftButton);
        });
        timer.start(20);
    }
};

class EntryPoints : public ::testing::Test {
protected:
    void TearDown() override {
        g_clientNames = g_pickedNames = {};
        g_clientKeys = g_pickedKeys = {};
        g_hostWnd = 0;
    }
};

// Each entry opens its window, refuses a call made while the window is open, and returns 1
// once it is closed: CM_OpenCrm2 with the host's context, mode 0 with lists that replace the
// handed-over ones, mode 1 and the statistics entry. Other modes open nothing.
TEST_F(EntryPoints, EachWindowRunsUntilClosedAndOtherModesOpenNothing) {
    TempModuleFolder folder;
    folder.CreateDatabase();
    OrviHostWnd host{nullptr};
    const auto hostWnd = reinterpret_cast<uintptr_t>(&host);
    OrviStringArray names{"王五"};
    OrviKeyArray keys{7};
    const struct {
        std::function<int32_t()> open;
        QString window, caption;
        uint32_t key;  // a client the window knows by this key and name
        std::string name;
    } cases[] = {
        {[&] { return CM_OpenCrm2("张三,李四", "101,102", ",", 102, hostWnd, 0x9000); },
         "CCrmManageDlg", "管理", 102, "李四"},
        {[&] { return CM_OpenCrm(0, &names, &keys, 7, 0, 0); }, "CCrmManageDlg", "管理", 7, "王五"},
        {[] { return CM_OpenCrm(1, nullptr, nullptr, 0, 0, 0); }, "CStatDlg", "业务统计", 0, ""},
        {[] { return CM_OpenCrmStat(1, 2, 3, 4); }, "CStatDlg", "业务统计", 0, ""}};
    for (const auto& c : cases) {
        ModalDriver driver;
        std::string nested = "?";  // the answers to nested calls, and the client's name
        driver.action = [&] {
            nested = std::to_string(CM_OpenCrm(0, nullptr, nullptr, 0, 0, 0)) +
                     std::to_string(CM_OpenCrmStat(0, 0, 0, 0)) + GetClientName(c.key);
        };
        EXPECT_EQ(c.open(), 1) << c.window.toStdString();
        EXPECT_EQ(driver.seen, c.window + "/" + c.caption);
        EXPECT_EQ(nested, "00" + c.name);
    }
    EXPECT_EQ(g_hostWnd, hostWnd);
    EXPECT_EQ(g_hostPickMsg, 0x9000u);
    EXPECT_EQ(g_clientNames, names);  // mode 0 replaced the handed-over lists
    EXPECT_EQ(g_clientKeys, keys);
    ModalDriver none;
    EXPECT_EQ(CM_OpenCrm(2, nullptr, nullptr, 0, 0, 0), 0);
    EXPECT_EQ(CM_OpenCrm(-1, nullptr, nullptr, 0, 0, 0), 1);
    EXPECT_EQ(CM_OpenCrm(-7, nullptr, nullptr, 0, 0, 0), 0);
    EXPECT_EQ(none.seen, "");
}

long CountBelow(const std::string& path) {
    return std::distance(std::filesystem::recursive_directory_iterator(path), {});
}

// A missing or damaged database: the connection messages, no window, nothing new on disk.
TEST_F(EntryPoints, BadDatabaseClosesTheWindowBeforeItIsShown) {
    for (bool damaged : {false, true}) {
        SCOPED_TRACE(damaged ? "damaged" : "missing");
        TempModuleFolder folder;
        if (damaged) {
            std::filesystem::create_directories(folder.Path() + "OrviMdb");
            std::ofstream(GetDatabasePath()) << std::string(4096, 'x');
        }
        const long before = CountBelow(folder.Path());
        MessageCapture capture;
        ModalDriver driver;
        EXPECT_EQ(CM_OpenCrm2("张三", "101", ",", 101, 0, 0), 1);
        QTest::qWait(60);
        EXPECT_EQ(driver.seen, "");
        ASSERT_GE(capture.Count(), 1u);
        EXPECT_EQ(capture.Messages().front().caption, "连接失败");
        EXPECT_EQ(CountBelow(folder.Path()), before);
    }
}

}  // namespace
