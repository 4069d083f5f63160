// Writes through CRstValues while other statements and connections hold the database.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "data/ado_connection.h"
#include "data/db_handles.h"
#include "data/sqlite/sqlite_session.h"
#include "orvicrm/CRstValues.h"
#include "support/message_capture.h"
#include "support/temp_dir.h"
#include "support/test_sql.h"

namespace {

// Connections A and B on one database with the parameters v0, v1, v2 (kind 1).
class WriteConflictTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_path = m_temp.CreateDatabase();
        ASSERT_EQ(m_a.ConnectDatabase(m_path), 1);
        ASSERT_EQ(m_b.ConnectDatabase(m_path), 1);
        for (const char* name : {"v0", "v1", "v2"})
            ASSERT_EQ(
                m_b.ExecuteSql(
                    std::string("INSERT INTO ObjectPar (ObjectParName, ObjectParType) VALUES ('") +
                    name + "', 1)"),
                1);
    }

    // The names from the current row to the end.
    static std::vector<std::string> NamesToEnd(CRstValues& rst) {
        std::vector<std::string> names;
        std::string name;
        do {
            rst.GetValue("ObjectParName", name);
            names.push_back(name);
        } while (rst.OnMoveNext());
        return names;
    }

    std::vector<std::string> NamesInTable() {  // in the order the rows were made
        TestSql sql(m_path);
        return sql.Column("SELECT ObjectParName FROM ObjectPar ORDER BY " + sql.RowKey());
    }
    // What a result left open reads on after writes: on a file the rows as they are when
    // read, on a server the rows as they were when its query began.
    static std::vector<std::string> FileOrServer(std::vector<std::string> file,
                                                 std::vector<std::string> server) {
        return TestOnPostgres() ? server : file;
    }

    static void MoveTo(CRstValues& rst, const std::string& wanted) {
        std::string name;
        ASSERT_EQ(rst.MoveRecID(0), 1);
        while (rst.GetValue("ObjectParName", name) && name != wanted)
            ASSERT_EQ(rst.OnMoveNext(), 1);
    }

    static void AddParam(CRstValues& rst, const char* name) {
        EXPECT_EQ(rst.AddRecord(), 1);
        EXPECT_EQ(rst.AddRecord("ObjectParName", name), 1);
        EXPECT_EQ(rst.AddRecord("ObjectParType", 1), 1);
        EXPECT_EQ(rst.UpdateRecord(), 1);
    }

    TempModuleFolder m_temp;
    std::string m_path;
    CAdoConnection m_a;
    CAdoConnection m_b;
    MessageCapture m_capture;
};

TEST_F(WriteConflictTest, WritesPassAnOlderSnapshotOfAnotherRecordsetOnTheConnection) {
    CRstValues first(m_a.GetConnection(), "ObjectPar");
    ASSERT_EQ(first.OpenRecord("SELECT * FROM ObjectPar"), 1);  // left on its first row
    CRstValues second(m_a.GetConnection(), "ObjectPar");
    ASSERT_EQ(second.OpenRecord("SELECT * FROM ObjectPar WHERE ObjectParType=1"), 1);
    ASSERT_EQ(
        m_b.ExecuteSql("INSERT INTO ObjectPar (ObjectParName, ObjectParType) VALUES ('from b', 1)"),
        1);

    AddParam(second, "from a");
    MoveTo(second, "v1");
    EXPECT_EQ(second.AddRecord("ObjectParName", "v1 changed"), 1);
    EXPECT_EQ(second.UpdateRecord(), 1);
    MoveTo(second, "v2");
    EXPECT_EQ(second.DeleteRecord(), 1);
    EXPECT_TRUE(m_capture.Texts().empty());

    // The first keeps the row it holds and goes on from there, each row once.
    EXPECT_EQ(NamesToEnd(first),
              FileOrServer({"v0", "v1 changed", "from b", "from a"}, {"v0", "v1", "v2"}));
    EXPECT_EQ(NamesInTable(), (std::vector<std::string>{"v0", "v1 changed", "from b", "from a"}));
    EXPECT_TRUE(m_capture.Texts().empty());
}

TEST_F(WriteConflictTest, StatementsInATransactionPassAnOlderSnapshotOnTheConnection) {
    CRstValues list(m_a.GetConnection(), "ObjectPar");
    ASSERT_EQ(list.OpenRecord("SELECT * FROM ObjectPar"), 1);  // left on its first row
    ASSERT_EQ(
        m_b.ExecuteSql("INSERT INTO ObjectPar (ObjectParName, ObjectParType) VALUES ('from b', 1)"),
        1);

    ASSERT_EQ(m_a.BeginTrans(), 1);
    EXPECT_EQ(m_a.ExecuteSql("UPDATE ObjectPar SET ObjectParName='v0 renamed' WHERE "
                             "ObjectParName='v0'"),
              1);
    ASSERT_EQ(m_a.CommitTrans(), 1);
    EXPECT_TRUE(m_capture.Texts().empty());
    EXPECT_EQ(NamesInTable(), (std::vector<std::string>{"v0 renamed", "v1", "v2", "from b"}));
    EXPECT_EQ(NamesToEnd(list), FileOrServer({"v0", "v1", "v2", "from b"}, {"v0", "v1", "v2"}));
}

