#include <gtest/gtest.h>

#include <regex>
#include <set>

#include "data/schema.h"
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

TEST(ServerSchemaSql, EveryColumnInOrderWithItsTypeAndTheRowKeyLast) {
    const char* const kTypes[] = {"integer", "real", "integer", "text COLLATE \"C\""};
    std::string sql = ServerSchemaSql();
    for (const TableDef* table : AllTables()) {
        std::string expected = std::string("CREATE TABLE ") + table->name + " (";
        for (const FieldDef& field : table->fields)
            expected += std::string(field.name) + ' ' + kTypes[field.type] + ", ";
        expected += "orvi_rowkey bigserial PRIMARY KEY);\n";
        EXPECT_NE(sql.find(expected), std::string::npos) << expected;
    }
    EXPECT_NE(sql.find("CREATE TABLE ObjectPar (ObjectParName text COLLATE \"C\", ObjectParType "
                       "integer, orvi_rowkey bigserial PRIMARY KEY);"),
              std::string::npos);
}

TEST(ServerSchemaSql, TheSameIndexesAsTheFileAndNoRowKeyInTheFile) {
    std::set<std::string> server = IndexNames(ServerSchemaSql());
    EXPECT_EQ(server, IndexNames(SchemaSql()));
    EXPECT_EQ(server.size(), 17u);  // ObjectDateTime in seven tables, ObjectParType, nine dates
    EXPECT_TRUE(server.count("SaleTable_SaleDate SaleTable SaleDate"));
    EXPECT_TRUE(server.count("ObjectPar_ObjectParType ObjectPar ObjectParType"));
    EXPECT_EQ(SchemaSql().find("orvi_rowkey"), std::string::npos);
    // On the server an index ends with the row key, as a file's ends with the rowid.
    EXPECT_NE(ServerSchemaSql().find("ON SaleTable (SaleDate, orvi_rowkey);"), std::string::npos);
    EXPECT_NE(
        SchemaSql().find("CREATE TABLE ObjectPar (ObjectParName TEXT, ObjectParType INTEGER);"),
        std::string::npos);
}

}  // namespace
