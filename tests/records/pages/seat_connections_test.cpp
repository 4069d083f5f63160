// The server connections of one seat, counted by the server: all windows share one session,
// list loads read on reader connections, and readers left idle are closed.
#include <unistd.h>

#include <algorithm>

#include "support/scratch_database.h"
#include "tests/records/editors/editor_fixture.h"
#include "ui/main/crm_manage_dlg.h"
#include "ui/main/crm_tab_ctrl.h"

namespace {

class SeatConnectionsTest : public EditorFixture {
protected:
    void SetUp() override {
        SKIP_WITHOUT_SERVER();
        SKIP_THROUGH_POOLER();
        EditorFixture::SetUp();
        m_name = "orvi_seat_test_" + std::to_string(getpid());
        const std::string location = getenv("ORVICRM_DATABASE");
        setenv("ORVICRM_DATABASE", (location + " application_name=" + m_name).c_str(), 1);
        AddManyParams(1, 3000);
        for (int c = 0; c < 6; ++c) Exec("INSERT INTO ChanceTable (ChanceName) VALUES ('c')");
    }
    void TearDown() override {
        SetReaderIdleTime(std::chrono::seconds(30));
        EditorFixture::TearDown();
    }
    long Connections() {
        return Count("SELECT count(*) FROM pg_stat_activity WHERE application_name = '" + m_name +
                     "'");
    }
    // Serves the event loop until the seat holds count connections.
    bool SettlesAt(long count) {
        return WaitUntil([&] {
            QTest::qWait(50);
            return Connections() == count;
        });
    }
    // The most connections seen until done() holds.
    long MostUntil(const std::function<bool()>& done) {
        long most = 0;
        EXPECT_TRUE(WaitUntil([&] {
            most = std::max(most, Connections());
            return done();
        }));
        return most;
    }
    // Opens the main window and shows every tab, each until its load ended.
    long ShowAllTabs(CCrmManageDlg& dlg) {
        EXPECT_EQ(dlg.OnInitDialog(), 1);
        dlg.show();
        long most = 0;
        for (int tab = 0; tab < kRecordKindCount; ++tab) {
            dlg.GetTabCtrl()->SetCurSel(tab);
            auto* page = dynamic_cast<CRecordPage*>(dlg.GetPage(static_cast<RecordKind>(tab)));
            most = std::max(most, MostUntil([page] { return !page || !page->IsLoading(); }));
        }
        return most;
    }

    std::string m_name;
};

TEST_F(SeatConnectionsTest, OneSessionAtRestAndAReaderPerRunningLoad) {
    // Readers kept: each tab's load took one, but never more than four.
    SetReaderIdleTime(std::chrono::minutes(10));
    {
        CCrmManageDlg dlg;
        const long most = ShowAllTabs(dlg);
        EXPECT_GE(most, 2);
        EXPECT_LE(most, 5);
    }
    // The last window closed its session, with its waiting readers.
    EXPECT_TRUE(SettlesAt(0));

    SetReaderIdleTime(std::chrono::milliseconds(300));
    CCrmManageDlg dlg;
    EXPECT_LE(ShowAllTabs(dlg), 5);
    EXPECT_TRUE(SettlesAt(1));

    // An editor loading its four lists: its loaders read apart, on four readers at most.
    auto editor = Open(RecordKind::Sale, 0);
    EXPECT_LE(MostUntil([&] { return !editor->LoadersRunning(); }), 5);
    editor->OnCancel();
    editor.reset();
    EXPECT_TRUE(SettlesAt(1));
    EXPECT_EQ(m_capture.Count(), 0u);
}

}  // namespace
