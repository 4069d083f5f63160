// rst.*: walking a whole SaleTable through CRstValues against a bare SQLite loop.
#include <sqlite3.h>

#include <cstdio>
#include <string>

#include "data/ado_connection.h"
#include "data/schema.h"
#include "orvicrm/CRstValues.h"
#include "tools/bench/bench.h"
#include "tools/orvicrm-db/db_seed.h"

namespace {

const char kQuery[] = "SELECT * FROM SaleTable";
constexpr int kRounds = 3;

}  // namespace

double ReadRowByType(CRstValues& rst, const TableDef& table, std::string& text) {
    double sum = 0;
    for (const FieldDef& field : table.fields) {
        switch (field.type) {
            case kFieldInt: {
                int v = 0;
                rst.GetValueI(field.name, v);
                sum += v;
                break;
            }
            case kFieldFloat: {
                float v = 0;
                rst.GetValueF(field.name, v);
                sum += v;
                break;
            }
            case kFieldLong: {
                long v = 0;
                rst.GetValueL(field.name, v);
                sum += static_cast<double>(v);
                break;
            }
            default:
                rst.GetValue(field.name, text);
                sum += static_cast<double>(text.size());
        }
    }
    return sum;
}

namespace {

double BareWalk(const std::string& path, const TableDef& table, long* rows) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, kQuery, -1, &stmt, nullptr);
    double sum = 0;
    std::string text;
    int count = static_cast<int>(table.fields.size());
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        ++*rows;
        for (int c = 0; c < count; ++c) {
            switch (table.fields[c].type) {
                case kFieldInt:
                case kFieldLong:
                    sum += sqlite3_column_int(stmt, c);
                    break;
                case kFieldFloat:
                    sum += static_cast<float>(sqlite3_column_double(stmt, c));
                    break;
                default: {
                    const unsigned char* p = sqlite3_column_text(stmt, c);
                    text.assign(p ? reinterpret_cast<const char*>(p) : "",
                                static_cast<size_t>(sqlite3_column_bytes(stmt, c)));
                    sum += static_cast<double>(text.size());
                }
            }
        }
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return sum;
}

void RstBench(BenchContext& ctx) {
    std::string path = ctx.folder + "rst.db";
    std::string error;
    if (!SeedGenerated(path, RecordKind::Sale, ctx.rows, 101, &error)) {
        std::fprintf(stderr, "rst: %s\n", error.c_str());
        return;
    }
    const TableDef& table = KindTable(RecordKind::Sale);

    CAdoConnection connection;
    if (!connection.ConnectDatabase(path)) return;
    // Rounds of both walks in turn; each walk's best round counts, so that a burst of other
    // work on a busy machine weighs on neither side alone.
    double bareSeconds = 0, seconds = 0, firstRowMs = 0;
    long bareRows = 0, rows = 0;
    for (int round = 0; round < kRounds; ++round) {
        long roundBareRows = 0;
        Stopwatch bareClock;
        double bareSum = BareWalk(path, table, &roundBareRows);
        double roundBare = bareClock.Seconds();

        CRstValues rst(connection.GetConnection(), "SaleTable");
        long roundRows = 0;
        double sum = 0;
        std::string text;
        Stopwatch clock;
        int more = rst.OpenRecord(kQuery);
        double roundFirstRowMs = clock.Seconds() * 1000;
        for (; more; more = rst.OnMoveNext()) {
            sum += ReadRowByType(rst, table, text);
            ++roundRows;
        }
        double roundWalk = clock.Seconds();
        if (roundRows != roundBareRows || sum != bareSum)
            std::fprintf(stderr, "rst: the walks differ (%ld/%ld rows)\n", roundRows,
                         roundBareRows);
        if (round == 0 || roundBare < bareSeconds) bareSeconds = roundBare;
        if (round == 0 || roundWalk < seconds) seconds = roundWalk;
        if (round == 0 || roundFirstRowMs < firstRowMs) firstRowMs = roundFirstRowMs;
        bareRows = roundBareRows;
        rows = roundRows;
    }

    double walkRate = rows / (seconds > 0 ? seconds : 1e-9);
    double bareRate = bareRows / (bareSeconds > 0 ? bareSeconds : 1e-9);
    ctx.Print("rst.walk.rows_per_s", walkRate, "rows/s");
    ctx.Print("rst.bare.rows_per_s", bareRate, "rows/s");
    ctx.Print("rst.walk.ratio", walkRate / bareRate, "x");
    ctx.Print("rst.first_row_ms", firstRowMs, "ms");
}

}  // namespace

ORVI_BENCH_GROUP("rst.", RstBench);
