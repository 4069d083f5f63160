#include "pg_server.h"

#include <libpq-fe.h>

#include <cstdlib>

#include "data/postgres/pg_driver.h"
#include "support/scratch_database.h"

namespace {

std::string ServerConninfo() {
    const char* server = std::getenv("ORVICRM_TEST_POSTGRES");
    return server ? server : "";
}

std::unique_ptr<ScratchDatabase> g_scratch;  // the suite's database

}  // namespace

void PgServerTest::SetUpTestSuite() {
    if (!ServerConninfo().empty()) g_scratch = std::make_unique<ScratchDatabase>();
}

void PgServerTest::TearDownTestSuite() {
    g_scratch.reset();
}

void PgServerTest::SetUp() {
    if (ServerConninfo().empty()) GTEST_SKIP() << "ORVICRM_TEST_POSTGRES is not set";
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

std::unique_ptr<DbSession> PgServerTest::Open() {
    DbError error;
    auto session = OpenPostgres(Conninfo(), &error);
    EXPECT_TRUE(session) << error.text;
    return session;
}

void PgServerTest::Exec(DbSession& session, const std::string& sql) {
    DbError error;
    EXPECT_TRUE(session.Execute(sql, &error)) << sql << ": " << error.text;
}

std::string PgServerTest::CellText(const DbQuery& query, int column) {
    CellView cell;
    query.Cell(column, &cell);
    switch (cell.type) {
        case kCellInteger:
            return std::to_string(cell.i);
        case kCellFloat:
            return "f" + std::to_string(cell.d);
        case kCellText:
            return std::string(cell.text, cell.size);
        default:
            return "NULL";
    }
}

Table PgServerTest::Rows(DbSession& session, const std::string& sql) {
    Table rows;
    DbError error;
    auto query = session.Query(sql, &error);
    EXPECT_TRUE(query) << sql << ": " << error.text;
    if (!query) return rows;
    int step;
    while ((step = query->Next(&error)) == DbQuery::kRow) {
        rows.emplace_back();
        for (int c = 0; c < query->ColumnCount(); ++c) rows.back().push_back(CellText(*query, c));
    }
    EXPECT_EQ(step, DbQuery::kDone) << sql << ": " << error.text;
    return rows;
}

int64_t PgServerTest::BackendPid(DbSession& session) {
    const auto rows = Rows(session, "SELECT pg_backend_pid()");
    return rows.empty() ? 0 : std::stoll(rows[0][0]);
}
