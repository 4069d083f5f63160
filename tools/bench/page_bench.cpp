// page.*: loading a record page. Times from 查询 to the first row and to the full list,
// compares the load's rows per second with a bare walk of the same query through
// CRstValues, and measures the longest stretch the window's thread is kept from its event
// loop while the rows arrive.
#include <sqlite3.h>

#include <algorithm>

#include "data/ado_connection.h"
#include "orvicrm/CRstValues.h"
#include "platform/files.h"
#include "records/pages/kind_description.h"
#include "records/pages/record_page.h"
#include "records/pages/row_display.h"
#include "tools/bench/bench.h"
#include "tools/bench/page_load.h"
#include "tools/orvicrm-db/db_init.h"

namespace {

constexpr long kClient = 5;

bool FillSales(const std::string& path, int rows) {
    sqlite3* db = nullptr;
    if (sqlite3_open(path.c_str(), &db) != SQLITE_OK) return false;
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db,
                       "INSERT INTO SaleTable (SaleDate, SaleName, ClientName, ProductName, "
                       "ProductPrice, SaleNumber, DisCount, SaleMoney, ObjectDateTime) VALUES "
                       "(?, ?, '张三', '产品', 12.5, ?, 90, 100.25, ?)",
                       -1, &st, nullptr);
    for (int i = 0; i < rows; ++i) {
        const std::string name = "销售记录 " + std::to_string(i);
        sqlite3_bind_int64(st, 1, 1172729109 + i * 60L);
        sqlite3_bind_text(st, 2, name.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(st, 3, 1 + i % 50);
        sqlite3_bind_int64(st, 4, kClient);
        sqlite3_step(st);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    const bool ok = sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

void PageBench(BenchContext& ctx) {
    SetModuleFolderOverride(ctx.folder + "page/");
    std::string error;
    if (!CreateDatabase(GetDatabasePath(), &error) || !FillSales(GetDatabasePath(), ctx.rows)) {
        std::fprintf(stderr, "page: cannot make the database: %s\n", error.c_str());
        return;
    }
    const KindDescription& kind = DescribeKind(RecordKind::Sale);
    const std::string sql = "SELECT * FROM SaleTable WHERE  ObjectDateTime=5";

    // The bare walk: every field of every record read and formatted, nothing shown.
    double bareRate = 0;
    {
        CAdoConnection connection;
        connection.ConnectDatabase(GetDatabasePath());
        CRstValues rst;
        rst.InitConnAndRec(connection.GetConnection(), "SaleTable");
        std::vector<FieldValue> values;
        long rows = 0;
        Stopwatch watch;
        if (rst.OpenRecord(sql)) {
            do {
                if (!ReadRecordValues(rst, kind, values)) break;
                ++rows;
            } while (rst.OnMoveNext());
        }
        bareRate = rows / std::max(watch.Seconds(), 1e-9);
    }

    PageLoadFigures load = MeasureSalePageLoad(kClient);
    if (load.shown != ctx.rows)
        std::fprintf(stderr, "page: %ld rows shown of %d\n", load.shown, ctx.rows);
    const double rate = load.shown / std::max(load.fullS, 1e-9);
    ctx.Print("page.first_row_ms", load.firstRowMs, "ms");
    ctx.Print("page.full_s", load.fullS, "s");
    ctx.Print("page.rows_per_s", rate, "rows/s");
    ctx.Print("page.bare_rows_per_s", bareRate, "rows/s");
    ctx.Print("page.ratio", rate / std::max(bareRate, 1e-9), "x");
    ctx.Print("page.ui_max_busy_ms", load.maxBusyMs, "ms");
    ctx.Print("page.ui_max_busy_cpu_ms", load.maxBusyCpuMs, "ms");
    SetModuleFolderOverride("");
}

}  // namespace

ORVI_BENCH_GROUP("page.", PageBench);
