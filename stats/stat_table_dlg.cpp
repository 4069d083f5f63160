#include "stats/stat_table_dlg.h"

#include <QKeyEvent>
#include <QTableView>
#include <algorithm>
#include <chrono>

#include "data/ado_connection.h"
#include "data/cell_reading.h"
#include "data/recordset.h"
#include "orvicrm/CRstValues.h"
#include "platform/files.h"
#include "platform/qt/qt_platform.h"
#include "stats/stat_messages.h"
#include "ui/controls/check_list_ctrl.h"

namespace {

using Clock = std::chrono::steady_clock;

// The worker hands rows over at least this often; the window appends for at most this long
// before it returns to its event loop.
constexpr auto kHandOverInterval = std::chrono::milliseconds(15);
constexpr auto kAppendBudget = std::chrono::milliseconds(15);

constexpr int kListId = 1121;

// Enter, Escape and space do nothing in the result table.
class KeySwallower : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape ||
                key == Qt::Key_Space)
                return true;
        }
        return QObject::eventFilter(watched, event);
    }
};

}  // namespace

CStatTableDlg::CStatTableDlg(const StatDescription& stat, HWND page, const QSize& size,
                             QWidget* parent)
    : QWidget(parent), m_stat(stat), m_page(page) {
    setObjectName(QString::fromUtf8(stat.tableClass));
    SetOwnerWidget(this);
    resize(size);
    m_connection.ConnectDatabase(GetDatabasePath());

    m_list = new CCheckListCtrl(this);
    SetControlId(m_list, kListId);
    m_list->SetMessageParent(GetSafeHwnd());
    m_list->setGeometry(0, 0, std::max(0, width() - 2),
                        std::max(0, height() - (stat.listHeightMargin - 30)));
    m_list->Initialize();
    for (int c = 0; c < stat.ColumnCount(); ++c)
        m_list->AddColumn(c, stat.columns[c].heading, stat.columns[c].width);
    m_list->SetRedraw(true);
    m_list->GetView()->installEventFilter(new KeySwallower(this));
}

CStatTableDlg::~CStatTableDlg() {
    m_closing = true;  // rows still arriving are dropped
    m_worker.Stop();
}

LRESULT CStatTableDlg::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_STAT_DATA:
            return StartRun(static_cast<int>(wParam),
                            lParam ? reinterpret_cast<const char*>(lParam) : "")
                       ? 1
                       : 0;
        case WM_STAT_STOP:
            StopRun();
            return 0;
        case WM_STAT_ROWS:
            OnRowsReady(false);
            return 0;
        default:
            return 0;
    }
}

bool CStatTableDlg::StartRun(int unit, const std::string& sql) {
    m_unit = unit;
    m_sql = sql;
    if (sql.empty()) return false;
    StopRun();
    m_worker.Wait();  // a run that has handed over its result may still be ending
    m_list->DeleteAllRows();
    m_rows.Reset();
    {
        std::lock_guard lock(m_resultMutex);
        m_result.reset();
    }
    m_running = m_worker.Start([this, unit, sql] { StatWorkerProc(unit, sql); });
    return m_running;
}

void CStatTableDlg::StopRun() {
    if (!m_running) return;
    CWaitCursor wait;
    m_worker.Stop();
    // The rows handed over before the stop are listed; a run that had already ended is
    // finished as usual.
    OnRowsReady(true);
    if (m_running) {
        m_running = false;
        m_list->SetRedraw(true);
    }
}

