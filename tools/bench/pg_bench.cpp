// pg.*: the module on a PostgreSQL server (see bench_server.h): walking SaleTable through
// CRstValues against a bare libpq loop over the same query, the first row of the table, and a
// page's load.
#include <libpq-fe.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "data/ado_connection.h"
#include "data/recordset.h"
#include "data/schema.h"
#include "orvicrm/CRstValues.h"
#include "tools/bench/bench.h"
#include "tools/bench/bench_server.h"
#include "tools/bench/page_load.h"
#include "tools/orvicrm-db/db_init.h"

namespace {

constexpr long kClient = 5;
constexpr int kRounds = 3;

// A fresh database orvi_bench with rows sales of the client; its connection string.
std::string MakeDatabase(int rows) {
    std::string location = BenchDatabase("orvi_bench");
    std::string error;
    if (location.empty() || !CreateDatabase(location, &error)) {
        std::fprintf(stderr, "pg: %s\n", error.c_str());
        return {};
    }
    bool ok =
        RunOnServer(location,
                    "INSERT INTO SaleTable (SaleDate, SaleName, ClientName, ProductName, "
                    "ProductPrice, SaleNumber, DisCount, SaleMoney, ObjectDateTime) SELECT "
                    "1172729109 + i * 60, '销售记录 ' || i, '张三', '产品', 12.5, 1 + i % 50, 90, "
                    "100.25, " +
                        std::to_string(kClient) + " FROM generate_series(0, " +
                        std::to_string(rows - 1) + ") AS i") &&
        RunOnServer(location, "VACUUM ANALYZE SaleTable");
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
    std::string location = MakeDatabase(ctx.rows);
    if (location.empty()) {
        std::fprintf(stderr, "pg: no server to measure on\n");
        return;
    }
    const TableDef& table = KindTable(RecordKind::Sale);
    const std::string query = "SELECT * FROM SaleTable";
    // The bare loop runs the statement the driver sends for it (rows in the file's order).
    const std::string sent = InFileRowOrder(query, "SaleTable", kServerRowKey);

    CAdoConnection connection;
    if (!connection.ConnectDatabase(location)) return;
    PGconn* bare = PQconnectdb(location.c_str());
    // Rounds of both walks in turn; the median of each counts.
    std::vector<double> walkRates, bareRates, firstRows;
    for (int round = 0; round < kRounds; ++round) {
        long bareRows = 0;
        Stopwatch bareClock;
        double bareSum = BareWalk(bare, sent, table, &bareRows);
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
        BareWalk(bare,
                 InFileRowOrder(
                     "SELECT * FROM SaleTable WHERE ObjectDateTime=" + std::to_string(kClient),
                     "SaleTable", kServerRowKey),
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
        ctx.Print("pg.page.ui_max_busy_cpu_ms", load.maxBusyCpuMs, "ms");
    }
    PQfinish(bare);
    RunOnServer(BenchServer(), "DROP DATABASE IF EXISTS orvi_bench WITH (FORCE)");
}

}  // namespace

ORVI_BENCH_GROUP("pg.", PgBench);
