#include "params/param_rename.h"

#include <gtest/gtest.h>

#include "data/ado_connection.h"
#include "param_db.h"
#include "params/param_kinds.h"
#include "platform/files.h"

TEST(ParamRename, StatementsCoverTheKindsColumnsWithApostrophesDoubled) {
    EXPECT_EQ(ParamRenameStatements(kParamSaleState, "x", "it's"),
              Names{"UPDATE ChanceTable SET SaleState='it''s' WHERE SaleState='x'"});
    for (int kind : {-1, 0, 4, 14, 15}) EXPECT_TRUE(ParamRenameStatements(kind, "x", "y").empty());
}

using ParamRenameDb = ParamTest;

// A crafted value, backslashes and % are text like any other: each matches only itself.
TEST_F(ParamRenameDb, RenamesExactlyTheRecordsHoldingTheOldValue) {
    for (const char* literal : {"'O''Neil'", "'o''neil'", "'Other'", "'x'' OR ''1''=''1'",
                                "'a\\b%'", "'a\\b%%'", "'a\\bc'", "'ab%'"})
        AddProductRecords(literal);
    Exec("INSERT INTO SaleTable (ProductType) VALUES ('Other')");
    CAdoConnection connection;
    ASSERT_EQ(connection.ConnectDatabase(GetDatabasePath()), 1);
    EXPECT_EQ(RenameParamReferences(connection, kParamProductName, "O'Neil", "O'Brien"), 1);
    EXPECT_EQ(RenameParamReferences(connection, kParamProductName, "x' OR '1'='1", ""), 1);
    EXPECT_EQ(RenameParamReferences(connection, kParamProductName, "a\\b%", "c'\\%"), 1);
    const std::string names = ",O'Brien,Other,a\\b%%,a\\bc,ab%,c'\\%,o'neil";
    EXPECT_EQ(ProductNames(), "," + names + "|" + names + "|" + names);
    EXPECT_EQ(m_sql->Column("SELECT count(*) FROM SaleTable WHERE ProductType='Other'"),
              Names{"1"});
    EXPECT_EQ(m_capture.Count(), 0u);
}
