// edit.*: opening the Sale editor while its four lookup lists hold many values. Times the
// editor from construction to its first paint, measures the longest stretch the window's
// thread is kept from its event loop while the lists fill, and times closing the editor
// while its lists are still being read.
#include <sqlite3.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <memory>

#include "host/call_context.h"
#include "params/param_kinds.h"
#include "platform/files.h"
#include "records/editors/sale_edit_dlg.h"
#include "tools/bench/bench.h"
#include "tools/orvicrm-db/db_init.h"

namespace {

constexpr int kValuesPerList = 10000;
constexpr int kRuns = 5;

bool FillLists(const std::string& path) {
    sqlite3* db = nullptr;
    if (sqlite3_open(path.c_str(), &db) != SQLITE_OK) return false;
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO ObjectPar (ObjectParName, ObjectParType) VALUES (?, ?)", -1,
                       &st, nullptr);
    for (int kind : {kParamMoneyType, kParamProductType, kParamProductName, kParamInvoiceType})
        for (int i = 0; i < kValuesPerList; ++i) {
            const std::string name = "参数值 " + std::to_string(i);
            sqlite3_bind_text(st, 1, name.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_int(st, 2, kind);
            sqlite3_step(st);
            sqlite3_reset(st);
        }
    sqlite3_finalize(st);
    const bool ok = sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

// Notes the first paint of a widget.
class PaintWatch : public QObject {
public:
    bool painted = false;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) painted = true;
        return QObject::eventFilter(watched, event);
    }
};

void EditBench(BenchContext& ctx) {
    SetModuleFolderOverride(ctx.folder + "edit/");
    std::string error;
    if (!CreateDatabase(GetDatabasePath(), &error) || !FillLists(GetDatabasePath())) {
        std::fprintf(stderr, "edit: cannot make the database: %s\n", error.c_str());
        return;
    }
    g_clientNames = {"张三", "李四"};
    g_clientKeys = {5, 6};

    std::vector<double> openMs;
    double maxBusyMs = 0;
    for (int run = 0; run < kRuns; ++run) {
        QElapsedTimer clock;
        clock.start();
        PaintWatch watch;
        auto dlg = std::make_unique<CSaleEditDlg>();
        dlg->installEventFilter(&watch);
        dlg->m_mode = 0;
        dlg->m_contactKey = 5;
        dlg->InitDialog();
        dlg->show();
        while (!watch.painted) QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        openMs.push_back(clock.nsecsElapsed() / 1e6);

        QEventLoop loop;
        QTimer ticker;
        ticker.setInterval(1);
        QElapsedTimer sinceTick;
        QObject::connect(&ticker, &QTimer::timeout, [&] {
            maxBusyMs = std::max(maxBusyMs, sinceTick.nsecsElapsed() / 1e6);
            sinceTick.restart();
            if (!dlg->LoadersRunning()) loop.quit();
        });
        sinceTick.start();
        ticker.start();
        loop.exec();
        ticker.stop();
        dlg->OnCancel();
    }
    std::vector<double> closeMs;
    for (int run = 0; run < kRuns; ++run) {
        auto dlg = std::make_unique<CSaleEditDlg>();
        dlg->m_mode = 0;
        dlg->m_contactKey = 5;
        dlg->InitDialog();
        dlg->show();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QElapsedTimer clock;
        clock.start();
        dlg->OnCancel();
        dlg.reset();
        closeMs.push_back(clock.nsecsElapsed() / 1e6);
    }
    std::sort(openMs.begin(), openMs.end());
    std::sort(closeMs.begin(), closeMs.end());
    ctx.Print("edit.open_ms", openMs[openMs.size() / 2], "ms");
    ctx.Print("edit.ui_max_busy_ms", maxBusyMs, "ms");
    ctx.Print("edit.close_while_loading_ms", closeMs[closeMs.size() / 2], "ms");
    g_clientNames.clear();
    g_clientKeys.clear();
    SetModuleFolderOverride("");
}

}  // namespace

ORVI_BENCH_GROUP("edit.", EditBench);
