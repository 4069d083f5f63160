// Tests on the PostgreSQL server named by ORVICRM_TEST_POSTGRES (a superuser's connection
// string, as scripts/pg-test-server prints it): each program works in a scratch database
// of its own. Without the variable the tests are skipped.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "data/driver.h"

using Table = std::vector<std::vector<std::string>>;  // rows of cells as text

class PgServerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;

    // The scratch database's connection string with some of its keywords replaced.
    static std::string Conninfo(const std::map<std::string, std::string>& replaced = {});
    static std::unique_ptr<DbSession> Open();  // a session on the scratch database
    static void Exec(DbSession& session, const std::string& sql);  // expects success
    // Every row of a query, cells as text ("NULL" for a null), failing the test on errors.
    static Table Rows(DbSession& session, const std::string& sql);
    static std::string CellText(const DbQuery& query, int column);
    static int64_t BackendPid(DbSession& session);
};
