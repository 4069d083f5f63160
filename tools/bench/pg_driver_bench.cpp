// pgdriver.*: the PostgreSQL driver's walk over a sales-like table against a bare libpq
// loop in single-row mode, on the server named by ORVICRM_BENCH_POSTGRES (a connection
// string as scripts/pg-test-server prints it). Without it the group prints nothing.
#include <libpq-fe.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "data/postgres/pg_driver.h"
#include "tools/bench/bench.h"

namespace {

const char kQuery[] = "SELECT * FROM bench_sales";
constexpr int kRounds = 3;

bool Exec(DbSession& session, const std::string& sql) {
    DbError error;
    if (session.Execute(sql, &error)) return true;
    std::fprintf(stderr, "pgdriver: %s\n", error.text.c_str());
    return false;
}

// Every cell by its type as a reader of the rows would take it; the sum checks both walks.
double DriverWalk(DbSession& session, long* rows, double* firstRowMs) {
    DbError error;
    Stopwatch clock;
    auto query = session.Query(kQuery, &error);
    double sum = 0;
    CellView cell;
    for (; query && query->Next(&error) == DbQuery::kRow; ++*rows) {
        if (*rows == 0) *firstRowMs = clock.Seconds() * 1000;
        for (int c = 0; c < query->ColumnCount(); ++c) {
            query->Cell(c, &cell);
            sum += cell.type == kCellInteger ? static_cast<double>(cell.i)
                   : cell.type == kCellFloat ? cell.d
                                             : static_cast<double>(cell.size);
        }
    }
    return sum;
}

double BareWalk(PGconn* conn, long* rows) {
    PQsendQuery(conn, kQuery);
    PQsetSingleRowMode(conn);
    double sum = 0;
    while (PGresult* result = PQgetResult(conn)) {
        if (PQresultStatus(result) == PGRES_SINGLE_TUPLE) {
            ++*rows;
            for (int c = 0; c < PQnfields(result); ++c) {
                const char* text = PQgetvalue(result, 0, c);
                const Oid type = PQftype(result, c);
                sum += type == 20 || type == 23 ? static_cast<double>(std::atoll(text))
                       : type == 700            ? std::atof(text)
                                                : PQgetlength(result, 0, c);
            }
        }
        PQclear(result);
    }
    return sum;
}

void PgDriverBench(BenchContext& ctx) {
    const char* server = std::getenv("ORVICRM_BENCH_POSTGRES");
    if (!server || !*server) return;
    DbError error;
    auto admin = OpenPostgres(server, &error);
    const std::string db = "orvi_bench_" + std::to_string(getpid());
    if (!admin || !Exec(*admin, "CREATE DATABASE " + db)) return;
    const std::string conninfo = std::string(server) + " dbname=" + db;
    auto session = OpenPostgres(conninfo, &error);
    if (session && Exec(*session,
                        "CREATE TABLE bench_sales AS SELECT g::bigint AS orvi_rowkey, "
                        "20070101 + g % 28 AS SaleDate, 'sale ' || g AS SaleName, "
                        "'客户' || g % 977 AS ClientName, 'product' AS ProductName, "
                        "(g % 100)::real AS ProductPrice, g % 10 AS SaleNumber, "
                        "(g % 1000)::real AS SaleMoney, 'A-' || g AS AgreeMent, "
                        "g AS ObjectDateTime FROM generate_series(1, " +
                            std::to_string(ctx.rows) + ") g")) {
        double bareSeconds = 0, seconds = 0, firstRowMs = 0;
        long rows = 0, bareRows = 0;
        PGconn* bare = PQconnectdb(conninfo.c_str());
        for (int round = 0; round < kRounds; ++round) {
            rows = bareRows = 0;
            Stopwatch bareClock;
            const double bareSum = BareWalk(bare, &bareRows);
            const double roundBare = bareClock.Seconds();
            double roundFirstRowMs = 0;
            Stopwatch clock;
            const double sum = DriverWalk(*session, &rows, &roundFirstRowMs);
            const double roundWalk = clock.Seconds();
            if (rows != bareRows || sum != bareSum)
                std::fprintf(stderr, "pgdriver: the walks differ (%ld/%ld rows)\n", rows, bareRows);
            if (round == 0 || roundBare < bareSeconds) bareSeconds = roundBare;
            if (round == 0 || roundWalk < seconds) seconds = roundWalk;
            if (round == 0 || roundFirstRowMs < firstRowMs) firstRowMs = roundFirstRowMs;
        }
        PQfinish(bare);
        ctx.Print("pgdriver.walk.rows_per_s", rows / seconds, "rows/s");
        ctx.Print("pgdriver.bare.rows_per_s", bareRows / bareSeconds, "rows/s");
        ctx.Print("pgdriver.walk.ratio", bareSeconds / seconds, "x");
        ctx.Print("pgdriver.first_row_ms", firstRowMs, "ms");
    }
    session.reset();
    Exec(*admin, "DROP DATABASE " + db + " WITH (FORCE)");
}

}  // namespace

ORVI_BENCH_GROUP("pgdriver.", PgDriverBench);
