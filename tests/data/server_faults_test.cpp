// A server that crashes and comes back, and a connection that breaks while a save commits:
// the module connects again by itself, keeps its results editable and says what it knows.
// The crashes hit a throwaway server of the tests' own; the one other programs share stays.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "data/ado_connection.h"
#include "orvicrm/CRstValues.h"
#include "support/message_capture.h"
#include "support/recordset_steps.h"
#include "support/test_sql.h"
#include "tools/orvicrm-db/db_init.h"

namespace {

const char kConnectionLost[] = "无法读取数据库资料，可能数据库连接已经断开，请重新连接、然后重试。";
const char kCommitUnknown[] =
    "与数据库的连接在保存时断开，这条记录可能已经保存，请重新查询后查看。";

// A trigger that ends its session's server process while an update of ObjectPar commits.
const char kDieAtCommit[] =
    "CREATE FUNCTION die() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN "
    "PERFORM pg_terminate_backend(pg_backend_pid()); RETURN NULL; END $$; "
    "CREATE CONSTRAINT TRIGGER die AFTER UPDATE ON ObjectPar DEFERRABLE INITIALLY DEFERRED "
    "FOR EACH ROW EXECUTE FUNCTION die()";

// Runs scripts/pg-test-server; the last line it printed.
std::string TestServer(const std::string& command, const std::string& folder) {
    std::string line;
    const std::string run = std::string(ORVI_PG_TEST_SCRIPT) + " " + command + " " + folder;
    if (FILE* out = popen(run.c_str(), "r")) {
        char buffer[1024];
        while (std::fgets(buffer, sizeof buffer, out)) line = buffer;
        EXPECT_EQ(pclose(out), 0) << run;
    }
    while (!line.empty() && line.back() == '\n') line.pop_back();
    return line;
}

// One message box under 连接问题: text, then the server's reason on a line of its own.
void ExpectConnectionProblem(const MessageInfo& message, const std::string& text) {
    EXPECT_EQ(message.caption, "连接问题");
    EXPECT_EQ(message.text.rfind(text + "\n", 0), 0u) << message.text;
    EXPECT_GT(message.text.size(), text.size() + 1) << "no reason";
}

class ServerFaultTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!TestOnPostgres()) return;
        s_folder = "/tmp/orvi-pg-faults-" + std::to_string(getpid());
        const std::string server = TestServer("start", s_folder);
        TestSql(server).Exec("CREATE DATABASE orvi_faults TEMPLATE template0 ENCODING 'UTF8'");
        s_location = server + " dbname=orvi_faults";
        std::string error;
        EXPECT_TRUE(CreateDatabase(s_location, &error)) << error;
    }
    static void TearDownTestSuite() {
        if (!s_folder.empty()) TestServer("stop", s_folder);
    }

    void SetUp() override {
        if (!TestOnPostgres()) GTEST_SKIP() << "a server of its own";
        m_sql = std::make_unique<TestSql>(s_location);
        ASSERT_EQ(m_connection.ConnectDatabase(s_location), 1);
    }

    void Rows(const std::string& values) {
        m_sql->Exec("TRUNCATE ObjectPar RESTART IDENTITY");
        m_sql->Exec("INSERT INTO ObjectPar (ObjectParName, ObjectParType) VALUES " + values);
    }
    std::vector<std::string> Params() {
        return m_sql->Column(
            "SELECT ObjectParName || ':' || ObjectParType FROM ObjectPar ORDER BY 1");
    }
    // The server stops at once, as in a crash.
    void Halt() {
        m_sql.reset();
        TestServer("halt", s_folder);
    }
    void Resume() {
        TestServer("resume", s_folder);
        m_sql = std::make_unique<TestSql>(s_location);
    }

    static inline std::string s_folder, s_location;
    std::unique_ptr<TestSql> m_sql;
    CAdoConnection m_connection;
};

TEST_F(ServerFaultTest, AfterARestartSavesGoThroughAndADownServerIsAConnectionProblem) {
    Rows("('v0', 1), ('v1', 1)");
    MessageCapture capture;
    CRstValues rst(m_connection.GetConnection(), "ObjectPar");
    const char kQuery[] = "SELECT * FROM ObjectPar WHERE ObjectParName = 'v0'";
    ASSERT_EQ(rst.OpenRecord(kQuery), 1);
    Halt();
    Resume();
    // A row read before the restart is saved over a new connection made for the save.
    EXPECT_EQ(Save(rst, "ObjectParType", 2), 1);
    Halt();
    EXPECT_EQ(Save(rst, "ObjectParName", "w0"), 0);
    EXPECT_EQ(m_connection.ExecuteSql("DELETE FROM ObjectPar"), 0);
    EXPECT_EQ(rst.OpenRecord(kQuery), 0);
    Resume();
    ASSERT_EQ(capture.Count(), 3u);
    for (const MessageInfo& message : capture.Messages())
        ExpectConnectionProblem(message, kConnectionLost);
    // A query run after the restart can be changed.
    capture.Clear();
    ASSERT_EQ(rst.OpenRecord(kQuery), 1);
    EXPECT_EQ(Save(rst, "ObjectParName", "w0"), 1);
    EXPECT_EQ(capture.Texts(), std::vector<std::string>{});
    EXPECT_EQ(Params(), (std::vector<std::string>{"v1:1", "w0:2"}));
}

TEST_F(ServerFaultTest, ASaveWhoseConnectionBreaksInItsCommitIsRereadBeforeItIsTriedAgain) {
    // What the row holds when the save is tried again: the values saved (the commit went
    // through before the connection broke), the values read (it did not), or another seat's.
    const struct {
        const char* what;
        const char* meanwhile;
        int saved;
        std::vector<std::string> params;
    } cases[] = {
        {"committed", "UPDATE ObjectPar SET ObjectParName = 'w0'", 1, {"w0:1"}},
        {"not committed", nullptr, 1, {"w0:1"}},
        {"changed by another seat", "UPDATE ObjectPar SET ObjectParName = 'x0'", 0, {"x0:1"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Rows("('v0', 1)");
        CRstValues rst(m_connection.GetConnection(), "ObjectPar");
        ASSERT_EQ(rst.OpenRecord("SELECT * FROM ObjectPar"), 1);
        m_sql->Exec(kDieAtCommit);
        MessageCapture capture;
        EXPECT_EQ(Save(rst, "ObjectParName", "w0"), 0);
        ASSERT_EQ(capture.Count(), 1u);
        ExpectConnectionProblem(capture.Messages()[0], kCommitUnknown);
        m_sql->Exec("DROP TRIGGER die ON ObjectPar; DROP FUNCTION die()");
        if (c.meanwhile) m_sql->Exec(c.meanwhile);

        capture.Clear();
        EXPECT_EQ(Save(rst, "ObjectParName", "w0"), c.saved);
        EXPECT_EQ(capture.Count(), c.saved ? 0u : 1u);
        EXPECT_EQ(Params(), c.params);
    }
}

}  // namespace
