// Queries that stream while the session does other work, and sessions whose server fails.
#include <gtest/gtest.h>

#include "pg_server.h"

namespace {

constexpr int kBigRows = 200000;

class PgStreamTest : public PgServerTest {
protected:
    void SetUp() override {
        PgServerTest::SetUp();
        if (IsSkipped()) return;
        m_sql = Open();
        m_observer = Open();
        m_observer->Exec(
            "CREATE TABLE IF NOT EXISTS big (id integer, pad text);"
            "INSERT INTO big SELECT g, repeat('x', 100) FROM generate_series(1, 200000) g "
            "WHERE NOT EXISTS (SELECT 1 FROM big)");
    }

    // What the server is doing for the session: "active" while a query runs.
    std::string ServerState(long long pid) {
        const std::string state = m_observer->Text(
            "SELECT state FROM pg_stat_activity WHERE pid = " + std::to_string(pid));
        return state.empty() ? "gone" : state;
    }

    std::unique_ptr<DbQuery> Started(const std::string& sql) {
        DbError error;
        auto query = m_sql->Session().Query(sql, &error);
        EXPECT_TRUE(query && query->Next(&error) == DbQuery::kRow) << error.text;
        return query;
    }

    std::unique_ptr<TestSql> m_sql, m_observer;
};

}  // namespace

TEST_F(PgStreamTest, RowsStreamAndAQueryDroppedEarlyIsStoppedWithoutEndingTheTransaction) {
    SKIP_THROUGH_POOLER();
    const long long pid = BackendPid(*m_sql);
    auto query = Started("SELECT id, pad FROM big ORDER BY id");
    EXPECT_EQ(CellText(*query, 0), "1");
    EXPECT_EQ(ServerState(pid), "active");  // the server still sends the rest
    EXPECT_FALSE(m_sql->Session().InTransaction());
    DbError error;
    int rows = 1;
    while (query->Next(&error) == DbQuery::kRow) ++rows;
    EXPECT_EQ(rows, kBigRows);
    EXPECT_EQ(ServerState(pid), "idle");

    // Read to its end, this query would take hours: only a cancel ends it at once.
    Started("SELECT a.id FROM big a CROSS JOIN big b").reset();
    EXPECT_EQ(ServerState(pid), "idle");
    m_sql->Exec("BEGIN; CREATE TABLE kept (k integer)");
    query = Started("SELECT id FROM big WHERE id <= 5000");
    EXPECT_TRUE(m_sql->Session().InTransaction());
    query.reset();
    m_sql->Exec("INSERT INTO kept VALUES (1); COMMIT");
    EXPECT_FALSE(m_sql->Session().InTransaction());
    EXPECT_EQ(m_observer->Column("SELECT k FROM kept"), std::vector<std::string>{"1"});
}

TEST_F(PgStreamTest, CommandsBetweenRowsKeepTheQueryInPlace) {
    auto query = Started("SELECT id FROM big WHERE id <= 1000 ORDER BY id");
    const CellValue id[] = {{kCellInteger, 0, 0, {}}};
    DbError error;
    WriteResult written;
    ASSERT_TRUE(m_sql->Session().Write("INSERT INTO big (id) VALUES ($1)", id, &written, &error))
        << error.text;
    EXPECT_EQ(written.changes, 1);
    EXPECT_FALSE(query->YieldToWrite());
    int expected = 2;
    while (query->Next(&error) == DbQuery::kRow && CellText(*query, 0) == std::to_string(expected))
        ++expected;
    EXPECT_EQ(expected, 1001);
    m_sql->Exec("DELETE FROM big WHERE id = 0");

    // A failure after some rows comes after those rows.
    auto failing = Started("SELECT 10 / (5 - g) FROM generate_series(1, 9) g");
    m_sql->Exec("SELECT 1");
    for (const char* value : {"3", "5", "10"}) {
        ASSERT_EQ(failing->Next(&error), DbQuery::kRow);
        EXPECT_EQ(CellText(*failing, 0), value);
    }
    EXPECT_EQ(failing->Next(&error), DbQuery::kError);
    EXPECT_EQ(error.text, "division by zero");
}

TEST_F(PgStreamTest, ReadOnlyRefusalAndLostConnection) {
    SKIP_THROUGH_POOLER();
    DbSession& session = m_sql->Session();
    EXPECT_FALSE(session.ReadOnly());
    m_sql->Exec("SET default_transaction_read_only = on");
    DbError error;
    EXPECT_FALSE(session.Execute("INSERT INTO big (id) VALUES (-1)", &error));
    EXPECT_TRUE(error.readOnly);
    EXPECT_FALSE(error.connectionLost);

    const long long pid = BackendPid(*m_sql);
    m_observer->Exec("SELECT pg_terminate_backend(" + std::to_string(pid) + ")");
    error = {};
    EXPECT_FALSE(session.Execute("SELECT 1", &error));
    EXPECT_TRUE(error.connectionLost);
    EXPECT_FALSE(error.text.empty());
    m_sql->Exec("SELECT 1");
    const long long newPid = BackendPid(*m_sql);
    EXPECT_NE(newPid, pid);

    // The server goes away while a query streams.
    auto query = Started("SELECT id, pad FROM big");
    m_observer->Exec("SELECT pg_terminate_backend(" + std::to_string(newPid) + ")");
    int step;
    while ((step = query->Next(&error)) == DbQuery::kRow) continue;
    EXPECT_EQ(step, DbQuery::kError);
    EXPECT_TRUE(error.connectionLost) << error.text;
    query.reset();
    EXPECT_EQ(m_sql->Text("SELECT 1"), "1");
}
