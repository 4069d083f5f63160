// Tests of the PostgreSQL driver on the server named by ORVICRM_TEST_POSTGRES (a superuser's
// connection string, as scripts/pg-test-server prints it), in a scratch database of the
// program's own. Without the variable the tests are skipped.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "data/driver.h"
#include "support/test_sql.h"

using Table = std::vector<std::vector<std::string>>;  // rows of cells as TestSql reads them

class PgServerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;

    // The scratch database's connection string with some of its keywords replaced.
    static std::string Conninfo(const std::map<std::string, std::string>& replaced = {});
    // A session on the scratch database (its driver calls through Session()).
    static std::unique_ptr<TestSql> Open() { return std::make_unique<TestSql>(Conninfo()); }
    static std::string CellText(const DbQuery& query, int column) {
        CellView cell;
        query.Cell(column, &cell);
        return ::CellAsText(cell);
    }
    static long long BackendPid(TestSql& sql) { return sql.Number("SELECT pg_backend_pid()"); }
};
