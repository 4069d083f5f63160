#include "params/param_rename.h"

#include <gtest/gtest.h>

#include "data/ado_connection.h"
#include "param_db.h"
#include "params/param_kinds.h"
#include "platform/files.h"
#include "support/message_capture.h"

using Statements = std::vector<std::string>;

TEST(ParamRenameStatements, EveryRecordColumnOfTheKindInTableOrder) {
    EXPECT_EQ(ParamRenameStatements(kParamProductName, "A", "B"),
              (Statements{"UPDATE SaleTable SET ProductName='B' WHERE ProductName='A'",
                          "UPDATE ChanceTable SET ProductName='B' WHERE ProductName='A'",
                          "UPDATE FeedBackTable SET ProductName='B' WHERE ProductName='A'"}));
    EXPECT_EQ(ParamRenameStatements(kParamProductCharact, "x", "y"),
              (Statements{"UPDATE SaleTable SET ProductCharact='y' WHERE ProductCharact='x'",
                          "UPDATE ChanceTable SET ProductCharact='y' WHERE ProductCharact='x'"}));
    EXPECT_EQ(ParamRenameStatements(kParamSaleState, "x", ""),
              (Statements{"UPDATE ChanceTable SET SaleState='' WHERE SaleState='x'"}));
    EXPECT_EQ(ParamRenameStatements(kParamFeedBackType, "x", "y"),
              (Statements{"UPDATE FeedBackTable SET FeedBackType='y' WHERE FeedBackType='x'"}));
    // Kinds no record table holds, and codes outside the range.
    for (int kind : {-1, 0, 4, 14, 15}) EXPECT_TRUE(ParamRenameStatements(kind, "x", "y").empty());
}

TEST(ParamRenameStatements, ApostrophesAreDoubled) {
    EXPECT_EQ(ParamRenameStatements(kParamMoneyType, "O'Neil", "it's"),
              (Statements{"UPDATE SaleTable SET MoneyType='it''s' WHERE MoneyType='O''Neil'"}));
}

class ParamRenameDb : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(m_connection.ConnectDatabase(GetDatabasePath()), 1); }

    ParamDb m_db;
    MessageCapture m_capture;
    CAdoConnection m_connection;
};

TEST_F(ParamRenameDb, RenamesExactlyTheRecordsHoldingTheOldValue) {
    for (const char* name : {"O'Neil", "o'neil", "Other", "x' OR '1'='1"})
        m_db.AddProductRecords(name);
    EXPECT_EQ(RenameParamReferences(m_connection, kParamProductName, "O'Neil", "O'Brien"), 1);
    EXPECT_EQ(m_db.ProductNames(),
              "O'Brien,Other,o'neil,x' OR '1'='1|"
              "O'Brien,Other,o'neil,x' OR '1'='1|"
              "O'Brien,Other,o'neil,x' OR '1'='1");
    // A crafted value only matches itself.
    EXPECT_EQ(RenameParamReferences(m_connection, kParamProductName, "x' OR '1'='1", ""), 1);
    EXPECT_EQ(m_db.ProductNames(),
              ",O'Brien,Other,o'neil|,O'Brien,Other,o'neil|"
              ",O'Brien,Other,o'neil");
    EXPECT_EQ(m_capture.Count(), 0u);
}

TEST_F(ParamRenameDb, OtherColumnsAndKindsAreLeftAlone) {
    m_db.Exec("INSERT INTO SaleTable (ProductName, ProductType, MoneyType) VALUES ('A', 'A', 'A')");
    EXPECT_EQ(RenameParamReferences(m_connection, kParamProductType, "A", "B"), 1);
    EXPECT_EQ(m_db.Column("SELECT ProductName || ProductType || MoneyType FROM SaleTable"),
              Statements{"ABA"});
    EXPECT_EQ(RenameParamReferences(m_connection, kParamClientType, "A", "C"), 1);
    EXPECT_EQ(m_db.Column("SELECT ProductName || ProductType || MoneyType FROM SaleTable"),
              Statements{"ABA"});
}

TEST_F(ParamRenameDb, AFailureHalfWayLeavesEveryTableAsItWas) {
    m_db.AddProductRecords("A");
    m_db.Exec("INSERT INTO ObjectPar (ObjectParName, ObjectParType) VALUES ('A', 5)");
    m_db.Exec(
        "CREATE TRIGGER refuse BEFORE UPDATE ON FeedBackTable BEGIN "
        "SELECT RAISE(ABORT, 'feedback is locked'); END");
    const int done = RunInTransaction(m_connection, [&] {
        return m_connection.ExecuteSql("UPDATE ObjectPar SET ObjectParName='B'") &&
               RenameParamReferences(m_connection, kParamProductName, "A", "B");
    });
    EXPECT_EQ(done, 0);
    EXPECT_EQ(m_db.ProductNames(), "A|A|A");
    EXPECT_EQ(m_db.Params(5), Statements{"A"});
    // The database's own description reaches the user.
    EXPECT_EQ(m_capture.Texts(), Statements{"feedback is locked"});

    m_db.Exec("DROP TRIGGER refuse");
    EXPECT_EQ(RunInTransaction(
                  m_connection,
                  [&] { return RenameParamReferences(m_connection, kParamProductName, "A", "B"); }),
              1);
    EXPECT_EQ(m_db.ProductNames(), "B|B|B");
}

TEST_F(ParamRenameDb, TransactionCommitsRollsBackAndToleratesAnEndedOne) {
    ASSERT_EQ(m_connection.BeginTrans(), 1);
    m_connection.ExecuteSql("INSERT INTO ObjectPar (ObjectParName) VALUES ('gone')");
    EXPECT_EQ(m_connection.RollbackTrans(), 1);
    EXPECT_TRUE(m_db.Column("SELECT ObjectParName FROM ObjectPar").empty());

    ASSERT_EQ(m_connection.BeginTrans(), 1);
    m_connection.ExecuteSql("INSERT INTO ObjectPar (ObjectParName) VALUES ('kept')");
    EXPECT_EQ(m_connection.CommitTrans(), 1);
    EXPECT_EQ(m_db.Column("SELECT ObjectParName FROM ObjectPar"), Statements{"kept"});

    // Nothing open: a rollback is quiet, a commit is the database's error.
    EXPECT_EQ(m_connection.RollbackTrans(), 1);
    EXPECT_EQ(m_capture.Count(), 0u);
    EXPECT_EQ(m_connection.CommitTrans(), 0);
    EXPECT_EQ(m_capture.Count(), 1u);

    CAdoConnection never;
    EXPECT_EQ(never.BeginTrans(), 0);
    EXPECT_EQ(never.RollbackTrans(), 0);
}
