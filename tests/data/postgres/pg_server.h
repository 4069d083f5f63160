// Tests of the PostgreSQL driver on the server named by ORVICRM_TEST_POSTGRES (a superuser's
// connection string, as scripts/pg-test-server prints it), in a scratch database of the
// suite's own. Without the variable the tests are skipped.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "data/driver.h"
#include "support/scratch_database.h"

using Table = std::vector<std::vector<std::string>>;  // rows of cells as TestSql reads them

class PgServerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (TestOnPostgres()) s_scratch = std::make_unique<ScratchDatabase>();
    }
    static void TearDownTestSuite() { s_scratch.reset(); }
    void SetUp() override { SKIP_WITHOUT_SERVER(); }

    // The scratch database's connection string with some of its keywords replaced (of a
    // keyword given twice the last counts).
    static std::string Conninfo(const std::map<std::string, std::string>& replaced = {}) {
        std::string conninfo = s_scratch->Location();
        for (const auto& [keyword, value] : replaced)
            conninfo += " " + keyword + "=" + ConninfoValue(value);
        return conninfo;
    }
    // A session on the scratch database (its driver calls through Session()).
    static std::unique_ptr<TestSql> Open() { return std::make_unique<TestSql>(Conninfo()); }
    static std::string CellText(const DbQuery& query, int column) {
        CellView cell;
        query.Cell(column, &cell);
        return ::CellAsText(cell);
    }
    static long long BackendPid(TestSql& sql) { return sql.Number("SELECT pg_backend_pid()"); }

    static inline std::unique_ptr<ScratchDatabase> s_scratch;  // the suite's database
};
