// page.*: loading a record page. Times from 查询 to the first row and to the full list,
// compares the load's rows per second with a bare walk of the same query through
// CRstValues, and measures the longest stretch the window's thread is kept from its event
// loop while the rows arrive.
#include <sqlite3.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QTimer>
#include <algorithm>
#include <memory>

#include "data/ado_connection.h"
#include "host/call_context.h"
#include "orvicrm/CRstValues.h"
#include "platform/files.h"
#include "platform/qt/qt_platform.h"
#include "records/pages/kind_description.h"
#include "records/pages/record_page.h"
#include "records/pages/row_display.h"
#include "tools/bench/bench.h"
#include "tools/orvicrm-db/db_init.h"
#include "ui/controls/check_list_ctrl.h"

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

    g_clientNames = {"张三"};
    g_clientKeys = {static_cast<uint32_t>(kClient)};
    QWidget main;
    main.resize(1200, 700);
    auto* count = new QLabel(&main);
    SetControlId(count, 1364);
    auto* tab = new QWidget(&main);
    tab->setGeometry(0, 0, 1200, 700);
    auto page = std::make_unique<CSalePage>(tab);
    page->SetHosted(1);
    page->SetClientKey(999);  // nobody's records: the first load is empty
    page->LayoutControls();
    main.show();
    page->show();
    while (page->IsLoading()) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);

    QEventLoop loop;
    QTimer ticker;
    ticker.setInterval(1);
    QElapsedTimer clock, sinceTick;
    double firstRowMs = -1, fullS = 0, maxBusyMs = 0;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        maxBusyMs = std::max(maxBusyMs, sinceTick.nsecsElapsed() / 1e6);
        sinceTick.restart();
        if (firstRowMs < 0 && page->List()->GetRowCount() > 0)
            firstRowMs = clock.nsecsElapsed() / 1e6;
        if (!page->IsLoading()) {
            fullS = clock.nsecsElapsed() / 1e9;
            loop.quit();
        }
    });
    clock.start();
    page->RunQuery();  // the contact combo holds 张三: his records
    sinceTick.start();
    ticker.start();
    loop.exec();
    ticker.stop();

    const long shown = page->List()->GetRowCount();
    if (shown != ctx.rows || count->text() != QString::number(shown))
        std::fprintf(stderr, "page: %ld rows shown, count label %s\n", shown,
                     count->text().toUtf8().constData());
    const double rate = shown / std::max(fullS, 1e-9);
    ctx.Print("page.first_row_ms", firstRowMs, "ms");
    ctx.Print("page.full_s", fullS, "s");
    ctx.Print("page.rows_per_s", rate, "rows/s");
    ctx.Print("page.bare_rows_per_s", bareRate, "rows/s");
    ctx.Print("page.ratio", rate / std::max(bareRate, 1e-9), "x");
    ctx.Print("page.ui_max_busy_ms", maxBusyMs, "ms");
    page.reset();
    g_clientNames.clear();
    g_clientKeys.clear();
    SetModuleFolderOverride("");
}

}  // namespace

ORVI_BENCH_GROUP("page.", PageBench);
