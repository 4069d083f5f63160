// stat.*: aggregating generated sales by day and by month over their whole range in the
// statistics window, against stepping the same rows bare through SQLite, and the longest
// stretch the window's thread is kept from its event loop meanwhile.
#include <sqlite3.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QDateTimeEdit>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <ctime>
#include <memory>

#include "platform/files.h"
#include "stats/stat_page.h"
#include "stats/stat_table_dlg.h"
#include "tools/bench/bench.h"
#include "tools/orvicrm-db/db_init.h"
#include "tools/orvicrm-db/db_seed.h"
#include "ui/controls/check_list_ctrl.h"

namespace {

struct Range {
    long first = 0;
    long last = 0;
};

Range DateRange(const std::string& path) {
    Range range;
    sqlite3* db = nullptr;
    sqlite3_stmt* st = nullptr;
    if (sqlite3_open(path.c_str(), &db) == SQLITE_OK &&
        sqlite3_prepare_v2(db, "SELECT MIN(SaleDate), MAX(SaleDate) FROM SaleTable", -1, &st,
                           nullptr) == SQLITE_OK &&
        sqlite3_step(st) == SQLITE_ROW) {
        range.first = static_cast<long>(sqlite3_column_int64(st, 0));
        range.last = static_cast<long>(sqlite3_column_int64(st, 1));
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return range;
}

// Rows per second of the aggregation's columns stepped bare, in date order.
double BareRate(const std::string& path, const Range& range) {
    sqlite3* db = nullptr;
    sqlite3_stmt* st = nullptr;
    long rows = 0;
    double sink = 0;
    Stopwatch watch;
    if (sqlite3_open(path.c_str(), &db) == SQLITE_OK &&
        sqlite3_prepare_v2(db,
                           "SELECT SaleDate, SaleNumber, SaleMoney, TotalMoney, PayMent, "
                           "UnPayMent, MakeInvoice, UnMakeInvoice FROM SaleTable WHERE "
                           "SaleDate >= ? AND SaleDate <= ? ORDER BY SaleDate",
                           -1, &st, nullptr) == SQLITE_OK) {
        sqlite3_bind_int64(st, 1, range.first);
        sqlite3_bind_int64(st, 2, range.last);
        while (sqlite3_step(st) == SQLITE_ROW) {
            sink += static_cast<double>(sqlite3_column_int64(st, 0) + sqlite3_column_int64(st, 1));
            for (int c = 2; c < 8; ++c) sink += sqlite3_column_double(st, c);
            ++rows;
        }
    }
    const double seconds = watch.Seconds();
    sqlite3_finalize(st);
    sqlite3_close(db);
    if (sink < 0) std::fprintf(stderr, "stat: negative sums\n");
    return rows / std::max(seconds, 1e-9);
}

struct RunFigures {
    double seconds = 0;
    double maxBusyMs = 0;
    double maxBusyCpuMs = 0;  // the window thread's own processor time between two ticks
    int rows = 0;
};

RunFigures TimeRun(CStatPage& page, int unit) {
    page.findChild<QComboBox*>(QStringLiteral("id%1").arg(IDC_STAT_UNIT))->setCurrentIndex(unit);
    QEventLoop loop;
    QTimer ticker;
    ticker.setInterval(1);
    QElapsedTimer clock, sinceTick;
    RunFigures figures;
    double cpuAtTick = ThreadCpuMs();
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        figures.maxBusyMs = std::max(figures.maxBusyMs, sinceTick.nsecsElapsed() / 1e6);
        const double cpu = ThreadCpuMs();
        figures.maxBusyCpuMs = std::max(figures.maxBusyCpuMs, cpu - cpuAtTick);
        cpuAtTick = cpu;
        sinceTick.restart();
        if (!page.Table()->IsRunning()) loop.quit();
    });
    clock.start();
    page.StartStat();
    sinceTick.start();
    ticker.start();
    loop.exec();
    ticker.stop();
    figures.seconds = clock.nsecsElapsed() / 1e9;
    figures.rows = page.Table()->List()->GetRowCount();
    return figures;
}

void StatBench(BenchContext& ctx) {
    SetModuleFolderOverride(ctx.folder + "stat/");
    std::string error;
    const std::string path = GetDatabasePath();
    if (!CreateDatabase(path, &error) ||
        !SeedGenerated(path, RecordKind::Sale, ctx.rows, 101, &error)) {
        std::fprintf(stderr, "stat: cannot make the database: %s\n", error.c_str());
        return;
    }
    const Range range = DateRange(path);
    BareRate(path, range);  // the database file is read once before anything is timed
    const double bareRate = BareRate(path, range);

    QWidget holder;
    holder.resize(600, 455);
    auto page = std::make_unique<CSaleStatPage>(&holder);
    for (auto [id, date] :
         {std::pair{IDC_STAT_START_DATE, range.first}, std::pair{IDC_STAT_END_DATE, range.last}})
        page->findChild<QDateTimeEdit*>(QStringLiteral("id%1").arg(id))
            ->setDateTime(QDateTime::fromSecsSinceEpoch(date));
    holder.show();
    // The window is drawn and its product list filled before anything is timed.
    while (page->IsFillingContent()) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QCoreApplication::processEvents();

    const RunFigures day = TimeRun(*page, 0);
    const RunFigures month = TimeRun(*page, 1);
    if (day.rows < 2 || month.rows < 2)
        std::fprintf(stderr, "stat: %d rows by day, %d by month\n", day.rows, month.rows);
    const double slowest = std::max(day.seconds, month.seconds);
    ctx.Print("stat.day_s", day.seconds, "s");
    ctx.Print("stat.month_s", month.seconds, "s");
    ctx.Print("stat.bare_rows_per_s", bareRate, "rows/s");
    ctx.Print("stat.ratio", ctx.rows / std::max(slowest, 1e-9) / std::max(bareRate, 1e-9), "x");
    ctx.Print("stat.ui_max_busy_ms", std::max(day.maxBusyMs, month.maxBusyMs), "ms");
    ctx.Print("stat.ui_max_busy_cpu_ms", std::max(day.maxBusyCpuMs, month.maxBusyCpuMs), "ms");
    page.reset();
    SetModuleFolderOverride("");
}

}  // namespace

ORVI_BENCH_GROUP("stat.", StatBench);
