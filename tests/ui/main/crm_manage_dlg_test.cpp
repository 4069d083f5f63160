#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTabBar>
#include <QTest>
#include <climits>
#include <filesystem>

#include "platform/files.h"
#include "platform/messages.h"
#include "support/message_capture.h"
#include "support/probes.h"
#include "support/temp_dir.h"
#include "ui/main/crm_manage_dlg.h"
#include "ui/main/crm_tab_ctrl.h"
#include "ui/main/ini_file.h"
#include "ui/main/main_window_link.h"
#include "ui/main/page_window.h"

namespace {

struct Received {
    int page;
    UINT msg;
    WPARAM wParam;
};

// What reached the pages and the pages deleted, in order.
std::vector<Received> received;
std::vector<int> deleted;

// A page that records what reaches it; it holds an edit field to type into.
class RecordingPage : public CPageWindow {
public:
    RecordingPage(int index, QWidget* parent)
        : CPageWindow(parent), index(index), edit(new QLineEdit(this)) {}
    ~RecordingPage() override { deleted.push_back(index); }
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM) override {
        received.push_back({index, msg, wParam});
        return 0;
    }
    bool PreTranslateKey(QKeyEvent* event) override {
        keys.push_back(event->key());
        return true;
    }
    int index;
    QLineEdit* edit;
    std::vector<int> keys;
};

class MainWindow : public ::testing::Test {
protected:
    TempModuleFolder folder;

    void SetUp() override {
        folder.CreateDatabase();
        received.clear();
        deleted.clear();
        CCrmManageDlg::SetPageFactory([](RecordKind kind, QWidget* parent) {
            return new RecordingPage(static_cast<int>(kind), parent);
        });
    }
    void TearDown() override { CCrmManageDlg::SetPageFactory({}); }

    void WriteSettings(int left, int top, int width, int height) {
        MakeSureDirectoryPathExists(GetSettingsPath());
        WriteFile(GetSettingsPath(),
                  "[infowindow]\nleft=" + std::to_string(left) + "\ntop=" + std::to_string(top) +
                      "\nwidth=" + std::to_string(width) + "\nheight=" + std::to_string(height));
    }
    static std::vector<int> StoredRect() {
        CIniFile ini;
        ini.SetPath(GetSettingsPath());
        ini.ReadFile();
        return {ini.GetValueI("infowindow", "left"), ini.GetValueI("infowindow", "top"),
                ini.GetValueI("infowindow", "width"), ini.GetValueI("infowindow", "height")};
    }
    template <typename Dlg = CCrmManageDlg>
    static std::unique_ptr<Dlg> Open(bool show = true, int clientKey = 0, int runByEntry = 0) {
        auto dlg = std::make_unique<Dlg>();
        dlg->SetClientKey(clientKey);
        dlg->SetRunByEntry(runByEntry);
        EXPECT_EQ(dlg->OnInitDialog(), 1);
        if (show) dlg->show();
        return dlg;
    }
    std::vector<UINT> MessagesOf(int page, bool withLayout = false) const {
        std::vector<UINT> out;
        for (const Received& r : received)
            if (r.page == page && (withLayout || r.msg != WM_PAGE_LAYOUT)) out.push_back(r.msg);
        return out;
    }
};

TEST_F(MainWindow, StartsWithSixTabsInOrderAndTheCountPlaceholder) {
    auto dlg = Open(true, 103);
    EXPECT_EQ(dlg->windowTitle(), "管理");
    CCrmTabCtrl* tab = dlg->GetTabCtrl();
    ASSERT_EQ(tab->GetTabCount(), 6);
    const char* const labels[] = {"销售", "机会", "费用", "历史", "活动", "反馈"};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(tab->GetTabLabel(i), labels[i]);
        auto* page = static_cast<CPageWindow*>(tab->GetTabPage(i));
        EXPECT_EQ(page->parentWidget(), tab);
        EXPECT_EQ(page->pos(), QPoint(4, 28));
        EXPECT_EQ(page->IsHosted(), 1);
        EXPECT_EQ(page->GetClientKey(), 103);
        EXPECT_EQ(page->isVisible(), i == 0);
        EXPECT_EQ(MessagesOf(i, true), std::vector<UINT>{WM_PAGE_LAYOUT});
    }
    EXPECT_EQ(tab->GetSelectedTextColor(), 0xff0000u);
    EXPECT_EQ(tab->GetHoverTextColor(), 0xffffffu);
    auto* count = Control<QLabel>(dlg.get(), 1364);
    EXPECT_EQ(count->text(), "888888");
    EXPECT_FALSE(Control<QPushButton>(dlg.get(), 1080)->isVisible());

    ShowPageCount(tab->GetTabPage(2), 42, 1);
    EXPECT_EQ(count->text(), "42");
    EXPECT_TRUE(Control<QCheckBox>(dlg.get(), 1044)->isChecked());
    EXPECT_TRUE(MessagesOf(2).empty());  // set without a click
    ShowPageCount(nullptr, 1, 0);
}

