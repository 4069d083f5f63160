#include "params/param_rename.h"

#include <gtest/gtest.h>

#include "data/ado_connection.h"
#include "param_db.h"
#include "params/param_kinds.h"
#include "platform/files.h"
#include "support/message_capture.h"

TEST(ParamRename, StatementsCoverTheKindsColumnsWithApostrophesDoubled) {
    EXPECT_EQ(ParamRenameStatements(kParamProductName, "O'Neil", "B"),
              (Names{"UPDATE SaleTable SET ProductName='B' WHERE ProductName='O''Neil'",
                     "UPDATE ChanceTable SET ProductName='B' WHERE ProductName='O''Neil'",
                     "UPDATE FeedBackTable SET ProductName='B' WHERE ProductName='O''Neil'"}));
    EXPECT_EQ(ParamRenameStatements(kParamSaleState, "x", "it's"),
              Names{"UPDATE ChanceTable SET SaleState='it''s' WHERE SaleState='x'"});
    for (int kind : {-1, 0, 4, 14, 15}) EXPECT_TRUE(ParamRenameStatements(kind, "x", "y").empty());
}

class ParamRenameDb : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(m_connection.ConnectDatabase(GetDatabasePath()), 1); }

    ParamDb m_db;
    MessageCapture m_capture;
    CAdoConnection m_connection;
};

TEST_F(ParamRenameDb, RenamesExactlyTheRecordsHoldingTheOldValue) {
    for (const char* literal : {"'O''Neil'", "'o''neil'", "'Other'", "'x'' OR ''1''=''1'"})
        m_db.AddProductRecords(literal);
    m_db.Exec("INSERT INTO SaleTable (ProductType) VALUES ('Other')");
    EXPECT_EQ(RenameParamReferences(m_connection, kParamProductName, "O'Neil", "O'Brien"), 1);
    // A crafted value matches only itself.
    EXPECT_EQ(RenameParamReferences(m_connection, kParamProductName, "x' OR '1'='1", ""), 1);
    const std::string names = ",O'Brien,Other,o'neil";
    EXPECT_EQ(m_db.ProductNames(), "," + names + "|" + names + "|" + names);
    EXPECT_EQ(m_db.Column("SELECT count(*) FROM SaleTable WHERE ProductType='Other'"), Names{"1"});
    EXPECT_EQ(m_capture.Count(), 0u);
}

TEST_F(ParamRenameDb, AFailureHalfWayLeavesEveryTableAsItWas) {
    m_db.AddProductRecords("'A'");
    m_db.AddParam(kParamProductName, "A");
    m_db.Exec(
        "CREATE TRIGGER refuse BEFORE UPDATE ON FeedBackTable BEGIN "
        "SELECT RAISE(ABORT, 'feedback is locked'); END");
    auto rename = [&] {
        return m_connection.ExecuteSql("UPDATE ObjectPar SET ObjectParName='B'") &&
               RenameParamReferences(m_connection, kParamProductName, "A", "B");
    };
    EXPECT_EQ(RunInTransaction(m_connection, rename), 0);
    EXPECT_EQ(m_db.ProductNames(), "A|A|A");
    EXPECT_EQ(m_db.Params(kParamProductName), Names{"A"});
    EXPECT_EQ(m_capture.Texts(), Names{"feedback is locked"});  // the database's own words

    m_db.Exec("DROP TRIGGER refuse");
    EXPECT_EQ(RunInTransaction(m_connection, rename), 1);
    EXPECT_EQ(m_db.ProductNames(), "B|B|B");
    // With no transaction left open a rollback is quiet.
    EXPECT_EQ(m_connection.RollbackTrans(), 1);
    EXPECT_EQ(m_capture.Count(), 1u);
}
