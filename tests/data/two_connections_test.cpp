// Two connections on one database: writes while results stay open on the other or on the same
// connection, and two seats changing one record.
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
#include "support/recordset_steps.h"
#include "support/temp_dir.h"
#include "support/test_sql.h"

namespace {

using Names = std::vector<std::string>;

const char kChanged[] = "这条记录已被其他用户修改，请重新查询后再修改。";

// Connections A and B on one database with the parameters v0, v1, v2 (kind 1) and the sale
// "first" of client 7.
class TwoConnectionsTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_path = m_temp.CreateDatabase();
        ASSERT_EQ(m_a.ConnectDatabase(m_path), 1);
        ASSERT_EQ(m_b.ConnectDatabase(OtherSeat(m_path)), 1);  // another seat
        OnB("INSERT INTO ObjectPar (ObjectParName, ObjectParType) VALUES ('v0', 1), ('v1', 1), "
            "('v2', 1); INSERT INTO SaleTable (SaleName, ObjectDateTime) VALUES ('first', 7)");
    }

    void OnB(const std::string& sql) { ASSERT_EQ(m_b.ExecuteSql(sql), 1) << sql; }

    // The names from the current row to the end.
    static Names NamesToEnd(CRstValues& rst) {
        Names names;
        std::string name;
        do {
            rst.GetValue("ObjectParName", name);
            names.push_back(name);
        } while (rst.OnMoveNext());
        return names;
    }
    Names NamesInTable() {  // in the order the rows were made
        TestSql sql(m_path);
        return sql.Column("SELECT ObjectParName FROM ObjectPar ORDER BY " + sql.RowKey());
    }
    static void MoveTo(CRstValues& rst, const std::string& wanted) {
        std::string name;
        ASSERT_EQ(rst.MoveRecID(0), 1);
        while (rst.GetValue("ObjectParName", name) && name != wanted)
            ASSERT_EQ(rst.OnMoveNext(), 1);
    }
    static void AddParam(CRstValues& rst, const std::string& name) {
        EXPECT_EQ(SaveNew(rst, "ObjectParName", name, "ObjectParType", 1), 1);
    }

    std::string SaleName() {
        return TestSql(m_path).Text("SELECT SaleName FROM SaleTable WHERE ObjectDateTime=7");
    }
    // Seats A and B, each on its connection, read the sale.
    void OpenSeats() {
        for (auto [seat, connection] : {std::pair{&m_seatA, &m_a}, std::pair{&m_seatB, &m_b}}) {
            seat->InitConnAndRec(connection->GetConnection(), "SaleTable");
            ASSERT_EQ(seat->OpenRecord("SELECT * FROM SaleTable WHERE ObjectDateTime=7"), 1);
        }
    }

    TempModuleFolder m_temp;
    std::string m_path;
    CAdoConnection m_a, m_b;
    CRstValues m_seatA, m_seatB;
    MessageCapture m_capture;
};

// A list of A left on its first row, a list of kind 1 and a DISTINCT list stay open while B
// inserts and A writes through statements and the second list, which join a transaction A has
// open.
TEST_F(TwoConnectionsTest, WritesPassOlderResultsOnTheConnection) {
    CRstValues list, second, distinct;
    for (CRstValues* rst : {&list, &second, &distinct})
        rst->InitConnAndRec(m_a.GetConnection(), "ObjectPar");
    ASSERT_EQ(list.OpenRecord("SELECT * FROM ObjectPar"), 1);
    ASSERT_EQ(second.OpenRecord("SELECT * FROM ObjectPar WHERE ObjectParType=1"), 1);
    ASSERT_EQ(distinct.OpenRecord("SELECT DISTINCT ObjectParName FROM ObjectPar"), 1);
    OnB("INSERT INTO ObjectPar (ObjectParName, ObjectParType) VALUES ('from b', 1)");

    ASSERT_EQ(m_a.ExecuteSql("BEGIN"), 1);
    AddParam(second, "rolled back");
    ASSERT_EQ(m_a.ExecuteSql("ROLLBACK"), 1);
    ASSERT_EQ(m_a.BeginTrans(), 1);
    EXPECT_EQ(m_a.ExecuteSql("UPDATE ObjectPar SET ObjectParName='v0 renamed' WHERE "
                             "ObjectParName='v0'"),
              1);
    AddParam(second, "from a");
    ASSERT_EQ(m_a.CommitTrans(), 1);
    MoveTo(second, "v1");
    EXPECT_EQ(Save(second, "ObjectParName", "v1 changed"), 1);
    MoveTo(second, "v2");
    EXPECT_EQ(second.DeleteRecord(), 1);

    // The others keep the row they hold and go on from there, each row once.
    EXPECT_EQ(NamesInTable(), (Names{"v0 renamed", "v1 changed", "from b", "from a"}));
    // On a file the rows as they are when read, on a server as they were when its query began.
    const Names read =
        TestOnPostgres() ? Names{"v0", "v1", "v2"} : Names{"v0", "v1 changed", "from b", "from a"};
    EXPECT_EQ(NamesToEnd(list), read);
    Names names = NamesToEnd(distinct);
    if (TestOnPostgres()) std::sort(names.begin(), names.end());  // DISTINCT keeps no order there
    EXPECT_EQ(names, read);
    EXPECT_TRUE(m_capture.Texts().empty());
}

