// Direct access to a test's database, to arrange rows and read back what the code under test
// wrote: the same calls on a SQLite file and on a PostgreSQL database (through the database
// drivers, without the module's message boxes). Failures are test failures.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "data/driver.h"

// The tests run on the throwaway PostgreSQL server named by ORVICRM_TEST_POSTGRES.
bool TestOnPostgres();

// The location a second seat of the same process uses: windows of one process share one
// session per server location, so another seat's location names an application of its own.
std::string OtherSeat(const std::string& location);

// A cell as SQLite's text form gives it: whole reals keep a ".0", NULL is "".
std::string CellAsText(const CellView& cell);

// Runs sql on a database file through SQLite itself, making the file when it is not there.
void RunOnFile(const std::string& path, const std::string& sql);

// "INSERT INTO table (every column of the schema's table) VALUES (values)".
std::string InsertAll(const std::string& table, const std::string& values);

// "WITH RECURSIVE n(i) ..." counting i from 1 to count, for an INSERT ... SELECT ... FROM n.
inline std::string Numbers(int count) {
    return "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
           std::to_string(count) + ") ";
}

class TestSql {
public:
    explicit TestSql(const std::string& location);  // what GetDatabasePath() gave
    ~TestSql();
    TestSql(const TestSql&) = delete;
    TestSql& operator=(const TestSql&) = delete;

    bool Exec(const std::string& sql);                                   // expects success
    std::vector<std::vector<std::string>> Rows(const std::string& sql);  // NULL reads as ""
    std::vector<std::string> Column(const std::string& sql);             // first column
    std::string Text(const std::string& sql);                            // first cell or ""
    long long Number(const std::string& sql);                            // first cell or 0
    // The cells of the first row joined by '/' (a real always with its point: "10.0").
    std::string Joined(const std::string& sql);
    DbSession& Session() { return *m_session; }
    // The hidden key of every row ("rowid" on SQLite).
    std::string RowKey() const { return m_session->Dialect().rowKey; }
    // Every update of table fails with message until AllowUpdates.
    bool RefuseUpdates(const std::string& table, const std::string& message);
    bool AllowUpdates(const std::string& table);

private:
    std::string RefusalName(const std::string& table) const { return "refuse_" + table; }

    std::unique_ptr<DbSession> m_session;
};
