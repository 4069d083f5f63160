// export.*: 导出 of 100,000 ticked sales with all 18 columns through the Sale page, from
// 确定 in the export dialog to the closing question, against the sqlite3 shell writing the
// same query as HTML; the same rows as a workbook against the HTML file. Also the longest stretch
// the window's thread is kept from its event loop: over the whole command, at the switch from the
// column dialog to the progress window, and while the file is written.
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "export/export_dlg.h"
#include "export/viewer_launch.h"
#include "host/call_context.h"
#include "platform/files.h"
#include "platform/message_box.h"
#include "platform/qt/qt_platform.h"
#include "records/pages/kind_description.h"
#include "records/pages/record_page.h"
#include "tools/bench/bench.h"
#include "tools/orvicrm-db/db_init.h"
#include "tools/orvicrm-db/db_seed.h"
#include "ui/controls/check_list_ctrl.h"

namespace {

constexpr int kClient = 101;  // 张三 of the demo clients
constexpr int kRecords = 100000;

std::string Quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

// The shell's HTML table of the exported columns; seconds, or -1 when it failed.
double ShellSeconds(const std::string& db, const std::string& out) {
    const KindDescription& kind = DescribeKind(RecordKind::Sale);
    std::string columns;
    for (int c = 0; c < kind.ColumnCount(); ++c)
        columns += std::string(c ? ", " : "") + kind.FieldName(c);
    const std::string sql =
        "SELECT " + columns + " FROM SaleTable WHERE ObjectDateTime=" + std::to_string(kClient);
    const std::string command =
        "sqlite3 -html " + Quoted(db) + " " + Quoted(sql) + " > " + Quoted(out);
    Stopwatch watch;
    if (std::system(command.c_str()) != 0) return -1;
    return watch.Seconds();
}

// One 导出 of every ticked record with all columns to path: seconds from 确定 to the closing
// question, and the longest stretches the window's thread was kept from its event loop.
struct ExportRun {
    double seconds = -1;
    double switchMs = -1;
    double writeBusyMs = 0;
};

ExportRun RunExport(CSalePage& page, const std::string& path) {
    QElapsedTimer clock, sinceTick;
    double startS = -1, endS = -1;
    ExportRun run;
    QTimer ticker;
    ticker.setInterval(1);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        if (startS >= 0 && endS < 0) {
            const double busyMs = sinceTick.nsecsElapsed() / 1e6;
            if (run.switchMs < 0)
                run.switchMs = busyMs;  // the column dialog closing, the progress window showing
            else
                run.writeBusyMs = std::max(run.writeBusyMs, busyMs);
        }
        sinceTick.restart();
        auto* dlg = qobject_cast<CExportDlg*>(QApplication::activeModalWidget());
        if (!dlg || startS >= 0) return;
        dlg->findChild<QPushButton*>(QStringLiteral("id%1").arg(IDC_EXPORT_ADD_ALL))->click();
        dlg->findChild<QLineEdit*>(QStringLiteral("id%1").arg(IDC_EXPORT_PATH))
            ->setText(QString::fromStdString(path));
        startS = clock.nsecsElapsed() / 1e9;
        sinceTick.restart();
        dlg->findChild<QPushButton*>(QStringLiteral("id1"))->click();
    });
    SetMessageHandler([&](const MessageInfo& info) {
        if (endS < 0) endS = clock.nsecsElapsed() / 1e9;
        if (info.buttons != MsgButtons::YesNo)
            std::fprintf(stderr, "export: %s\n", info.text.c_str());
        return IDNO;
    });
    SetViewerLauncher([](const std::string&) {});
    clock.start();
    sinceTick.start();
    ticker.start();
    page.ExportChecked();
    ticker.stop();
    SetMessageHandler({});
    SetViewerLauncher({});
    run.seconds = endS - startS;
    return run;
}

void ExportBench(BenchContext& ctx) {
    const int records = std::min(ctx.rows, kRecords);
    SetModuleFolderOverride(ctx.folder + "export/");
    std::string error;
    if (!CreateDatabase(GetDatabasePath(), &error) ||
        !SeedGenerated(GetDatabasePath(), RecordKind::Sale, records, kClient, &error)) {
        std::fprintf(stderr, "export: cannot make the database: %s\n", error.c_str());
        return;
    }
    g_clientNames = {"张三"};
    g_clientKeys = {static_cast<uint32_t>(kClient)};
    QWidget main;
    main.resize(1200, 700);
    SetControlId(new QLabel(&main), 1364);
    auto* tab = new QWidget(&main);
    tab->setGeometry(0, 0, 1200, 700);
    auto page = std::make_unique<CSalePage>(tab);
    page->SetHosted(1);
    page->SetClientKey(kClient);
    page->LayoutControls();
    main.show();
    page->show();
    while (page->IsLoading()) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    page->List()->CheckAll();

    const std::string path = ctx.folder + "export/sales.htm";
    const ExportRun html = RunExport(*page, path);
    const ExportRun xlsx = RunExport(*page, ctx.folder + "export/sales.xlsx");
    const double htmlS = html.seconds;
    std::error_code ec;
    const double bytes = static_cast<double>(std::filesystem::file_size(path, ec));
    const double shellS = ShellSeconds(GetDatabasePath(), ctx.folder + "export/shell.htm");
    ctx.Print("export.html_s", htmlS, "s");
    ctx.Print("export.mb_per_s", bytes / 1e6 / std::max(htmlS, 1e-9), "MB/s");
    ctx.Print("export.shell_s", shellS, "s");
    ctx.Print("export.ratio", shellS / std::max(htmlS, 1e-9), "x");
    ctx.Print("export.ui_max_busy_ms", std::max(html.switchMs, html.writeBusyMs), "ms");
    ctx.Print("export.ui_switch_ms", html.switchMs, "ms");
    ctx.Print("export.ui_write_max_busy_ms", html.writeBusyMs, "ms");
    ctx.Print("export.xlsx_s", xlsx.seconds, "s");
    ctx.Print("export.xlsx.ratio", xlsx.seconds / std::max(htmlS, 1e-9), "x");
    ctx.Print("export.xlsx.ui_max_busy_ms", std::max(xlsx.switchMs, xlsx.writeBusyMs), "ms");
    page.reset();
    g_clientNames.clear();
    g_clientKeys.clear();
    SetModuleFolderOverride("");
}

}  // namespace

ORVI_BENCH_GROUP("export.", ExportBench);