TEST_F(WriteConflictTest, ReadOnlyResultsGoOnAfterAWriteOnTheirConnection) {
    CRstValues counts(m_a.GetConnection(), "ObjectPar");
    ASSERT_EQ(counts.OpenRecord("SELECT DISTINCT ObjectParName FROM ObjectPar"), 1);
    ASSERT_EQ(
        m_b.ExecuteSql("INSERT INTO ObjectPar (ObjectParName, ObjectParType) VALUES ('from b', 1)"),
        1);
    CRstValues writer(m_a.GetConnection(), "ObjectPar");
    AddParam(writer, "from a");
    std::vector<std::string> names = NamesToEnd(counts);
    if (TestOnPostgres()) std::sort(names.begin(), names.end());  // DISTINCT keeps no order there
    EXPECT_EQ(names, FileOrServer({"v0", "v1", "v2", "from b", "from a"}, {"v0", "v1", "v2"}));
    EXPECT_TRUE(m_capture.Texts().empty());
}

TEST_F(WriteConflictTest, AWalkOnAnotherThreadGoesOnWhileItsConnectionWrites) {
    ASSERT_EQ(m_b.ExecuteSql("BEGIN"), 1);
    std::vector<std::string> expected;
    for (int i = 0; i < 3000; ++i) {
        expected.push_back("w" + std::to_string(i));
        ASSERT_EQ(m_b.ExecuteSql("INSERT INTO ObjectPar (ObjectParName, ObjectParType) VALUES ('" +
                                 expected.back() + "', 2)"),
                  1);
    }
    ASSERT_EQ(m_b.ExecuteSql("COMMIT"), 1);

    std::vector<std::string> seen;
    std::thread walker([this, &seen] {
        CRstValues rst(m_a.GetConnection(), "ObjectPar");
        if (rst.OpenRecord("SELECT * FROM ObjectPar WHERE ObjectParType=2")) seen = NamesToEnd(rst);
    });
    CRstValues writer(m_a.GetConnection(), "ObjectPar");
    for (int i = 0; i < 40; ++i) AddParam(writer, ("new " + std::to_string(i)).c_str());
    walker.join();
    EXPECT_EQ(seen, expected);  // each row once, in order
    EXPECT_TRUE(m_capture.Texts().empty());
}

TEST_F(WriteConflictTest, WriterWaitsForAnotherConnectionsLockAndShowsTheReasonWhenItGivesUp) {
    if (TestOnPostgres()) GTEST_SKIP() << "the write lock of a file";
    CRstValues rst(m_a.GetConnection(), "ObjectPar");
    // B holds the write lock for a moment: A waits for it.
    ASSERT_EQ(m_b.ExecuteSql("BEGIN IMMEDIATE"), 1);
    std::thread release([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        m_b.ExecuteSql("COMMIT");
    });
    AddParam(rst, "after the wait");
    release.join();
    EXPECT_TRUE(m_capture.Texts().empty());

    // B keeps it longer than A waits: one message with the database's reason.
    ASSERT_EQ(m_b.ExecuteSql("BEGIN IMMEDIATE"), 1);
    sqlite3_busy_timeout(SqliteHandle(*m_a.GetConnection()->session), 100);
    EXPECT_EQ(rst.AddRecord(), 1);
    EXPECT_EQ(rst.AddRecord("ObjectParName", "refused"), 1);
    EXPECT_EQ(rst.UpdateRecord(), 0);
    ASSERT_EQ(m_capture.Count(), 1u);
    EXPECT_EQ(m_capture.Messages()[0].caption, "字段访问");
    EXPECT_NE(m_capture.Texts()[0].find("database is locked"), std::string::npos);
    ASSERT_EQ(m_b.ExecuteSql("COMMIT"), 1);
    EXPECT_EQ(NamesInTable(), (std::vector<std::string>{"v0", "v1", "v2", "after the wait"}));
}

TEST_F(WriteConflictTest, WritesJoinATransactionTheConnectionHasOpen) {
    CRstValues rst(m_a.GetConnection(), "ObjectPar");
    ASSERT_EQ(m_a.ExecuteSql("BEGIN"), 1);
    AddParam(rst, "rolled back");
    ASSERT_EQ(m_a.ExecuteSql("ROLLBACK"), 1);
    ASSERT_EQ(m_a.ExecuteSql("BEGIN"), 1);
    AddParam(rst, "committed");
    ASSERT_EQ(m_a.ExecuteSql("COMMIT"), 1);
    EXPECT_TRUE(m_capture.Texts().empty());
    EXPECT_EQ(NamesInTable(), (std::vector<std::string>{"v0", "v1", "v2", "committed"}));
}

}  // namespace
