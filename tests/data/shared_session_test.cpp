// Windows of one process on one server share a session: one thread's transaction keeps the
// other threads' statements out of it.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "data/ado_connection.h"
#include "orvicrm/CRstValues.h"
#include "support/message_capture.h"
#include "support/scratch_database.h"
#include "support/temp_dir.h"
#include "support/test_sql.h"

namespace {

long Rows(CAdoConnection& connection, const char* name) {
    CRstValues rst(connection.GetConnection(), "ObjectPar");
    if (!rst.OpenRecord(std::string("SELECT * FROM ObjectPar WHERE ObjectParName='") + name + "'"))
        return 0;
    return rst.GetTotalRecordCount();
}

int AddParam(CAdoConnection& connection, const std::string& name) {
    return connection.ExecuteSql("INSERT INTO ObjectPar (ObjectParName, ObjectParType) VALUES ('" +
                                 name + "', 1)");
}

TEST(SharedSessionTest, AnotherThreadsStatementsStayOutOfAnOpenTransaction) {
    SKIP_WITHOUT_SERVER();
    TempModuleFolder temp;
    const std::string location = temp.CreateDatabase();
    MessageCapture capture;
    CAdoConnection window;
    ASSERT_EQ(window.ConnectDatabase(location), 1);
    ASSERT_EQ(window.BeginTrans(), 1);
    ASSERT_EQ(AddParam(window, "in transaction"), 1);
    EXPECT_EQ(Rows(window, "in transaction"), 1);

    std::atomic<bool> writing = false;
    long seenByOther = -1;
    int written = 0;
    std::thread other([&] {
        CAdoConnection connection;
        ASSERT_EQ(connection.ConnectDatabase(location), 1);
        EXPECT_EQ(connection.GetConnection(), window.GetConnection());
        seenByOther = Rows(connection, "in transaction");  // reads beside the transaction
        writing = true;
        written = AddParam(connection, "beside");
    });
    while (!writing) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    // Time for the other thread's write to reach the session before the rollback.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    ASSERT_EQ(window.RollbackTrans(), 1);
    other.join();

    EXPECT_EQ(seenByOther, 0);
    EXPECT_EQ(written, 1);

    // A window closed with its transaction open takes it along: a later statement of the
    // same thread is saved on its own.
    CAdoConnection closing;
    ASSERT_EQ(closing.ConnectDatabase(location), 1);
    ASSERT_EQ(closing.BeginTrans(), 1);
    ASSERT_EQ(AddParam(closing, "left open"), 1);
    closing.CloseDatabase();
    ASSERT_EQ(AddParam(window, "after"), 1);
    TestSql sql(location);
    EXPECT_EQ(sql.Column("SELECT ObjectParName FROM ObjectPar ORDER BY ObjectParName"),
              (std::vector<std::string>{"after", "beside"}));
    EXPECT_EQ(capture.Count(), 0u);
}

}  // namespace
