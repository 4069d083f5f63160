// The record commands on the listed rows: tick all, delete, open, new, export. Each row
// keeps its record's index in the recordset, so the commands reach the right records after
// the list was sorted by a heading.
#include <QComboBox>
#include <QCoreApplication>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "export/export_dlg.h"
#include "export/export_progress_dlg.h"
#include "export/viewer_launch.h"
#include "host/call_context.h"
#include "platform/message_box.h"
#include "records/editors/editor_factory.h"
#include "records/editors/record_edit_dlg.h"
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
    return ReadRecordTexts(m_rst, m_kind, m_values, display);
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

namespace {

// Field i of the current (or newly added) record from its raw text, by the field's type code.
int SetFieldText(CRstValues& rst, const KindDescription& kind, int i, const std::string& text) {
    const char* field = kind.FieldName(i);
    switch (kind.FieldType(i)) {
        case kFieldInt:
            return rst.AddRecord(field, static_cast<int>(std::strtol(text.c_str(), nullptr, 10)));
        case kFieldFloat:
            return rst.AddRecord(field, static_cast<float>(std::strtod(text.c_str(), nullptr)));
        case kFieldLong:
            return rst.AddRecord(field, std::strtol(text.c_str(), nullptr, 10));
        default:
            return rst.AddRecord(field, text);
    }
}

// Whether two raw texts of field i are written as the same value.
bool SameStoredValue(const KindDescription& kind, int i, const std::string& a,
                     const std::string& b) {
    switch (kind.FieldType(i)) {
        case kFieldInt:
            return static_cast<int>(std::strtol(a.c_str(), nullptr, 10)) ==
                   static_cast<int>(std::strtol(b.c_str(), nullptr, 10));
        case kFieldFloat:
            return static_cast<float>(std::strtod(a.c_str(), nullptr)) ==
                   static_cast<float>(std::strtod(b.c_str(), nullptr));
        case kFieldLong:
            return std::strtol(a.c_str(), nullptr, 10) == std::strtol(b.c_str(), nullptr, 10);
        default:
            return a == b;
    }
}

}  // namespace

bool WriteRecordTexts(CRstValues& rst, const KindDescription& kind,
                      const std::vector<std::string>& texts, const std::vector<std::string>* read) {
    for (int i = 0; i < kind.FieldCount(); ++i) {
        if (read && SameStoredValue(kind, i, texts[i], (*read)[i])) continue;
        if (!SetFieldText(rst, kind, i, texts[i])) {
            rst.Release();  // nothing of the record is written
            return false;
        }
    }
    return rst.UpdateRecord() != 0;
}

void CRecordPage::OpenEditor(int mode, long arg) {
    std::vector<std::string> shown = m_values;  // what the editor starts with
    std::vector<std::string> read = m_values;   // the record as read
    for (;;) {
        std::unique_ptr<CRecordEditDlg> editor = CreateRecordEditor(m_kind.kind, this);
        if (!editor) return;
        editor->m_mode = mode;
        if (mode == 0) editor->m_contactKey = arg;
        editor->m_values = shown;
        const bool inCommand = m_inCommand;
        m_inCommand = true;
        const int result = editor->DoModal();
        m_inCommand = inCommand;
        if (result != 1) return;
        const std::vector<std::string>& edited = editor->m_values;

        if (mode == 0) {
            // The new record goes after every record of the result.
            const long record = m_rst.GetTotalRecordCount();
            if (!m_rst.AddRecord()) {
                if (*m_kind.newFailText)
                    ShowMessage(GetSafeHwnd(), m_kind.newFailText, "失败", MsgIcon::Error);
                return;
            }
            // A failed write was reported by the recordset; table and list stay as they were.
            if (WriteRecordTexts(m_rst, m_kind, edited)) ShowEdited(mode, arg, record, edited);
            return;
        }
        if (arg < 0 || arg >= m_list->GetRowCount() ||
            !m_rst.MoveRecID(static_cast<long>(m_list->GetRowData(static_cast<int>(arg)))))
            return;
        // Only the fields the user changed are written, each over the value read.
        if (WriteRecordTexts(m_rst, m_kind, edited, &read)) {
            ShowEdited(mode, arg, -1, edited);
            return;
        }
        // Refused because another seat changed a field this user changed too: the recordset
        // now holds the record as stored. The row shows that, and the editor comes back with
        // the user's changes over it. Any other failure leaves table and list as they were.
        std::vector<std::string> stored = read;
        if (!ReadRecordTexts(m_rst, m_kind, stored, false) || stored == read) return;
        ShowEdited(mode, arg, -1, stored);
        shown = stored;
        for (int i = 0; i < m_kind.FieldCount(); ++i)
            if (!SameStoredValue(m_kind, i, edited[i], read[i])) shown[i] = edited[i];
        read = std::move(stored);
    }
}

