// dbtool.*: orvicrm-db's bulk paths on the server named by ORVICRM_TEST_POSTGRES (a superuser's
// connection string): generated sales written with COPY, and a file copied to a server
// database and back. Rows per second of the whole command, tables made and counts compared.
#include <libpq-fe.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "tools/bench/bench.h"
#include "tools/orvicrm-db/db_copy.h"
#include "tools/orvicrm-db/db_seed.h"
#include "tools/orvicrm-db/tool_database.h"

namespace {

bool RunOnServer(const char* server, const std::string& sql) {
    PGconn* conn = PQconnectdb(server);
    PGresult* result = PQexec(conn, sql.c_str());
    bool ok = PQresultStatus(result) == PGRES_COMMAND_OK;
    if (!ok) std::fprintf(stderr, "dbtool: %s", PQerrorMessage(conn));
    PQclear(result);
    PQfinish(conn);
    return ok;
}

// A new database on the server; its connection string (the server's with another dbname).
std::string ScratchDatabase(const char* server, const std::string& name) {
    if (!RunOnServer(server, "CREATE DATABASE " + name + " ENCODING 'UTF8' TEMPLATE template0"))
        return "";
    return WithDatabaseName(server, name);
}

void DbToolBench(BenchContext& ctx) {
    const char* server = std::getenv("ORVICRM_TEST_POSTGRES");
    if (!server) {
        std::fprintf(stderr, "dbtool: ORVICRM_TEST_POSTGRES is not set; no server figures\n");
        return;
    }
    std::string prefix = "orvi_bench_" + std::to_string(getpid());
    std::string seeded = ScratchDatabase(server, prefix + "_seed");
    std::string copied = ScratchDatabase(server, prefix + "_copy");
    std::string file = ctx.folder + "dbtool.db", back = ctx.folder + "dbtool-back.db", error;
    double rows = ctx.rows;
    Stopwatch seedClock;
    bool ok = !seeded.empty() && SeedGenerated(seeded, RecordKind::Sale, ctx.rows, 101, &error);
    if (ok) ctx.Print("dbtool.seed_server", rows / seedClock.Seconds(), "rows/s");
    ok = ok && SeedGenerated(file, RecordKind::Sale, ctx.rows, 101, &error);
    Stopwatch toClock;
    ok = ok && !copied.empty() && CopyDatabase(file, copied, &error);
    if (ok) ctx.Print("dbtool.copy_to_server", rows / toClock.Seconds(), "rows/s");
    Stopwatch backClock;
    ok = ok && CopyDatabase(copied, back, &error);
    if (ok) ctx.Print("dbtool.copy_from_server", rows / backClock.Seconds(), "rows/s");
    if (!ok) std::fprintf(stderr, "dbtool: %s\n", error.c_str());
    for (const char* suffix : {"_seed", "_copy"})
        RunOnServer(server, "DROP DATABASE IF EXISTS " + prefix + suffix + " WITH (FORCE)");
}

}  // namespace

ORVI_BENCH_GROUP("dbtool.", DbToolBench);
