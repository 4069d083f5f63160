#include "tools/bench/page_load.h"

#include "tools/bench/bench.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QTimer>
#include <algorithm>
#include <memory>

#include "host/call_context.h"
#include "platform/qt/qt_platform.h"
#include "records/pages/record_page.h"
#include "ui/controls/check_list_ctrl.h"

PageLoadFigures MeasureSalePageLoad(long clientKey) {
    g_clientNames = {"张三"};
    g_clientKeys = {static_cast<uint32_t>(clientKey)};
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

    PageLoadFigures figures;
    QEventLoop loop;
    QTimer ticker;
    ticker.setInterval(1);
    QElapsedTimer clock, sinceTick;
    double cpuAtTick = ThreadCpuMs();
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        figures.maxBusyMs = std::max(figures.maxBusyMs, sinceTick.nsecsElapsed() / 1e6);
        sinceTick.restart();
        const double cpu = ThreadCpuMs();
        figures.maxBusyCpuMs = std::max(figures.maxBusyCpuMs, cpu - cpuAtTick);
        cpuAtTick = cpu;
        if (figures.firstRowMs < 0 && page->List()->GetRowCount() > 0)
            figures.firstRowMs = clock.nsecsElapsed() / 1e6;
        if (!page->IsLoading()) {
            figures.fullS = clock.nsecsElapsed() / 1e9;
            loop.quit();
        }
    });
    clock.start();
    page->RunQuery();  // the contact combo holds 张三: his records
    sinceTick.start();
    cpuAtTick = ThreadCpuMs();
    ticker.start();
    loop.exec();
    ticker.stop();

    figures.shown = page->List()->GetRowCount();
    if (count->text() != QString::number(figures.shown))
        std::fprintf(stderr, "page: %ld rows shown, count label %s\n", figures.shown,
                     count->text().toUtf8().constData());
    page.reset();
    g_clientNames.clear();
    g_clientKeys.clear();
    return figures;
}
