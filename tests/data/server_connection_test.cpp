// Connecting to a database server that is not there, refuses the login, or holds a
// database without the module's tables: one 连接失败 message with the reason, nothing else.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "data/ado_connection.h"
#include "support/message_capture.h"
#include "support/scratch_database.h"
#include "support/temp_dir.h"
#include "support/test_sql.h"

namespace {

// The test server's connection string with some of its settings replaced.
std::string ServerWith(const std::string& settings) {
    return std::string(std::getenv("ORVICRM_TEST_POSTGRES")) + " " + settings;
}

// Connects once and answers the one message shown.
std::string RefusedConnect(const std::string& location) {
    MessageCapture capture;
    CAdoConnection connection;
    EXPECT_EQ(connection.ConnectDatabase(location), 0);
    EXPECT_EQ(connection.GetConnection(), nullptr);
    EXPECT_FALSE(connection.IsConnected());
    if (capture.Count() != 1u) {
        ADD_FAILURE() << capture.Count() << " messages";
        return "";
    }
    EXPECT_EQ(capture.Messages()[0].caption, "连接失败");
    return capture.Texts()[0];
}

class ServerConnectionTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!TestOnPostgres()) GTEST_SKIP() << "a server's connection";
    }
};

TEST_F(ServerConnectionTest, NoServerListening) {
    TempModuleFolder folder;  // an empty folder: no server's socket in it
    const std::string socketFolder = folder.Path().substr(0, folder.Path().size() - 1);
    const std::string text = RefusedConnect(ServerWith("host=" + socketFolder));
    // libpq names the socket it tried.
    EXPECT_NE(text.find(socketFolder + "/.s.PGSQL."), std::string::npos) << text;
}

TEST_F(ServerConnectionTest, WrongPassword) {
    const std::string text = RefusedConnect(ServerWith("user=orvi_password password=wrong"));
    EXPECT_NE(text.find("authentication failed"), std::string::npos) << text;
    if (!ThroughPooler()) {  // a pooler does not name the role
        EXPECT_NE(text.find("orvi_password"), std::string::npos) << text;
    }
}

TEST_F(ServerConnectionTest, DatabaseWithoutTheTables) {
    const std::string name = "orvi_bare_" + std::to_string(getpid());
    TestSql server(std::getenv("ORVICRM_TEST_POSTGRES"));
    ASSERT_TRUE(server.Exec("CREATE DATABASE " + name));
    {
        TestSql(ServerWith("dbname=" + name)).Exec("CREATE TABLE Orders (id integer)");
        const std::string text = RefusedConnect(ServerWith("dbname=" + name));
        for (const char* table : {"SaleTable", "ChanceTable", "ConsumeTable", "HistoryTable",
                                  "ActiveTable", "FeedBackTable", "FinanceTable", "ObjectPar"})
            EXPECT_NE(text.find(table), std::string::npos) << table << " in " << text;
        EXPECT_EQ(text.find("rders"), std::string::npos) << text;  // the other table is not
    }
    server.Exec("DROP DATABASE " + name + " WITH (FORCE)");
}

}  // namespace
