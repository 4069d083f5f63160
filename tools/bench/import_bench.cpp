// dbtool.import*: an Access file (the shared bench.mdb, 44,700 rows) imported into a new
// database file, against the shell route a user would take: mdb-export of each table piped
// into sqlite3's .import into a fresh file. The ratio is the shell route's time over ours.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "tools/bench/bench.h"
#include "tools/orvicrm-db/db_import.h"

namespace {

void ImportBench(BenchContext& ctx) {
    const std::string mdb = ORVI_SOURCE_DIR "/../shared/fixtures/access/bench.mdb";
    if (!std::filesystem::exists(mdb)) {
        std::fprintf(stderr, "dbtool.import: no %s\n", mdb.c_str());
        return;
    }
    std::vector<ImportedTable> imported;
    std::string error;
    Stopwatch ours;
    if (!ImportAccessFile(mdb, ctx.folder + "import.db", ImportOptions(), &imported, &error)) {
        std::fprintf(stderr, "dbtool.import: %s\n", error.c_str());
        return;
    }
    double oursSeconds = ours.Seconds();
    double rows = 0;
    for (const ImportedTable& table : imported) rows += static_cast<double>(table.rows);
    ctx.Print("dbtool.import_rows_per_s", rows / oursSeconds, "rows/s");

    std::string shell = "set -e; cd '" + ctx.folder + "';";
    for (const ImportedTable& table : imported)
        shell += std::string(" mdb-export '") + mdb + "' " + table.table->name +
                 " | sqlite3 shell.db '.import --csv /dev/stdin " + table.table->name + "';";
    Stopwatch route;
    if (std::system(("sh -c \"" + shell + "\" >/dev/null").c_str()) != 0) {
        std::fprintf(stderr, "dbtool.import.ratio: the shell route failed (mdb-export?)\n");
        return;
    }
    ctx.Print("dbtool.import.ratio", route.Seconds() / oursSeconds, "x");
}

}  // namespace

ORVI_BENCH_GROUP("dbtool.import", ImportBench);