TEST_F(TwoConnectionsTest, AWalkOnAnotherThreadGoesOnWhileItsConnectionWrites) {
    OnB(Numbers(3000) +
        "INSERT INTO ObjectPar (ObjectParName, ObjectParType) SELECT 'w' || i, 2 FROM n");
    Names expected;
    for (int i = 1; i <= 3000; ++i) expected.push_back("w" + std::to_string(i));

    Names seen;
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

TEST_F(TwoConnectionsTest, WriterWaitsForAnotherConnectionsLockAndShowsTheReasonWhenItGivesUp) {
    if (TestOnPostgres()) GTEST_SKIP() << "the write lock of a file";
    CRstValues rst(m_a.GetConnection(), "ObjectPar");
    // B holds the write lock for a moment: A waits for it.
    OnB("BEGIN IMMEDIATE");
    std::thread release([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        m_b.ExecuteSql("COMMIT");
    });
    AddParam(rst, "after the wait");
    release.join();
    EXPECT_TRUE(m_capture.Texts().empty());

    // B keeps it longer than A waits: one message with the database's reason.
    OnB("BEGIN IMMEDIATE");
    sqlite3_busy_timeout(SqliteHandle(*m_a.GetConnection()->session), 100);
    EXPECT_EQ(SaveNew(rst, "ObjectParName", "refused"), 0);
    ASSERT_EQ(m_capture.Count(), 1u);
    EXPECT_EQ(m_capture.Boxes()[0].rfind("字段访问: ", 0), 0u);
    EXPECT_NE(m_capture.Texts()[0].find("database is locked"), std::string::npos);
    OnB("COMMIT");
    EXPECT_EQ(NamesInTable(), (Names{"v0", "v1", "v2", "after the wait"}));
}

TEST_F(TwoConnectionsTest, AConflictingSaveFailsOnlyForTheColumnsItWritesOrADeletedRecord) {
    OpenSeats();
    ASSERT_EQ(Save(m_seatA, "SaleName", "seat A"), 1);
    EXPECT_EQ(Save(m_seatB, "SaleName", "seat B"), 0);
    ASSERT_EQ(m_capture.Count(), 1u);
    EXPECT_NE(m_capture.Texts()[0].find(kChanged), std::string::npos) << m_capture.Texts()[0];
    EXPECT_EQ(SaleName(), "seat A");

    // B's record now reads as the database holds it, and B's next change is checked against
    // that; the value the database already holds is no conflict for A.
    std::string name;
    EXPECT_EQ(m_seatB.GetValue("SaleName", name) ? name : "failed", "seat A");
    EXPECT_EQ(Save(m_seatB, "SaleName", "seat B"), 1);
    EXPECT_EQ(Save(m_seatA, "SaleName", "seat B"), 1);
    EXPECT_EQ(Save(m_seatA, "SaleName", "seat A again"), 1);
    EXPECT_EQ(SaleName(), "seat A again");

    // Only the columns a seat writes are compared: B's change of another column stands.
    ASSERT_EQ(Save(m_seatB, "ProductName", "pen"), 1);
    EXPECT_EQ(Save(m_seatA, "SaleName", "renamed"), 1);
    EXPECT_EQ(m_capture.Count(), 1u);
    EXPECT_EQ(TestSql(m_path).Joined("SELECT ProductName, SaleName FROM SaleTable"), "pen/renamed");

    ASSERT_EQ(m_seatA.DeleteRecord(), 1);
    EXPECT_EQ(Save(m_seatB, "SaleName", "too late"), 0);
    ASSERT_EQ(m_capture.Count(), 2u);
    EXPECT_NE(m_capture.Texts()[1].find("这条记录已经不存在"), std::string::npos);
}

}  // namespace