void CRecordPage::ShowEdited(int mode, long row, long record, const std::vector<std::string>& raw) {
    const int clientName = m_kind.ClientNameIndex();
    std::vector<FieldValue> values;
    for (int i = 0; i < m_kind.FieldCount(); ++i) {
        if (i == clientName) AddContactName(raw[i]);
        values.push_back(ValueFromRaw(m_kind, i, raw[i]));
        m_values[i] = DisplayText(m_kind, i, values.back());
    }
    const std::vector<std::string> cells = RowCells(m_kind, values);
    if (mode == 0) {
        row = m_list->InsertRow(m_list->GetRowCount(), cells[0]);
        m_list->SetCheck(static_cast<int>(row), 0);
        m_list->SetRowData(static_cast<int>(row), static_cast<uint32_t>(record));
        m_rowOfRecord.clear();
    }
    for (int c = 0; c < m_kind.ColumnCount(); ++c)
        m_list->SetCellText(static_cast<int>(row), c, cells[c]);
    m_rowCount = m_list->GetRowCount();
    ReportCount(m_rowCount, 0);
}

void CRecordPage::AddContactName(const std::string& name) {
    if (name.empty()) return;
    const QString text = QString::fromStdString(name);
    for (int i = 0; i < m_contactCombo->count(); ++i)
        if (m_contactCombo->itemText(i) == text) return;
    const int count = m_contactCombo->count();
    m_contactCombo->insertItem(count > 0 ? count - 1 : 0, text);
}

void CRecordPage::ExportChecked() {
    if (m_inCommand) return;
    CompleteLoad();
    const long total = m_rst.GetTotalRecordCount();
    if (total < 1) {
        ShowMessage(GetSafeHwnd(), "您要导出的数据为空", "警告", MsgIcon::Exclamation);
        return;
    }
    bool any = false;
    for (int r = 0, n = m_list->GetRowCount(); r < n && !any; ++r) any = m_list->GetCheck(r);
    if (!any) {
        ShowMessage(GetSafeHwnd(), "请在您想要导出的记录前打钩！", "警告", MsgIcon::Exclamation);
        return;
    }
    // The dialogs are modal; commands reaching the page meanwhile are dropped, and the
    // writer reads m_rst alone.
    m_inCommand = true;
    struct CommandEnd {
        bool& flag;
        ~CommandEnd() { flag = false; }
    } end{m_inCommand};

    const int columns = m_kind.ColumnCount();
    CExportDlg choice(this);
    for (int c = 0; c < columns; ++c) choice.m_fields.push_back(m_kind.table.fields[c].heading);
    if (choice.exec() != IDOK) return;
    // Let the window under the closed dialog repaint before the progress window shows.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);

    CExportProgressDlg progress(this);
    progress.m_owner = GetSafeHwnd();
    progress.m_title = m_kind.exportTitle;
    progress.m_path = choice.m_path;
    for (int c = 0; c < columns; ++c) {
        const FieldDef& field = m_kind.table.fields[c];
        if (std::find(choice.m_fields.begin(), choice.m_fields.end(), field.heading) ==
            choice.m_fields.end())
            continue;
        progress.m_headings.push_back(field.heading);
        progress.m_fieldNames.push_back(field.name);
        progress.m_types.push_back(field.type);
    }
    progress.SetRecords(&m_rst, total);
    if (progress.exec() != IDOK) return;
    if (ShowMessage(GetSafeHwnd(), "数据导出完毕！\r\n是否现在查看导出的数据？", "查看",
                    MsgIcon::Question, MsgButtons::YesNo) == IDYES)
        OpenExportedFile(choice.m_path);
}