TEST_F(MainWindow, ButtonsGoToTheCurrentPageAndClosingStoresTheClampedRectangle) {
    auto dlg = Open();
    const auto button = [&](int id) { return Control<QPushButton>(dlg.get(), id); };
    QTabBar* bar = dlg->GetTabCtrl()->TabBar();
    for (int id : {1060, 1058, 1059, 1061, 1080}) button(id)->show();
    button(1016)->hide();

    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(3).center());
    EXPECT_EQ(dlg->GetTabCtrl()->GetCurSel(), 3);
    EXPECT_TRUE(dlg->GetTabCtrl()->GetTabPage(3)->isVisible());
    EXPECT_FALSE(dlg->GetTabCtrl()->GetTabPage(0)->isVisible());
    for (int id : {1060, 1058, 1059, 1061, 1080}) EXPECT_FALSE(button(id)->isVisible()) << id;
    EXPECT_TRUE(button(1016)->isVisible());

    received.clear();
    for (int id : {1016, 1043, 1027, 1044, 1044})
        QTest::mouseClick(Control<QWidget>(dlg.get(), id), Qt::LeftButton);
    EXPECT_EQ(MessagesOf(3), (std::vector<UINT>{WM_PAGE_NEW, WM_PAGE_VIEW, WM_PAGE_DELETE,
                                                WM_PAGE_SELECTALL, WM_PAGE_SELECTALL}));
    ASSERT_EQ(received.size(), 5u);
    EXPECT_EQ(received[3].wParam, 1u);
    EXPECT_EQ(received[4].wParam, 0u);

    // A resize lays out again and tells every page.
    received.clear();
    dlg->resize(900, 600);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(MessagesOf(i, true), std::vector<UINT>{WM_PAGE_LAYOUT});
    EXPECT_EQ(button(1)->pos(), QPoint(840, 576));
    EXPECT_EQ(dlg->GetTabCtrl()->size(), QSize(898, 570));

    // Not run by an entry point, neither 关闭 nor a close request closes it.
    QTest::mouseClick(button(1), Qt::LeftButton);
    dlg->close();
    EXPECT_TRUE(dlg->isVisible());
    // Deleting it stores the clamped rectangle and deletes the pages in tab order.
    dlg->move(30, 40);
    dlg->resize(1400, 200);
    dlg.reset();
    EXPECT_EQ(StoredRect(), (std::vector<int>{30, 40, 1280, 300}));
    EXPECT_EQ(deleted, (std::vector<int>{0, 1, 2, 3, 4, 5}));
}

TEST_F(MainWindow, EnterAndEscapeAreSwallowedEverywhereSpaceOnlyOnButtonsAndBoxes) {
    auto dlg = Open(true, 0, 1);
    auto* page = static_cast<RecordingPage*>(dlg->GetPage(RecordKind::Sale));
    auto* closeButton = Control<QPushButton>(dlg.get(), 1);
    auto* selectAll = Control<QCheckBox>(dlg.get(), 1044);
    for (QWidget* target : std::initializer_list<QWidget*>{dlg.get(), closeButton, selectAll}) {
        for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape, Qt::Key_Space})
            QTest::keyClick(target, key);
    }
    EXPECT_TRUE(dlg->isVisible());
    EXPECT_EQ(dlg->result(), 0);
    EXPECT_FALSE(selectAll->isChecked());
    EXPECT_EQ(received.size(), 6u);  // only the layout messages of the start

    // The page holding the focus sees a swallowed key first; a text box takes Space.
    QTest::keyClicks(page->edit, "2007-5-3 10:20");
    QTest::keyClick(page->edit, Qt::Key_Escape);
    EXPECT_EQ(page->edit->text(), "2007-5-3 10:20");
    EXPECT_EQ(page->keys, (std::vector<int>{Qt::Key_Escape, Qt::Key_Escape}));
    EXPECT_TRUE(dlg->isVisible());
    QTest::mouseClick(closeButton, Qt::LeftButton);  // 关闭 closes a window run by an entry
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_EQ(dlg->result(), QDialog::Accepted);
}

