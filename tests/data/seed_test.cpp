#include "tools/orvicrm-db/db_seed.h"

#include <gtest/gtest.h>

#include "data/ado_connection.h"
#include "orvicrm/CRstValues.h"
#include "support/message_capture.h"
#include "support/temp_dir.h"
#include "support/test_sql.h"

namespace {

long Count(CRstValues& rst, const std::string& sql) {
    return rst.OpenRecord(sql) ? rst.GetTotalRecordCount() : 0;
}

TEST(Seed, DemoDataForTheDemoClients) {
    TempModuleFolder temp;
    MessageCapture capture;
    std::string path = temp.Path() + "OrviMdb/OrviCrm.db";  // created by the seeder
    std::string error;
    ASSERT_TRUE(SeedDemo(path, &error)) << error;
    ASSERT_TRUE(SeedDemo(path, &error)) << error;  // a second run adds no duplicate values

    CAdoConnection connection;
    ASSERT_EQ(connection.ConnectDatabase(path), 1);
    CRstValues rst(connection.GetConnection(), "SaleTable");
    for (int kind = 5; kind <= 13; ++kind) {
        long values =
            Count(rst, "SELECT * FROM ObjectPar WHERE ObjectParType=" + std::to_string(kind));
        EXPECT_GE(values, 3) << kind;
        EXPECT_LE(values, 6) << kind;
    }
    for (const DemoClient& client : kDemoClients) {
        ASSERT_EQ(rst.OpenRecord("SELECT * FROM SaleTable WHERE ObjectDateTime=" +
                                 std::to_string(client.key)),
                  1);
        std::string name;
        rst.GetValue("ClientName", name);
        EXPECT_EQ(name, client.name);
        for (int k = 0; k < kRecordKindCount; ++k) {
            std::string table = KindTable(static_cast<RecordKind>(k)).name;
            EXPECT_GT(Count(rst, "SELECT * FROM " + table +
                                     " WHERE ObjectDateTime=" + std::to_string(client.key)),
                      0)
                << table;
        }
    }
    // 2007 in local time (UTC+8 in the tests), and amounts that add up.
    EXPECT_GT(Count(rst,
                    "SELECT * FROM SaleTable WHERE SaleDate>=1167580800 AND "
                    "SaleDate<=1199116799"),
              0);
    EXPECT_EQ(Count(rst,
                    "SELECT * FROM SaleTable WHERE SaleDate<1136044800 OR "
                    "SaleDate>1293811199 OR abs(PayMent+UnPayMent-TotalMoney)>0.01"),
              0);
    EXPECT_TRUE(capture.Texts().empty());
}

TEST(Seed, GeneratedRecordsForOneClient) {
    TempModuleFolder temp;
    std::string path = temp.CreateDatabase();
    std::string error;
    ASSERT_TRUE(SeedGenerated(path, RecordKind::Active, 500, 101, &error)) << error;
    CAdoConnection connection;
    ASSERT_EQ(connection.ConnectDatabase(path), 1);
    CRstValues rst(connection.GetConnection(), "ActiveTable");
    EXPECT_EQ(Count(rst,
                    "SELECT * FROM ActiveTable WHERE ObjectDateTime=101 AND "
                    "ClientName='张三' AND ActiveEndDate=ActiveBeginDate+ActiveUseDate*60"),
              500);
    if (!TestOnPostgres()) {  // the folder the database file was made in
        EXPECT_FALSE(SeedGenerated(temp.Path() + "no-folder/x/../../OrviMdb", RecordKind::Sale, 1,
                                   101, &error));
    }
}

}  // namespace