void CStatTableDlg::ReadRecord(CRstValues& rst, std::vector<double>& values, bool& reported) {
    const OrviRecordset& records = *rst.GetRecordset();
    for (int c = 0; c < m_stat.ColumnCount(); ++c) {
        const StatColumn& column = m_stat.columns[c];
        CellView cell;
        double d = 0;
        bool read = records.ReadField(column.field, &cell);
        if (read && column.kind == StatColumnKind::Money)
            read = CellNumber(cell, &d);
        else if (read)
            d = ReadPositiveInteger(cell);
        if (!read) {
            d = 0;
            if (!reported) {
                // The read again through the recordset, which shows its message.
                reported = true;
                float f = 0;
                long n = 0;
                if (column.kind == StatColumnKind::Money)
                    rst.GetValueF(column.field, f);
                else
                    rst.GetValueL(column.field, n);
            }
        }
        // Amounts are single-precision values, and none is below 0.
        values[c] =
            column.kind == StatColumnKind::Money ? std::max(0.0f, static_cast<float>(d)) : d;
    }
}

void CStatTableDlg::StatWorkerProc(int unit, const std::string& sql) {
    CPeriodFolder folder(m_stat, unit);
    std::vector<StatRow> rows;
    std::vector<double> values(m_stat.ColumnCount(), 0.0);
    bool stopped = false;
    bool reported = false;  // one message for the run's unreadable values
    {
        StreamingLoad streaming;
        CRstValues rst;
        if (m_connection.IsConnected() &&
            rst.InitConnAndRec(m_connection.GetConnection(), m_stat.table) && rst.OpenRecord(sql)) {
            auto lastHandOver = Clock::now();
            do {
                if (m_worker.StopRequested()) {
                    stopped = true;
                    break;
                }
                ReadRecord(rst, values, reported);
                folder.AddRecord(values.data(), rows);
                if (!rows.empty() && Clock::now() - lastHandOver >= kHandOverInterval) {
                    HandOver(rows, std::nullopt);
                    lastHandOver = Clock::now();
                }
            } while (rst.OnMoveNext());
        }
    }
    if (stopped) {
        HandOver(rows, std::nullopt);
        return;
    }
    folder.Finish(rows);
    HandOver(rows, RunResult{folder.EmitTotalsRow(), folder.Series(), folder.Periods()});
}

void CStatTableDlg::HandOver(std::vector<StatRow>& rows, std::optional<RunResult> result) {
    const bool done = result.has_value();
    if (done) {
        // In place before the window can learn that the run is done.
        std::lock_guard lock(m_resultMutex);
        m_result = std::move(result);
    }
    if (m_rows.Push(rows, done)) PostMessage(GetSafeHwnd(), WM_STAT_ROWS, 0, 0);
}

void CStatTableDlg::OnRowsReady(bool unbounded) {
    if (!m_running || m_closing) return;
    const bool done = m_rows.Take();
    const auto start = Clock::now();
    int appended = 0;
    while (m_rows.HasPending()) {
        StatRow& row = m_rows.Next();
        const int r = m_list->InsertRow(m_list->GetRowCount(), row[0]);
        for (int c = 1; c < m_stat.ColumnCount(); ++c) m_list->SetCellText(r, c, row[c]);
        row.clear();
        if (!unbounded && (++appended & 63) == 0 && Clock::now() - start >= kAppendBudget) break;
    }
    if (m_rows.HasPending()) {
        if (m_rows.ClaimNotification()) PostMessage(GetSafeHwnd(), WM_STAT_ROWS, 0, 0);
    } else if (done) {
        FinishRun();
    }
}

void CStatTableDlg::FinishRun() {
    std::optional<RunResult> result;
    {
        std::lock_guard lock(m_resultMutex);
        result.swap(m_result);
    }
    m_rows.DropPending();
    m_running = false;
    if (!result) return;
    m_list->InsertRow(0, result->totals[0]);
    for (int c = 1; c < m_stat.ColumnCount(); ++c) m_list->SetCellText(0, c, result->totals[c]);
    m_list->SetRedraw(true);
    for (int c = 1; c < m_stat.ColumnCount(); ++c) {
        const StatSeries series{result->periods, std::move(result->series[c])};
        SendMessage(m_page, WM_STAT_DATA, static_cast<WPARAM>(c),
                    reinterpret_cast<LPARAM>(&series));
    }
}
