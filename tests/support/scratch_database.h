// A scratch database on the PostgreSQL server named by ORVICRM_TEST_POSTGRES (a superuser's
// connection string), texts in byte order, dropped again at the end. Tests that need one
// skip without it.
#pragma once

#include <cstdlib>
#include <memory>
#include <string>

#include "support/test_sql.h"

#define SKIP_WITHOUT_SERVER() \
    if (!getenv("ORVICRM_TEST_POSTGRES")) GTEST_SKIP() << "ORVICRM_TEST_POSTGRES is not set"

// ORVICRM_TEST_POOLER is set when the server is reached through a pooler in transaction
// mode: a session then has no server process of its own to watch or end.
inline bool ThroughPooler() {
    return getenv("ORVICRM_TEST_POOLER") != nullptr;
}
#define SKIP_THROUGH_POOLER() \
    if (ThroughPooler()) GTEST_SKIP() << "a pooler shares server processes between sessions"

class ScratchDatabase {
public:
    explicit ScratchDatabase(const char* encoding = "UTF8");
    ~ScratchDatabase();
    ScratchDatabase(const ScratchDatabase&) = delete;
    ScratchDatabase& operator=(const ScratchDatabase&) = delete;

    const std::string& Location() const { return m_location; }  // its connection string
    TestSql& Sql() { return *m_sql; }
    std::string Text(const std::string& sql) { return m_sql->Text(sql); }  // true reads "1"

private:
    std::string m_name, m_location;
    std::unique_ptr<TestSql> m_sql;
};
