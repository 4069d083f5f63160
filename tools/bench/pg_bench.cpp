// pg.*: the module on a PostgreSQL server (a throwaway local one, or the superuser
// connection string in ORVICRM_BENCH_POSTGRES): walking SaleTable through CRstValues against
// a bare libpq loop over the same query, the first row of the table, and a page's load.
#include <libpq-fe.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "data/ado_connection.h"
#include "data/schema.h"
#include "orvicrm/CRstValues.h"
#include "tools/bench/bench.h"
#include "tools/bench/page_load.h"
#include "tools/orvicrm-db/db_init.h"

namespace {

constexpr long kClient = 5;
constexpr int kRounds = 3;

// A server started by the project's script for this run, stopped at the end.
class ThrowawayServer {
public:
    explicit ThrowawayServer(const std::string& folder) : m_folder(folder) {
        std::string command = std::string(ORVI_SOURCE_DIR) + "/scripts/pg-test-server start " +
                              folder + " 2>/dev/null";
        if (FILE* out = popen(command.c_str(), "r")) {
            char line[1024];
            while (std::fgets(line, sizeof line, out)) m_conninfo = line;
            if (pclose(out) != 0) m_conninfo.clear();
        }
        while (!m_conninfo.empty() && (m_conninfo.back() == '\n' || m_conninfo.back() == '\r'))
            m_conninfo.pop_back();
    }
    ~ThrowawayServer() {
        std::string command = std::string(ORVI_SOURCE_DIR) + "/scripts/pg-test-server stop " +
                              m_folder + " >/dev/null 2>&1";
        if (std::system(command.c_str()) != 0) std::fprintf(stderr, "pg: server not stopped\n");
    }
    const std::string& Conninfo() const { return m_conninfo; }

private:
    std::string m_folder;
    std::string m_conninfo;
};

bool Run(PGconn* conn, const std::string& sql) {
    PGresult* result = PQexec(conn, sql.c_str());
    bool ok = PQresultStatus(result) == PGRES_COMMAND_OK;
    if (!ok) std::fprintf(stderr, "pg: %s", PQerrorMessage(conn));
    PQclear(result);
    return ok;
}

// A fresh database orvi_bench with rows sales of the client; its connection string.
std::string MakeDatabase(const std::string& admin, int rows) {
    PGconn* conn = PQconnectdb(admin.c_str());
    bool ok = PQstatus(conn) == CONNECTION_OK && Run(conn, "DROP DATABASE IF EXISTS orvi_bench") &&
              Run(conn, "CREATE DATABASE orvi_bench");
    PQfinish(conn);
    if (!ok) return {};
    std::string location = admin + " dbname=orvi_bench";
    std::string error;
    if (!CreateDatabase(location, &error)) {
        std::fprintf(stderr, "pg: %s\n", error.c_str());
        return {};
    }
    conn = PQconnectdb(location.c_str());
    ok = Run(conn,
             "INSERT INTO SaleTable (SaleDate, SaleName, ClientName, ProductName, ProductPrice, "
             "SaleNumber, DisCount, SaleMoney, ObjectDateTime) SELECT 1172729109 + i * 60, "
             "'销售记录 ' || i, '张三', '产品', 12.5, 1 + i % 50, 90, 100.25, " +
                 std::to_string(kClient) + " FROM generate_series(0, " +
                 std::to_string(rows - 1) + ") AS i") &&
         Run(conn, "VACUUM ANALYZE SaleTable");
    PQfinish(conn);
    return ok ? location : std::string();
}

// Every row of sql read in libpq's single-row mode, each field converted by its type code.
double BareWalk(PGconn* conn, const std::string& sql, const TableDef& table, long* rows) {
    double sum = 0;
    std::string text;
    if (!PQsendQuery(conn, sql.c_str()) || !PQsetSingleRowMode(conn)) return 0;
    int count = static_cast<int>(table.fields.size());
    while (PGresult* result = PQgetResult(conn)) {
        if (PQresultStatus(result) == PGRES_SINGLE_TUPLE) {
            ++*rows;
            for (int c = 0; c < count; ++c) {
                const char* value = PQgetvalue(result, 0, c);
                switch (table.fields[c].type) {
                    case kFieldInt:
                    case kFieldLong:
                        sum += static_cast<int>(std::strtol(value, nullptr, 10));
                        break;
                    case kFieldFloat:
                        sum += static_cast<float>(std::strtod(value, nullptr));
                        break;
                    default:
                        text.assign(value, static_cast<size_t>(PQgetlength(result, 0, c)));
                        sum += static_cast<double>(text.size());
                }
            }
        }
        PQclear(result);
    }
    return sum;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void PgBench(BenchContext& ctx) {
    const char* given = std::getenv("ORVICRM_BENCH_POSTGRES");
    std::unique_ptr<ThrowawayServer> server;
    std::string admin = given ? given : "";
    if (admin.empty()) {
        server = std::make_unique<ThrowawayServer>(ctx.folder + "pg");
        admin = server->Conninfo();
    }
    std::string location = admin.empty() ? std::string() : MakeDatabase(admin, ctx.rows);
    if (location.empty()) {
        std::fprintf(stderr, "pg: no server to measure on\n");
        return;
    }
    const TableDef& table = KindTable(RecordKind::Sale);
    const std::string query = "SELECT * FROM SaleTable";

    CAdoConnection connection;
    if (!connection.ConnectDatabase(location)) return;
    PGconn* bare = PQconnectdb(location.c_str());
    // Rounds of both walks in turn; the median of each counts.
    std::vector<double> walkRates, bareRates, firstRows;
    for (int round = 0; round < kRounds; ++round) {
        long bareRows = 0;
        Stopwatch bareClock;
        double bareSum = BareWalk(bare, query, table, &bareRows);
        bareRates.push_back(bareRows / std::max(bareClock.Seconds(), 1e-9));

        CRstValues rst(connection.GetConnection(), "SaleTable");
        long rows = 0;
        double sum = 0;
        std::string text;
        Stopwatch clock;
        int more = rst.OpenRecord(query);
        firstRows.push_back(clock.Seconds() * 1000);
        for (; more; more = rst.OnMoveNext()) {
            sum += ReadRowByType(rst, table, text);
            ++rows;
        }
        walkRates.push_back(rows / std::max(clock.Seconds(), 1e-9));
        if (rows != bareRows || sum != bareSum)
            std::fprintf(stderr, "pg: the walks differ (%ld/%ld rows)\n", rows, bareRows);
    }
    ctx.Print("pg.walk.rows_per_s", Median(walkRates), "rows/s");
    ctx.Print("pg.bare.rows_per_s", Median(bareRates), "rows/s");
    ctx.Print("pg.walk.ratio", Median(walkRates) / Median(bareRates), "x");
    ctx.Print("pg.first_row_ms", Median(firstRows), "ms");

    if (ctx.Wants("pg.page.")) {
        long bareRows = 0;
        Stopwatch bareClock;
        BareWalk(bare, "SELECT * FROM SaleTable WHERE ObjectDateTime=" + std::to_string(kClient),
                 table, &bareRows);
        double bareRate = bareRows / std::max(bareClock.Seconds(), 1e-9);
        setenv("ORVICRM_DATABASE", location.c_str(), 1);
        PageLoadFigures load = MeasureSalePageLoad(kClient);
        unsetenv("ORVICRM_DATABASE");
        if (load.shown != ctx.rows)
            std::fprintf(stderr, "pg: the page shows %ld rows of %d\n", load.shown, ctx.rows);
        ctx.Print("pg.page.first_row_ms", load.firstRowMs, "ms");
        ctx.Print("pg.page.full_s", load.fullS, "s");
        ctx.Print("pg.page.ratio", load.shown / std::max(load.fullS, 1e-9) / bareRate, "x");
        ctx.Print("pg.page.ui_max_busy_ms", load.maxBusyMs, "ms");
    }
    PQfinish(bare);
}

}  // namespace

ORVI_BENCH_GROUP("pg.", PgBench);
