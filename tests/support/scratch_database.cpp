#include "support/scratch_database.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>

#include "tools/orvicrm-db/tool_database.h"

namespace {

void Run(PGconn* conn, const std::string& sql) {
    PGresult* result = PQexec(conn, sql.c_str());
    EXPECT_TRUE(PQresultStatus(result) == PGRES_COMMAND_OK ||
                PQresultStatus(result) == PGRES_TUPLES_OK)
        << sql << ": " << PQerrorMessage(conn);
    PQclear(result);
}

// Runs sql on the server's own database (CREATE and DROP DATABASE).
void RunOnServer(const std::string& sql) {
    PGconn* conn = PQconnectdb(getenv("ORVICRM_TEST_POSTGRES"));
    EXPECT_EQ(PQstatus(conn), CONNECTION_OK) << PQerrorMessage(conn);
    Run(conn, sql);
    PQfinish(conn);
}

}  // namespace

ScratchDatabase::ScratchDatabase(const char* encoding) {
    static int count = 0;
    m_name = "orvi_scratch_" + std::to_string(getpid()) + "_" + std::to_string(++count);
    RunOnServer("CREATE DATABASE " + m_name + " ENCODING '" + encoding +
                "' LC_COLLATE 'C' LC_CTYPE 'C' TEMPLATE template0");
    m_location = WithDatabaseName(getenv("ORVICRM_TEST_POSTGRES"), m_name);
    m_conn = PQconnectdb(m_location.c_str());
    EXPECT_EQ(PQstatus(m_conn), CONNECTION_OK) << PQerrorMessage(m_conn);
}

ScratchDatabase::~ScratchDatabase() {
    PQfinish(m_conn);
    RunOnServer("DROP DATABASE IF EXISTS " + m_name + " WITH (FORCE)");
}

std::string ScratchDatabase::Text(const std::string& sql) {
    PGresult* result = PQexec(m_conn, sql.c_str());
    EXPECT_EQ(PQresultStatus(result), PGRES_TUPLES_OK) << sql << ": " << PQerrorMessage(m_conn);
    std::string text = PQntuples(result) > 0 ? PQgetvalue(result, 0, 0) : "";
    PQclear(result);
    return text;
}
