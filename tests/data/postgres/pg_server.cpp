#include "pg_server.h"

#include <libpq-fe.h>

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
    char* parseError = nullptr;
    PQconninfoOption* options = PQconninfoParse(g_scratch->Location().c_str(), &parseError);
    PQfreemem(parseError);
    std::string conninfo;
    for (PQconninfoOption* o = options; o && o->keyword; ++o) {
        auto own = replaced.find(o->keyword);
        if (own == replaced.end() && !o->val) continue;
        conninfo += std::string(o->keyword) + "=" +
                    ConninfoValue(own == replaced.end() ? o->val : own->second) + " ";
    }
    PQconninfoFree(options);
    return conninfo;
}
