#include "export/export_run.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QProgressBar>
#include <filesystem>

#include "data/ado_connection.h"
#include "export/export_progress_dlg.h"
#include "export_files.h"
#include "orvicrm/CRstValues.h"
#include "platform/messages.h"
#include "support/message_capture.h"
#include "support/temp_dir.h"
#include "support/test_sql.h"

namespace {

// 2007-05-01 09:05:07 in Shanghai.
constexpr long kBegin = 1177981507;

class ExportRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(m_connection.ConnectDatabase(m_temp.CreateDatabase()), 1);
        m_job.title = "活动资料";
        m_job.path = m_temp.Path() + "out.htm";
        m_job.columns = {{"主题", "ActiveName", 3},
                         {"活动类型", "ActiveType", 3},
                         {"开始时间", "ActiveBeginDate", 2},
                         {"计划持续时间", "ActiveUseDate", 2}};
        m_job.records = &m_rst;
    }

    // Records 活动0, 活动1, … a second apart, 1590 minutes and more long, 活动1 without a type.
    void AddActives(int count) {
        TestSql(m_connection.GetDatabasePathText())
            .Exec("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < " +
                  std::to_string(count - 1) +
                  ") INSERT INTO ActiveTable (ActiveName, ActiveType, ActiveBeginDate, "
                  "ActiveUseDate, ObjectDateTime) SELECT '活动' || i, CASE i WHEN 1 THEN '' "
                  "ELSE '拜访' END, " +
                  std::to_string(kBegin) + " + i, 1590 + i, 5 FROM n");
        m_rst.InitConnAndRec(m_connection.GetConnection(), "ActiveTable");
        m_rst.OpenRecord("SELECT * FROM ActiveTable WHERE ObjectDateTime=5");
        m_job.recordCount = m_rst.GetTotalRecordCount();
    }

    // Ticks records whose index is in ticked; records the blocks asked for.
    ExportHooks Hooks(std::vector<long> ticked) {
        ExportHooks hooks;
        hooks.askTicks = [this, ticked](long first, long count, std::vector<char>& out) {
            m_asked.push_back({first, count});
            for (long t : ticked)
                if (t >= first && t < first + count) out[t - first] = 1;
        };
        hooks.progress = [this](int percent) { m_progress.push_back(percent); };
        return hooks;
    }

    TempModuleFolder m_temp;
    MessageCapture m_capture;
    CAdoConnection m_connection;
    CRstValues m_rst;
    ExportJob m_job;
    std::vector<std::pair<long, long>> m_asked;
    std::vector<int> m_progress;
};

// Ticks are asked for in blocks; every percent is reported once.
TEST_F(ExportRunTest, WritesOnlyTheTickedRecordsInResultOrder) {
    AddActives(static_cast<int>(kTickBlock) + 10);
    ASSERT_EQ(m_job.recordCount, 4106);
    EXPECT_EQ(WriteTickedRecords(m_job, Hooks({kTickBlock + 9, 3, 1})), ExportOutcome::Completed);
    EXPECT_EQ(
        ReadFile(m_job.path),
        HtmlTable("活动资料", {{"主题", "活动类型", "开始时间", "计划持续时间"},
                               {"活动1", "&nbsp", "2007_05_01 09：05：08", "1天2小时31分"},
                               {"活动3", "拜访", "2007_05_01 09：05：10", "1天2小时33分"},
                               {"活动4105", "拜访", "2007_05_01 10：13：32", "3天22小时55分"}}));
    EXPECT_EQ(m_asked, (std::vector<std::pair<long, long>>{{0, kTickBlock}, {kTickBlock, 10}}));
    ASSERT_EQ(m_progress.size(), 101u);
    for (int percent = 0; percent <= 100; ++percent) EXPECT_EQ(m_progress[percent], percent);
    EXPECT_FALSE(FileHeldOpen(m_job.path));
    EXPECT_EQ(m_capture.Count(), 0u);
}

TEST_F(ExportRunTest, AStopEndsWithinOneRecordAndFileFailuresAndEmptyResultsAreToldApart) {
    AddActives(6);
    ExportHooks hooks = Hooks({0, 1, 2, 3, 4, 5});
    int asked = 0;
    hooks.stopRequested = [&] { return ++asked > 2; };  // granted before the third record
    EXPECT_EQ(WriteTickedRecords(m_job, hooks), ExportOutcome::Cancelled);
    const std::string file = ReadFile(m_job.path);
    EXPECT_NE(file.find("<TD>活动1</TD>"), std::string::npos);
    EXPECT_EQ(file.find("<TD>活动2</TD>"), std::string::npos);
    EXPECT_EQ(m_progress, (std::vector<int>{16, 33}));

    // Files that cannot be written, and an empty result that writes no file.
    WriteFile(m_temp.Path() + "plain", "x");
    ASSERT_EQ(symlink("/dev/full", (m_temp.Path() + "full.htm").c_str()), 0);
    for (const char* name : {"plain/out.htm", "full.htm"}) {
        m_job.path = m_temp.Path() + name;
        EXPECT_EQ(WriteTickedRecords(m_job, Hooks({0})), ExportOutcome::FileFailed) << name;
    }
    m_job.path = m_temp.Path() + "none.htm";
    m_job.recordCount = 0;
    EXPECT_EQ(WriteTickedRecords(m_job, Hooks({0})), ExportOutcome::Completed);
    EXPECT_FALSE(std::filesystem::exists(m_job.path));
}

// A page stand-in that ticks every record and counts the questions.
class AllTicked : public MessageTarget {
public:
    LRESULT WindowProc(UINT msg, WPARAM, LPARAM) override {
        if (msg != WM_PAGE_ISCHECKED) return 0;
        ++asked;
        return 1;
    }
    long asked = 0;
};

TEST_F(ExportRunTest, TheProgressWindowsCancelStopsTheWriterAndClosesTheFile) {
    AddActives(200000);
    AllTicked page;
    CExportProgressDlg dlg(nullptr);
    dlg.m_owner = page.GetSafeHwnd();
    dlg.m_title = m_job.title;
    dlg.m_path = m_job.path;
    dlg.m_headings = {"主题"};
    dlg.m_fieldNames = {"ActiveName"};
    dlg.m_types = {3};
    dlg.SetRecords(&m_rst, m_job.recordCount);
    const int result = RunWith(
        dlg, [&] { EXPECT_EQ(Control<QProgressBar>(&dlg, IDC_EXPORT_PROGRESS)->value(), 0); });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(dlg.Outcome(), ExportOutcome::Cancelled);
    EXPECT_LT(page.asked, 200000);
    EXPECT_EQ(ReadFile(dlg.m_path).find("</TABLE>"), std::string::npos);
    EXPECT_FALSE(FileHeldOpen(dlg.m_path));
    EXPECT_EQ(m_capture.Count(), 0u);
}

}  // namespace
