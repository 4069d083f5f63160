#include <gtest/gtest.h>

#include <regex>
#include <set>

#include "data/schema.h"
#include "support/message_capture.h"
#include "support/scratch_database.h"
#include "support/temp_dir.h"
#include "support/test_sql.h"
#include "tools/orvicrm-db/db_init.h"
#include "tools/orvicrm-db/db_seed.h"

namespace {

std::set<std::string> IndexNames(const std::string& sql) {
    std::set<std::string> names;
    std::regex index("CREATE INDEX (\\w+) ON (\\w+) \\((\\w+)(, orvi_rowkey)?\\)");
    for (auto it = std::sregex_iterator(sql.begin(), sql.end(), index);
         it != std::sregex_iterator(); ++it)
        names.insert((*it)[1].str() + " " + (*it)[2].str() + " " + (*it)[3].str());
    return names;
}

// On a server every table ends with the row key, and so does every index, as a file's ends
// with the rowid; the indexes are the file's.
TEST(Schema, ServerTablesAndIndexesEndWithTheRowKey) {
    const std::string server = ServerSchemaSql(), file = SchemaSql();
    for (const char* table :
         {"CREATE TABLE ObjectPar (ObjectParName text COLLATE \"C\", ObjectParType integer, "
          "orvi_rowkey bigserial PRIMARY KEY);\n",
          "CREATE TABLE ConsumeTable (ConsumeName text COLLATE \"C\", ClientName text COLLATE "
          "\"C\", ConsumeChance text COLLATE \"C\", ConsumeDate integer, ConsumeTime integer, "
          "ConsumeType text COLLATE \"C\", ConsumeMoney real, ConsumeExplain text COLLATE \"C\", "
          "ObjectDateTime integer, orvi_rowkey bigserial PRIMARY KEY);\n"})
        EXPECT_NE(server.find(table), std::string::npos) << table;
    EXPECT_NE(file.find("CREATE TABLE ObjectPar (ObjectParName TEXT, ObjectParType INTEGER);"),
              std::string::npos);
    EXPECT_EQ(file.find("orvi_rowkey"), std::string::npos);
    const std::set<std::string> indexes = IndexNames(server);
    EXPECT_EQ(indexes, IndexNames(file));
    EXPECT_EQ(indexes.size(), 17u);  // ObjectDateTime in seven tables, ObjectParType, nine dates
    EXPECT_TRUE(indexes.count("SaleTable_SaleDate SaleTable SaleDate"));
    EXPECT_TRUE(indexes.count("ObjectPar_ObjectParType ObjectPar ObjectParType"));
    EXPECT_NE(server.find("ON SaleTable (SaleDate, orvi_rowkey);"), std::string::npos);
}

TEST(Schema, AServerThatIsNotThereIsOneLineOfReason) {
    std::string error;
    EXPECT_FALSE(CreateDatabase("host=/nonexistent-orvicrm dbname=crm", &error));
    EXPECT_EQ(error.rfind("cannot connect: connection to server on socket "
                          "\"/nonexistent-orvicrm/.s.PGSQL.5432\" failed",
                          0),
              0u)
        << error;
    EXPECT_EQ(error.find('\n'), std::string::npos);
}

TEST(Schema, AServerGetsTheTablesOnceAndOnlyInAUtf8Database) {
    SKIP_WITHOUT_SERVER();
    ScratchDatabase server;
    std::string error;
    ASSERT_TRUE(CreateDatabase(server.Location(), &error)) << error;
    EXPECT_EQ(server.Sql().Joined(
                  "SELECT (SELECT count(*) FROM pg_tables WHERE schemaname = 'public'), count(*) "
                  "FROM pg_indexes WHERE schemaname = 'public' AND indexname NOT LIKE '%_pkey'"),
              "8/17");
    EXPECT_FALSE(CreateDatabase(server.Location(), &error));
    EXPECT_EQ(error, "the database already has the table SaleTable");

    ScratchDatabase ascii("SQL_ASCII");
    EXPECT_FALSE(CreateDatabase(ascii.Location(), &error));
    EXPECT_EQ(error, "the database's encoding is SQL_ASCII; OrviCrm needs a UTF8 database");
    EXPECT_EQ(ascii.Text("SELECT count(*) FROM pg_tables WHERE schemaname = 'public'"), "0");
}

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

    TestSql sql(location);
    EXPECT_EQ(sql.Number("SELECT count(*) FROM ObjectPar"), 42);
    // Nine kinds of parameters of three to six values each.
    EXPECT_EQ(
        sql.Joined("SELECT count(*), min(n), max(n) FROM (SELECT count(*) AS n FROM "
                   "ObjectPar WHERE ObjectParType BETWEEN 5 AND 13 GROUP BY ObjectParType) t"),
        "9/3/6");
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
    EXPECT_EQ(sql.Joined("SELECT CAST(count(*) > 0 AS integer), (SELECT count(*) FROM SaleTable "
                         "WHERE SaleDate < 1136044800 OR SaleDate > 1293811199 OR abs(PayMent "
                         "+ UnPayMent - TotalMoney) > 0.01) FROM SaleTable WHERE SaleDate >= "
                         "1167580800 AND SaleDate <= 1199116799"),
              "1/0");

    ASSERT_TRUE(SeedGenerated(location, RecordKind::History, 250, 104, &error)) << error;
    EXPECT_EQ(sql.Number("SELECT count(*) FROM HistoryTable WHERE ObjectDateTime = 104 AND "
                         "ClientName = '赵六' AND HistoryEndDate = HistoryBeginDate + "
                         "HistoryUseDate * 60"),
              260);
    EXPECT_TRUE(capture.Texts().empty());
    // The folder of a database file is made only where it can be.
    EXPECT_TRUE(server || !SeedGenerated(temp.Path() + "no-folder/x/../../OrviMdb",
                                         RecordKind::Sale, 1, 101, &error));
}

}  // namespace
