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

class TestSql {
public:
    explicit TestSql(const std::string& location);  // what GetDatabasePath() gave
    ~TestSql();
    TestSql(const TestSql&) = delete;
    TestSql& operator=(const TestSql&) = delete;

    bool Exec(const std::string& sql);  // expects success
    std::vector<std::vector<std::string>> Rows(const std::string& sql);  // NULL reads as ""
    std::vector<std::string> Column(const std::string& sql);             // first column
    std::string Text(const std::string& sql);                            // first cell or ""
    long long Number(const std::string& sql);                            // first cell or 0
    DbSession& Session() { return *m_session; }

private:
    std::unique_ptr<DbSession> m_session;
};
