// Loading: the worker reads and formats records and hands them over in batches; the
// window's thread appends them in slices that keep its event loop responsive.
#include <QPushButton>
#include <chrono>
#include <thread>

#include "platform/messages.h"
#include "platform/qt/qt_platform.h"
#include "records/pages/record_page.h"
#include "records/pages/row_display.h"
#include "ui/controls/check_list_ctrl.h"

namespace {

using Clock = std::chrono::steady_clock;

// The loader hands rows over at least this often, and the window's thread appends for at
// most this long before it returns to its event loop.
constexpr auto kHandOverInterval = std::chrono::milliseconds(15);
constexpr auto kAppendBudget = std::chrono::milliseconds(15);
// Rows the loader may be ahead of the window before it waits.
constexpr size_t kMaxQueuedRows = 20000;

}  // namespace

bool ReadFieldValue(CRstValues& rst, const char* field, int type, FieldValue& v) {
    switch (type) {
        case kFieldInt: {
            int n = 0;
            const int ok = rst.GetValueI(field, n);
            v.number = n;
            return ok;
        }
        case kFieldFloat: {
            float f = 0;
            const int ok = rst.GetValueF(field, f);
            v.real = f;
            return ok;
        }
        case kFieldLong:
            return rst.GetValueL(field, v.number);
        default:
            return rst.GetValue(field, v.text);
    }
}

bool ReadRecordValues(CRstValues& rst, const KindDescription& kind, std::vector<FieldValue>& values,
                      int* read) {
    values.resize(kind.FieldCount());
    if (read) *read = 0;
    for (int i = 0; i < kind.FieldCount(); ++i) {
        if (!ReadFieldValue(rst, kind.FieldName(i), kind.FieldType(i), values[i])) return false;
        if (read) *read = i + 1;
    }
    return true;
}

bool ReadRecordTexts(CRstValues& rst, const KindDescription& kind, std::vector<std::string>& texts,
                     bool display) {
    std::vector<FieldValue> values;
    int read = 0;
    const bool ok = ReadRecordValues(rst, kind, values, &read);
    texts.resize(kind.FieldCount());
    for (int i = 0; i < read; ++i)
        texts[i] = display ? DisplayText(kind, i, values[i]) : RawText(kind, i, values[i]);
    return ok;
}

void CRecordPage::EmptyList() {
    m_list->DeleteAllRows();
    m_rowOfRecord.clear();
    m_rowCount = 0;
    m_selectAll = 0;
}

void CRecordPage::StartLoad(const std::string& sql) {
    StopLoad(0);
    m_sql = sql;
    EmptyList();
    m_rows.Reset();
    m_loading = true;
    m_queryButton->setEnabled(false);
    m_stopButton->setEnabled(true);
    ReportCount(0, 0);
    m_worker.Start([this, sql] { LoadThreadProc(sql); });
}

void CRecordPage::LoadThreadProc(const std::string& sql) {
    std::vector<LoadedRow> batch;
    std::vector<FieldValue> values;
    CRowFormatter formatter(m_kind);
    auto lastHandOver = Clock::now();
    uint32_t record = 0;
    StreamingLoad streaming;
    if (!sql.empty() && m_rst.OpenRecord(sql)) {
        while (!m_worker.StopRequested()) {
            if (!ReadRecordValues(m_rst, m_kind, values)) break;
            batch.push_back({record++, formatter.Cells(values)});
            if (record == 1 || Clock::now() - lastHandOver >= kHandOverInterval) {
                HandOver(batch, false);
                lastHandOver = Clock::now();
            }
            if (!m_rst.OnMoveNext()) break;
        }
    }
    HandOver(batch, true);
}

void CRecordPage::HandOver(std::vector<LoadedRow>& batch, bool done) {
    // Keep the loader from running far ahead of the window (bounded memory, prompt stop).
    while (!done && m_rows.Queued() >= kMaxQueuedRows && !m_worker.StopRequested())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    if (m_rows.Push(batch, done)) PostMessage(GetSafeHwnd(), WM_PAGE_LOADED, 0, 0);
}

void CRecordPage::OnRowsReady(bool unbounded) {
    if (!m_loading || m_closing) return;
    const bool done = m_rows.Take();
    const auto start = Clock::now();
    int appended = 0;
    const int columns = m_kind.ColumnCount();
    while (m_rows.HasPending()) {
        LoadedRow& row = m_rows.Next();
        const int r = m_list->InsertRow(m_list->GetRowCount(), row.cells[0]);
        for (int c = 1; c < columns; ++c)
            if (!row.cells[c].empty()) m_list->SetCellText(r, c, row.cells[c]);
        m_list->SetRowData(r, row.record);
        if (m_selectAll) m_list->SetCheck(r, 1);  // ticked by 全选 during the load
        row.cells.clear();
        if (!unbounded && (++appended & 63) == 0 && Clock::now() - start >= kAppendBudget) break;
    }
    m_rowOfRecord.clear();
    m_rowCount = m_list->GetRowCount();
    if (m_rows.HasPending()) {
        if (m_rows.ClaimNotification()) PostMessage(GetSafeHwnd(), WM_PAGE_LOADED, 0, 0);
    } else if (done) {
        m_rows.DropPending();
        FinishLoad();
        return;
    }
    ReportCount(m_rowCount, 0);
}

void CRecordPage::FinishLoad() {
    m_loading = false;
    m_queryButton->setEnabled(true);
    m_stopButton->setEnabled(false);
    m_rowCount = m_list->GetRowCount();
    ReportCount(m_rowCount, 0);
}

void CRecordPage::CompleteLoad() {
    if (!m_loading) return;
    CWaitCursor wait;
    const bool nested = m_inCommand;
    m_inCommand = true;
    m_worker.Wait();  // the rows handed over meanwhile are appended as they arrive
    OnRowsReady(true);
    m_inCommand = nested;
}

void CRecordPage::StopLoad(int /*force*/) {
    if (!m_loading) return;
    CWaitCursor wait;
    const bool nested = m_inCommand;
    m_inCommand = true;
    m_worker.Stop();
    // Everything the loader handed over is listed before the page goes on.
    OnRowsReady(true);
    m_inCommand = nested;
}
