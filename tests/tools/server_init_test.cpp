#include <gtest/gtest.h>

#include "support/scratch_database.h"
#include "tools/orvicrm-db/db_init.h"
#include "tools/orvicrm-db/db_seed.h"

namespace {

TEST(ServerInit, AServerThatIsNotThereIsOneLineOfReason) {
    std::string error;
    EXPECT_FALSE(CreateDatabase("host=/nonexistent-orvicrm dbname=crm", &error));
    EXPECT_EQ(error.rfind("cannot connect: connection to server on socket "
                          "\"/nonexistent-orvicrm/.s.PGSQL.5432\" failed",
                          0),
              0u)
        << error;
    EXPECT_EQ(error.find('\n'), std::string::npos);
}

TEST(ServerInit, CreatesTheTablesOnceAndOnlyInAUtf8Database) {
    SKIP_WITHOUT_SERVER();
    ScratchDatabase server;
    std::string error;
    ASSERT_TRUE(CreateDatabase(server.Location(), &error)) << error;
    EXPECT_EQ(server.Text("SELECT count(*) FROM pg_tables WHERE schemaname = 'public'"), "8");
    EXPECT_EQ(server.Text("SELECT count(*) FROM pg_indexes WHERE schemaname = 'public' AND "
                          "indexname NOT LIKE '%_pkey'"),
              "17");
    EXPECT_EQ(server.Text("SELECT string_agg(column_name, ',' ORDER BY ordinal_position) FROM "
                          "information_schema.columns WHERE table_name = 'objectpar'"),
              "objectparname,objectpartype,orvi_rowkey");
    EXPECT_FALSE(CreateDatabase(server.Location(), &error));
    EXPECT_EQ(error, "the database already has the table SaleTable");

    ScratchDatabase ascii("SQL_ASCII");
    EXPECT_FALSE(CreateDatabase(ascii.Location(), &error));
    EXPECT_EQ(error, "the database's encoding is SQL_ASCII; OrviCrm needs a UTF8 database");
    EXPECT_EQ(ascii.Text("SELECT count(*) FROM pg_tables WHERE schemaname = 'public'"), "0");
}

TEST(ServerSeed, DemoDataOnceAndGeneratedRecords) {
    SKIP_WITHOUT_SERVER();
    ScratchDatabase server;
    std::string error;
    ASSERT_TRUE(SeedDemo(server.Location(), &error)) << error;  // makes the tables first
    ASSERT_TRUE(SeedDemo(server.Location(), &error)) << error;  // no value twice
    EXPECT_EQ(server.Text("SELECT count(*) FROM objectpar"), "42");
    EXPECT_EQ(server.Text("SELECT count(*) FROM saletable WHERE clientname = '李四'"), "16");
    ASSERT_TRUE(SeedGenerated(server.Location(), RecordKind::History, 250, 104, &error)) << error;
    EXPECT_EQ(server.Text("SELECT count(*) FROM historytable WHERE objectdatetime = 104 AND "
                          "historyenddate = historybegindate + historyusedate * 60"),
              "260");
}

}  // namespace
