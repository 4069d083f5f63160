#include "pg_server.h"

#include "support/scratch_database.h"

namespace {

std::unique_ptr<ScratchDatabase> g_scratch;  // the suite's database

}  // namespace

void PgServerTest::SetUpTestSuite() {
    if (TestOnPostgres()) g_scratch = std::make_unique<ScratchDatabase>();
}

void PgServerTest::TearDownTestSuite() {
    g_scratch.reset();
}

void PgServerTest::SetUp() {
    if (!TestOnPostgres()) GTEST_SKIP() << "ORVICRM_TEST_POSTGRES is not set";
}

std::string PgServerTest::Conninfo(const std::map<std::string, std::string>& replaced) {
    std::string conninfo = g_scratch->Location();  // of a keyword given twice the last counts
    for (const auto& [keyword, value] : replaced)
        conninfo += " " + keyword + "=" + ConninfoValue(value);
    return conninfo;
}
