// The record commands on the listed rows: tick all, delete, open, new, export. Each row
// keeps its record's index in the recordset, so the commands reach the right records after
// the list was sorted by a heading.
#include <QComboBox>
#include <algorithm>
#include <cstdio>

#include "host/call_context.h"
#include "platform/message_box.h"
#include "records/pages/record_page.h"
#include "records/pages/row_display.h"
#include "ui/controls/check_list_ctrl.h"

int CRecordPage::FindRow(long record) {
    if (m_rowOfRecord.empty()) {
        const int rows = m_list->GetRowCount();
        m_rowOfRecord.assign(rows, -1);
        for (int r = 0; r < rows; ++r) {
            const uint32_t rec = m_list->GetRowData(r);
            if (rec >= m_rowOfRecord.size()) m_rowOfRecord.resize(rec + 1, -1);
            m_rowOfRecord[rec] = r;
        }
    }
    return record >= 0 && record < static_cast<long>(m_rowOfRecord.size()) ? m_rowOfRecord[record]
                                                                           : -1;
}

int CRecordPage::IsRecordChecked(long record) {
    const int row = FindRow(record);
    return row >= 0 && m_list->GetCheck(row) ? 1 : 0;
}

void CRecordPage::SelectAll(int check) {
    if (m_inCommand) return;
    // A running load goes on: the rows it lists afterwards take the same tick.
    if (check)
        m_list->CheckAll();
    else
        m_list->UncheckAll();
    m_selectAll = check ? 1 : 0;
}

void CRecordPage::DeleteChecked() {
    if (m_inCommand) return;
    CompleteLoad();
    const HWND owner = GetSafeHwnd();
    const int n = m_list->GetRowCount();
    struct Ticked {
        int row;
        uint32_t record;
    };
    std::vector<Ticked> ticked;
    for (int r = 0; r < n; ++r)
        if (m_list->GetCheck(r)) ticked.push_back({r, m_list->GetRowData(r)});
    if (ticked.empty()) {
        ShowMessage(owner, "请选定所要删除的记录", "错误", MsgIcon::Exclamation);
        return;
    }
    if (ShowMessage(owner, "确实要删除所选记录吗？", "警告", MsgIcon::Exclamation,
                    MsgButtons::YesNo) != IDYES)
        return;

    // Highest record first, so every position still names the record it named at loading.
    std::sort(ticked.begin(), ticked.end(),
              [](const Ticked& a, const Ticked& b) { return a.record > b.record; });
    std::vector<int> deletedRows;
    std::vector<uint32_t> deletedRecords;
    for (const Ticked& t : ticked) {
        if (!m_rst.MoveRecID(static_cast<long>(t.record))) {
            ShowMessage(owner, "移动到指定记录失败", "错误", MsgIcon::Error);
            break;
        }
        if (!m_rst.DeleteRecord()) {
            ShowMessage(owner, "删除记录失败", "错误", MsgIcon::Error);
            break;
        }
        deletedRows.push_back(t.row);
        deletedRecords.push_back(t.record);
    }
    std::sort(deletedRows.rbegin(), deletedRows.rend());
    for (int row : deletedRows) m_list->DeleteRow(row, false);
    // The records after a deleted one moved up in the result.
    std::sort(deletedRecords.begin(), deletedRecords.end());
    if (!deletedRecords.empty()) {
        for (int r = 0, rows = m_list->GetRowCount(); r < rows; ++r) {
            const uint32_t rec = m_list->GetRowData(r);
            const auto before =
                std::lower_bound(deletedRecords.begin(), deletedRecords.end(), rec) -
                deletedRecords.begin();
            if (before) m_list->SetRowData(r, rec - static_cast<uint32_t>(before));
        }
    }
    m_rowOfRecord.clear();
    m_rowCount = m_list->GetRowCount();
    ReportCount(m_rowCount, 0);
}

bool CRecordPage::ReadRecord(bool display) {
    std::vector<FieldValue> values;
    const bool ok = ReadRecordValues(m_rst, m_kind, values);
    for (size_t i = 0; i < values.size(); ++i)
        m_values[i] = display ? DisplayText(m_kind, static_cast<int>(i), values[i])
                              : RawText(m_kind, static_cast<int>(i), values[i]);
    return ok;
}

void CRecordPage::OpenSelected() {
    if (m_inCommand) return;
    CompleteLoad();
    const int row = m_list->GetFirstSelectedRow();
    if (row < 0) {
        ShowMessage(GetSafeHwnd(), "请选择记录", "错误", MsgIcon::Error);
        return;
    }
    if (!m_rst.MoveRecID(static_cast<long>(m_list->GetRowData(row)))) {
        char text[128];
        std::snprintf(text, sizeof text, m_kind.moveFailText, row);
        ShowMessage(GetSafeHwnd(), text, "错误", MsgIcon::Error);
        return;
    }
    ReadRecord(false);
    OpenEditor(1, row);
}

int CRecordPage::NewRecord() {
    if (m_inCommand) return m_list->GetRowCount();
    CompleteLoad();
    // The chosen or typed contact's key (its name's, when it is no entry), else the page's.
    long key = static_cast<int32_t>(GetComboClientKey(m_contactCombo));
    if (key < 1) key = GetClientKey();
    OpenEditor(0, key);
    return m_list->GetRowCount();
}

void CRecordPage::OpenEditor(int, long) {}

void CRecordPage::ExportChecked() {
    if (m_inCommand) return;
    CompleteLoad();
    if (m_rst.GetTotalRecordCount() < 1) {
        ShowMessage(GetSafeHwnd(), "您要导出的数据为空", "警告", MsgIcon::Exclamation);
        return;
    }
    bool any = false;
    for (int r = 0, n = m_list->GetRowCount(); r < n && !any; ++r) any = m_list->GetCheck(r);
    if (!any) {
        ShowMessage(GetSafeHwnd(), "请在您想要导出的记录前打钩！", "警告", MsgIcon::Exclamation);
        return;
    }
}
