// The tables and indexes orvicrm-db makes in a file and on a server.
#include <gtest/gtest.h>

#include <regex>
#include <set>

#include "data/schema.h"
#include "support/scratch_database.h"
#include "tools/orvicrm-db/db_init.h"

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

}  // namespace
