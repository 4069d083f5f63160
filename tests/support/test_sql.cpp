#include "support/test_sql.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "data/schema.h"

bool TestOnPostgres() {
    const char* server = std::getenv("ORVICRM_TEST_POSTGRES");
    return server && *server;
}

std::string OtherSeat(const std::string& location) {
    return IsServerLocation(location) ? location + " application_name=orvi-other-seat" : location;
}

std::string CellAsText(const CellView& cell) {
    switch (cell.type) {
        case kCellInteger:
            return std::to_string(cell.i);
        case kCellFloat: {
            char buffer[64];
            std::snprintf(buffer, sizeof buffer, "%.15g", cell.d);
            std::string text = buffer;
            if (std::isfinite(cell.d) && text.find_first_of(".e") == std::string::npos)
                text += ".0";
            return text;
        }
        case kCellText:
        case kCellBlob:
            return std::string(cell.text, cell.size);
        default:
            return "";
    }
}

TestSql::TestSql(const std::string& location) {
    DbError error;
    m_session = OpenDatabase(location, &error);
    EXPECT_TRUE(m_session) << location << ": " << error.text;
    // A lock some connection of the test holds fails the statement rather than hangs it.
    if (m_session && IsServerLocation(location)) Exec("SET lock_timeout = '20s'");
}

TestSql::~TestSql() = default;

bool TestSql::Exec(const std::string& sql) {
    if (!m_session) return false;
    DbError error;
    const bool done = m_session->Execute(sql, &error);
    EXPECT_TRUE(done) << sql << "\n" << error.text;
    return done;
}

std::vector<std::vector<std::string>> TestSql::Rows(const std::string& sql) {
    std::vector<std::vector<std::string>> rows;
    if (!m_session) return rows;
    DbError error;
    std::unique_ptr<DbQuery> query = m_session->Query(sql, &error);
    EXPECT_TRUE(query) << sql << "\n" << error.text;
    if (!query) return rows;
    // Another connection's write lock sends the query back to its start: try again a while.
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    for (;;) {
        const DbQuery::Step step = query->Next(&error);
        if (step == DbQuery::kRow) {
            std::vector<std::string>& row = rows.emplace_back();
            for (int c = 0; c < query->ColumnCount(); ++c) {
                CellView cell;
                query->Cell(c, &cell);
                row.push_back(CellAsText(cell));
            }
        } else if (step == DbQuery::kBusy && std::chrono::steady_clock::now() < giveUp) {
            rows.clear();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        } else {
            EXPECT_EQ(step, DbQuery::kDone) << sql << "\n" << error.text;
            return rows;
        }
    }
}

std::vector<std::string> TestSql::Column(const std::string& sql) {
    std::vector<std::string> column;
    for (auto& row : Rows(sql)) column.push_back(row.empty() ? "" : std::move(row[0]));
    return column;
}

std::string TestSql::Text(const std::string& sql) {
    std::vector<std::string> column = Column(sql);
    return column.empty() ? "" : column[0];
}

long long TestSql::Number(const std::string& sql) {
    return std::strtoll(Text(sql).c_str(), nullptr, 10);
}

std::string TestSql::Joined(const std::string& sql) {
    std::vector<std::vector<std::string>> rows = Rows(sql);
    std::string out;
    if (!rows.empty())
        for (size_t c = 0; c < rows[0].size(); ++c) out += (c ? "/" : "") + rows[0][c];
    return out;
}

bool TestSql::RefuseUpdates(const std::string& table, const std::string& message) {
    const std::string name = RefusalName(table);
    if (!TestOnPostgres())
        return Exec("CREATE TRIGGER " + name + " BEFORE UPDATE ON " + table +
                    " BEGIN SELECT RAISE(ABORT, '" + message + "'); END");
    return Exec("CREATE OR REPLACE FUNCTION " + name +
                "() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN RAISE EXCEPTION '" + message +
                "'; END $$; CREATE TRIGGER " + name + " BEFORE UPDATE ON " + table +
                " FOR EACH ROW EXECUTE FUNCTION " + name + "()");
}

bool TestSql::AllowUpdates(const std::string& table) {
    const std::string name = RefusalName(table);
    return Exec(TestOnPostgres() ? "DROP TRIGGER " + name + " ON " + table
                                 : "DROP TRIGGER " + name);
}

std::string InsertAll(const std::string& table, const std::string& values) {
    std::string columns;
    for (const TableDef* def : AllTables())
        if (table == def->name)
            for (const FieldDef& field : def->fields)
                columns += (columns.empty() ? "" : ", ") + std::string(field.name);
    EXPECT_FALSE(columns.empty()) << table;
    return "INSERT INTO " + table + " (" + columns + ") VALUES (" + values + ")";
}

void RunOnFile(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK)
        << sql << ": " << sqlite3_errmsg(db);
    sqlite3_close(db);
}
