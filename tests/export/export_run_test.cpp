#include "export/export_run.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "data/ado_connection.h"
#include "data/recordset.h"
#include "export_files.h"
#include "orvicrm/CRstValues.h"
#include "support/message_capture.h"
#include "support/probes.h"
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

    void AddActives(int count) {
        std::string values;
        for (int i = 0; i < count; ++i)
            values += std::string(i ? ", " : "") + "('活动" + std::to_string(i) + "', '" +
                      (i == 1 ? "" : "拜访") + "', " + std::to_string(kBegin + i) + ", " +
                      std::to_string(1590 + i) + ", 5)";
        TestSql(m_connection.GetDatabasePathText())
            .Exec(
                "INSERT INTO ActiveTable (ActiveName, ActiveType, ActiveBeginDate, ActiveUseDate, "
                "ObjectDateTime) VALUES " +
                values);
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

TEST_F(ExportRunTest, WritesOnlyTheTickedRecordsInResultOrder) {
    AddActives(4);
    ASSERT_EQ(m_job.recordCount, 4);
    EXPECT_EQ(WriteTickedRecords(m_job, Hooks({3, 1})), ExportOutcome::Completed);
    EXPECT_EQ(ReadFile(m_job.path),
              HtmlTable("活动资料", {{"主题", "活动类型", "开始时间", "计划持续时间"},
                                     {"活动1", "&nbsp", "2007_05_01 09：05：08", "1天2小时31分"},
                                     {"活动3", "拜访", "2007_05_01 09：05：10", "1天2小时33分"}}));
    EXPECT_EQ(m_progress, (std::vector<int>{25, 50, 75, 100}));
    EXPECT_FALSE(FileHeldOpen(m_job.path));
    EXPECT_EQ(m_capture.Count(), 0u);
}

TEST_F(ExportRunTest, AsksForTicksInBlocksAndReportsEveryPercentOnce) {
    AddActives(static_cast<int>(kTickBlock) + 10);
    EXPECT_EQ(WriteTickedRecords(m_job, Hooks({0, kTickBlock + 9})), ExportOutcome::Completed);
    EXPECT_EQ(m_asked, (std::vector<std::pair<long, long>>{{0, kTickBlock}, {kTickBlock, 10}}));
    ASSERT_EQ(m_progress.size(), 101u);  // 0 (the first records) to 100, each once
    EXPECT_EQ(m_progress.front(), 0);
    EXPECT_EQ(m_progress.back(), 100);
    const std::string file = ReadFile(m_job.path);
    EXPECT_NE(file.find("<TD>活动0</TD>"), std::string::npos);
    EXPECT_NE(file.find("<TD>活动4105</TD>"), std::string::npos);
    EXPECT_EQ(file.find("<TD>活动1</TD>"), std::string::npos);
}

TEST_F(ExportRunTest, AStopEndsWithinOneRecordAndClosesTheFileWithoutItsTail) {
    AddActives(6);
    ExportHooks hooks = Hooks({0, 1, 2, 3, 4, 5});
    int asked = 0;
    hooks.stopRequested = [&] { return ++asked > 2; };  // granted before the third record
    EXPECT_EQ(WriteTickedRecords(m_job, hooks), ExportOutcome::Cancelled);
    const std::string file = ReadFile(m_job.path);
    EXPECT_NE(file.find("<TD>活动1</TD>"), std::string::npos);
    EXPECT_EQ(file.find("<TD>活动2</TD>"), std::string::npos);
    EXPECT_EQ(file.find("</TABLE>"), std::string::npos);
    EXPECT_EQ(m_progress, (std::vector<int>{16, 33}));
    EXPECT_FALSE(FileHeldOpen(m_job.path));
}

TEST_F(ExportRunTest, FileFailuresAndEmptyResultsAreToldApart) {
    AddActives(2);
    WriteFile(m_temp.Path() + "plain", "x");
    m_job.path = m_temp.Path() + "plain/out.htm";
    EXPECT_EQ(WriteTickedRecords(m_job, Hooks({0})), ExportOutcome::FileFailed);

    m_job.path = m_temp.Path() + "full.htm";
    ASSERT_EQ(symlink("/dev/full", m_job.path.c_str()), 0);
    EXPECT_EQ(WriteTickedRecords(m_job, Hooks({0})), ExportOutcome::FileFailed);

    m_job.path = m_temp.Path() + "none.htm";
    m_job.recordCount = 0;
    EXPECT_EQ(WriteTickedRecords(m_job, Hooks({0})), ExportOutcome::Completed);
    EXPECT_FALSE(std::filesystem::exists(m_job.path));  // nothing to write, no file
}

}  // namespace