// A rectangle narrower than 595 pixels, none at all, or a settings folder that cannot be made:
// the window opens at its designed size without a message, the smallest rectangle at the
// place read is stored where it can be, and a file in the folder's way is left alone.
TEST_F(MainWindow, TooSmallMissingOrUnwritableRectangleGivesTheDesignedSize) {
    MessageCapture capture;
    const std::vector<int> stored[] = {{10, 20, 595, 400}, {0, 0, 595, 300}, {0, 0, 0, 0}};
    for (int c = 0; c < 3; ++c) {
        WriteSettings(10, 20, 594, 400);
        if (c > 0) std::filesystem::remove_all(c == 1 ? GetSettingsPath() : folder.Path() + "Ini");
        if (c == 2) WriteFile(folder.Path() + "Ini", "a file");
        auto dlg = Open(false);
        EXPECT_EQ(dlg->size(), QSize(645, 416)) << c;
        EXPECT_EQ(StoredRect(), stored[c]) << c;
    }
    EXPECT_TRUE(std::filesystem::is_regular_file(folder.Path() + "Ini"));
    EXPECT_EQ(capture.Count(), 0u);
}

// A main window with a frame of 8 x 31 pixels around its client area.
class FramedDlg : public CCrmManageDlg {
protected:
    QSize FrameExtra() const override { return {8, 31}; }
};

TEST_F(MainWindow, OuterSizeIsStoredAndRestoredExactly) {
    WriteSettings(10, 20, 700, 400);
    auto dlg = Open<FramedDlg>(false);
    EXPECT_EQ(dlg->pos(), QPoint(10, 20));
    EXPECT_EQ(dlg->size(), QSize(692, 369));
    dlg->resize(500, 200);  // the outer size keeps at least 595 x 300
    EXPECT_EQ(dlg->size(), QSize(587, 269));
    dlg->resize(692, 369);
    dlg.reset();
    EXPECT_EQ(StoredRect(), (std::vector<int>{10, 20, 700, 400}));  // as read
}

TEST_F(MainWindow, RectangleOffEveryScreenOpensCentredOnThePrimaryScreen) {
    ASSERT_EQ(QGuiApplication::primaryScreen()->geometry(), QRect(0, 0, 800, 800));
    const QPoint centred(50, 200);  // a 700 x 400 window on 800 x 800
    const struct {
        int left, top;
        QPoint expected;
    } cases[] = {
        {-5000, 20, centred},   {100000, 20, centred},  {INT_MAX - 100, 20, centred},
        {-699, 20, {-699, 20}}, {-700, 20, centred},    {799, 20, {799, 20}},
        {800, 20, centred},     {10, -399, {10, -399}}, {10, -400, centred},
        {10, 799, {10, 799}},   {10, 800, centred},     {INT_MIN, INT_MIN, centred},
    };
    for (const auto& c : cases) {
        WriteSettings(c.left, c.top, 700, 400);
        auto dlg = Open(false);
        EXPECT_EQ(dlg->pos(), c.expected) << c.left << "," << c.top;
        dlg.reset();
        EXPECT_EQ(StoredRect(), (std::vector<int>{c.expected.x(), c.expected.y(), 700, 400}));
    }
}

TEST_F(MainWindow, SizeAsLargeAsTheScreenMaximises) {
    WriteSettings(5, 5, 2000, 900);
    const std::vector<int> screenRect{0, 0, 800, 800};  // the test screen's
    auto dlg = Open();
    EXPECT_TRUE(dlg->windowState() & Qt::WindowMaximized);
    EXPECT_EQ(StoredRect(), screenRect);
    dlg.reset();
    EXPECT_EQ(StoredRect(), screenRect);  // and still after closing the maximised window
}

}  // namespace
