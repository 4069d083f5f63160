// dbtool.*: orvicrm-db's bulk paths on the benchmark's server (see bench_server.h): generated
// sales written with COPY, and a file copied to a server
// database and back. Rows per second of the whole command, tables made and counts compared.
#include <libpq-fe.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "tools/bench/bench.h"
#include "tools/bench/bench_server.h"
#include "tools/orvicrm-db/db_copy.h"
#include "tools/orvicrm-db/db_seed.h"
#include "tools/orvicrm-db/tool_database.h"

namespace {

void DbToolBench(BenchContext& ctx) {
    if (!ctx.Wants("dbtool.seed_server") && !ctx.Wants("dbtool.copy_")) return;  // import only
    std::string prefix = "orvi_bench_" + std::to_string(getpid());
    std::string seeded = BenchDatabase(prefix + "_seed");
    std::string copied = BenchDatabase(prefix + "_copy");
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
        RunOnServer(BenchServer(), "DROP DATABASE IF EXISTS " + prefix + suffix + " WITH (FORCE)");
}

}  // namespace

ORVI_BENCH_GROUP("dbtool.", DbToolBench);
