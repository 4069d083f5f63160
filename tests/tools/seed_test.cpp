#include "tools/orvicrm-db/db_seed.h"

#include <gtest/gtest.h>

#include "data/ado_connection.h"
#include "support/message_capture.h"
#include "support/scratch_database.h"
#include "support/temp_dir.h"
#include "support/test_sql.h"

namespace {

// In a file the seeder makes with its folder, or on the test server in a database it gives
// the tables first: the demo data (a second run adds no value twice), then generated records.
TEST(Seed, DemoDataForTheDemoClientsThenGeneratedRecords) {
    TempModuleFolder temp;
    MessageCapture capture;
    std::unique_ptr<ScratchDatabase> server;
    if (TestOnPostgres()) server = std::make_unique<ScratchDatabase>();
    const std::string location = server ? server->Location() : temp.Path() + "OrviMdb/OrviCrm.db";
    std::string error;
    ASSERT_TRUE(SeedDemo(location, &error)) << error;
    ASSERT_TRUE(SeedDemo(location, &error)) << error;
    CAdoConnection connection;
    EXPECT_EQ(connection.ConnectDatabase(location), 1);  // the module's database

    TestSql sql(location);
    EXPECT_EQ(sql.Number("SELECT count(*) FROM ObjectPar"), 42);
    const std::vector<std::string> perKind = sql.Column(
        "SELECT count(*) FROM ObjectPar WHERE ObjectParType BETWEEN 5 AND 13 GROUP BY "
        "ObjectParType");
    EXPECT_EQ(perKind.size(), 9u);
    for (const std::string& values : perKind)
        EXPECT_TRUE(std::stoi(values) >= 3 && std::stoi(values) <= 6) << values;
    EXPECT_EQ(
        sql.Rows("SELECT ObjectDateTime, ClientName FROM SaleTable GROUP BY ObjectDateTime, "
                 "ClientName ORDER BY 1"),
        (std::vector<std::vector<std::string>>{
            {"101", "张三"}, {"102", "李四"}, {"103", "王五"}, {"104", "赵六"}, {"105", "钱七"}}));
    EXPECT_EQ(sql.Number("SELECT count(*) FROM SaleTable WHERE ClientName = '李四'"), 16);
    for (const char* table : {"SaleTable", "ChanceTable", "ConsumeTable", "HistoryTable",
                              "ActiveTable", "FeedBackTable"})
        EXPECT_EQ(sql.Number(std::string("SELECT count(DISTINCT ObjectDateTime) FROM ") + table), 5)
            << table;
    // 2007 in local time (UTC+8 in the tests); every sale 2006 to 2010, amounts that add up.
    EXPECT_GT(sql.Number("SELECT count(*) FROM SaleTable WHERE SaleDate>=1167580800 AND "
                         "SaleDate<=1199116799"),
              0);
    EXPECT_EQ(sql.Number("SELECT count(*) FROM SaleTable WHERE SaleDate<1136044800 OR "
                         "SaleDate>1293811199 OR abs(PayMent+UnPayMent-TotalMoney)>0.01"),
              0);

    ASSERT_TRUE(SeedGenerated(location, RecordKind::History, 250, 104, &error)) << error;
    EXPECT_EQ(sql.Number("SELECT count(*) FROM HistoryTable WHERE ObjectDateTime = 104 AND "
                         "ClientName = '赵六' AND HistoryEndDate = HistoryBeginDate + "
                         "HistoryUseDate * 60"),
              260);
    EXPECT_TRUE(capture.Texts().empty());
    // The folder of a database file is made only where it can be.
    if (!server) {
        EXPECT_FALSE(SeedGenerated(temp.Path() + "no-folder/x/../../OrviMdb", RecordKind::Sale, 1,
                                   101, &error));
    }
}

}  // namespace
