#include "records/pages/record_page.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <algorithm>
#include <chrono>
#include <ctime>
#include <thread>

#include "host/call_context.h"
#include "platform/files.h"
#include "platform/message_box.h"
#include "platform/messages.h"
#include "platform/qt/qt_platform.h"
#include "records/pages/query_builder.h"
#include "records/pages/row_display.h"
#include "ui/controls/check_list_ctrl.h"
#include "ui/main/main_window_link.h"

namespace {

using Clock = std::chrono::steady_clock;

// The loader hands rows over at least this often, and the window's thread appends for at
// most this long before it returns to its event loop.
constexpr auto kHandOverInterval = std::chrono::milliseconds(15);
constexpr auto kAppendBudget = std::chrono::milliseconds(15);
// Rows the loader may be ahead of the window before it waits.
constexpr size_t kMaxQueuedRows = 20000;

QString Q(const char* text) {
    return QString::fromUtf8(text);
}
QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

std::string Today(const char* format) {
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    char buf[64];
    std::snprintf(buf, sizeof buf, format, tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday);
    return buf;
}

bool IsTextInput(QObject* object) {
    if (qobject_cast<QLineEdit*>(object)) return true;
    auto* combo = qobject_cast<QComboBox*>(object);
    return combo && combo->isEditable();
}

}  // namespace

bool ReadRecordValues(CRstValues& rst, const KindDescription& kind,
                      std::vector<FieldValue>& values) {
    values.resize(kind.FieldCount());
    for (int i = 0; i < kind.FieldCount(); ++i) {
        const char* field = kind.FieldName(i);
        FieldValue& v = values[i];
        int ok = 0;
        switch (kind.FieldType(i)) {
            case kFieldInt: {
                int n = 0;
                ok = rst.GetValueI(field, n);
                v.number = n;
                break;
            }
            case kFieldFloat: {
                float f = 0;
                ok = rst.GetValueF(field, f);
                v.real = f;
                break;
            }
            case kFieldLong:
                ok = rst.GetValueL(field, v.number);
                break;
            default:
                ok = rst.GetValue(field, v.text);
                break;
        }
        if (!ok) return false;
    }
    return true;
}

CRecordPage::CRecordPage(RecordKind kind, QWidget* parent)
    : CPageWindow(parent), m_kind(DescribeKind(kind)) {
    setObjectName(Q(m_kind.pageClass));
    m_values.resize(m_kind.FieldCount());
    CreateControls();
    LayoutControls();
}

CRecordPage::~CRecordPage() {
    m_inCommand = true;  // nothing new starts while the load is being ended
    m_closing = true;    // and rows still arriving are dropped
    m_worker.Stop();
    if (m_list) m_list->DeleteAllRows();
}

void CRecordPage::CreateControls() {
    auto label = [this](const char* text, int id) {
        auto* l = new QLabel(Q(text), this);
        SetControlId(l, id);
        return l;
    };
    auto button = [this](const char* text, int id) {
        auto* b = new QPushButton(Q(text), this);
        b->setAutoDefault(false);
        SetControlId(b, id);
        return b;
    };
    m_contactLabel = label("联系人：", IDC_CONTACT_LABEL);
    m_contactCombo = new QComboBox(this);
    m_contactCombo->setEditable(true);
    m_contactCombo->setInsertPolicy(QComboBox::NoInsert);
    SetControlId(m_contactCombo, IDC_CONTACT);
    m_pickButton = button("...", IDC_PICK);
    m_conditionLabel = label("条件：", IDC_CONDITION_LABEL);
    m_conditionCombo = new QComboBox(this);
    SetControlId(m_conditionCombo, IDC_CONDITION);
    m_contentLabel = label("内容：", IDC_CONTENT_LABEL);
    m_contentCombo = new QComboBox(this);
    m_contentCombo->setEditable(true);
    m_contentCombo->setInsertPolicy(QComboBox::NoInsert);
    m_contentCombo->lineEdit()->setMaxLength(50);
    SetControlId(m_contentCombo, IDC_CONTENT_COMBO);
    m_contentEdit = new QLineEdit(this);
    m_contentEdit->setMaxLength(50);
    SetControlId(m_contentEdit, IDC_CONTENT_EDIT);
    m_queryButton = button("查询", IDC_QUERY);
    m_stopButton = button("停止", IDC_STOP);
    m_stopButton->setEnabled(false);
    m_exportButton = button("导出", IDC_EXPORT);
    m_contentCombo->hide();

    m_list = new CCheckListCtrl(this);
    SetControlId(m_list, IDC_RECORD_LIST);
    m_list->SetMessageParent(GetSafeHwnd());

    connect(m_queryButton, &QPushButton::clicked, this, [this] { RunQuery(); });
    connect(m_stopButton, &QPushButton::clicked, this, [this] { StopLoad(0); });
    connect(m_exportButton, &QPushButton::clicked, this, [this] { ExportChecked(); });
    connect(m_pickButton, &QPushButton::clicked, this, [this] { PickContacts(); });
    // activated: a choice of the user; a selection made by the program changes nothing.
    connect(m_conditionCombo, &QComboBox::activated, this, [this] { OnConditionChanged(); });

    // The keys of the controls (not of the widgets they are made of, which pass key events
    // on to them, so that no key is seen twice).
    QWidget* const controls[] = {m_contactCombo, m_pickButton,   m_conditionCombo,
                                 m_contentCombo, m_contentEdit,  m_queryButton,
                                 m_stopButton,   m_exportButton, m_list->GetView()};
    for (QWidget* control : controls) control->installEventFilter(this);
}

void CRecordPage::LayoutControls() {
    if (QWidget* tab = parentWidget(); tab && IsHosted())
        resize(std::max(0, tab->width() - 8), std::max(0, tab->height() - 32));
    // Query bar positions in dialog units (x, width), one row at the top.
    struct Place {
        QWidget* w;
        int x, cx;
    };
    const Place bar[] = {
        {m_contactLabel, 2, 33},     {m_contactCombo, 35, 56},    {m_pickButton, 91, 16},
        {m_conditionLabel, 112, 25}, {m_conditionCombo, 140, 56}, {m_contentLabel, 200, 25},
        {m_contentCombo, 226, 67},   {m_contentEdit, 226, 67},    {m_queryButton, 295, 34},
        {m_stopButton, 333, 34},     {m_exportButton, 367, 34},
    };
    for (const Place& p : bar) p.w->setGeometry(p.x * 3 / 2, 2, p.cx * 3 / 2, 24);
    m_list->setGeometry(0, 30, width(), std::max(0, height() - 31));
}

void CRecordPage::resizeEvent(QResizeEvent* event) {
    CPageWindow::resizeEvent(event);
    m_list->setGeometry(0, 30, width(), std::max(0, height() - 31));
}

void CRecordPage::showEvent(QShowEvent* event) {
    CPageWindow::showEvent(event);
    if (!m_initialised) FirstShow();
    if (m_editVisible)
        m_contentEdit->setFocus();
    else
        m_contentCombo->setFocus();
    ReportCount(m_list->GetRowCount(), 1);
}

void CRecordPage::hideEvent(QHideEvent* event) {
    CPageWindow::hideEvent(event);
    m_editVisible = m_contentEdit->isHidden() ? 0 : 1;
}

void CRecordPage::FirstShow() {
    m_initialised = 1;
    m_rowCount = 0;
    m_selectAll = 0;
    if (m_connection.ConnectDatabase(GetDatabasePath()))
        m_rst.InitConnAndRec(m_connection.GetConnection(), m_kind.table.name);

    m_list->Initialize(0, 0x30, 0);
    for (int c = 0; c < m_kind.ColumnCount(); ++c)
        m_list->AddColumn(c, m_kind.table.fields[c].heading, m_kind.table.fields[c].width);
    m_list->SetRedraw(true);

    if (GetClientKey() < 1) SetClientKey(0);
    if (m_connection.IsConnected()) StartLoad(InitialQuery(m_kind, GetClientKey()));

    FillClientCombo(m_contactCombo, static_cast<uint32_t>(GetClientKey()), 1);
    m_contactCombo->addItem(Q(kAllContacts));
    for (int c = 0; c < m_kind.ColumnCount(); ++c)
        m_conditionCombo->addItem(Q(m_kind.table.fields[c].heading));
    m_conditionCombo->setCurrentIndex(m_kind.firstCondition);
}

bool CRecordPage::KeyAction(QKeyEvent* event, QWidget* target) {
    const bool press = event->type() == QEvent::KeyPress;
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (press) RunQuery();
            return true;
        case Qt::Key_Escape:
            return true;
        case Qt::Key_Space:
            // Blanks may be typed into the text boxes; elsewhere space does nothing.
            return !IsTextInput(target);
        case Qt::Key_Delete:
            if (press && target && (target == m_list || m_list->isAncestorOf(target)))
                DeleteChecked();
            return false;
        default:
            return false;
    }
}

bool CRecordPage::PreTranslateKey(QKeyEvent* event) {
    return KeyAction(event, QApplication::focusWidget());
}

bool CRecordPage::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease)
        return KeyAction(static_cast<QKeyEvent*>(event), qobject_cast<QWidget*>(watched));
    return CPageWindow::eventFilter(watched, event);
}

void CRecordPage::OnConditionChanged() {
    const int index = m_conditionCombo->currentIndex();
    m_contentCombo->clear();
    m_contactCombo->setEnabled(index != m_kind.ClientNameIndex());
    bool combo = true;
    const FieldRule& rule = m_kind.Rule(index);
    switch (index < 0 ? ContentForm::Edit : rule.content) {
        case ContentForm::Today:
            m_contentCombo->setEditText(Q(Today(m_kind.todayFormat)));
            break;
        case ContentForm::Params:
            FillParamCombo(rule.paramKind);
            break;
        case ContentForm::YesNo:
            m_contentCombo->addItem(Q("是"));
            m_contentCombo->addItem(Q("否"));
            m_contentCombo->setCurrentIndex(0);
            break;
        case ContentForm::Edit:
            combo = false;
            break;
    }
    m_contentEdit->setVisible(!combo);
    m_contentCombo->setVisible(combo);
    if (combo)
        m_contentCombo->setFocus();
    else
        m_contentEdit->setFocus();
}

void CRecordPage::FillParamCombo(int paramKind) {
    m_contentCombo->clear();
    CAdoConnection connection;
    if (!connection.ConnectDatabase(GetDatabasePath())) return;
    {
        CRstValues rst;
        if (rst.InitConnAndRec(connection.GetConnection(), "ObjectPar")) {
            char sql[128];
            std::snprintf(sql, sizeof sql, "SELECT * FROM %s WHERE %s=%d", "ObjectPar",
                          "ObjectParType", paramKind);
            if (rst.OpenRecord(sql)) {
                std::string name;
                do {
                    if (!rst.GetValue("ObjectParName", name)) break;
                    m_contentCombo->addItem(Q(name));
                } while (rst.OnMoveNext());
            }
        }
    }
    if (m_contentCombo->count() > 0) m_contentCombo->setCurrentIndex(0);
    connection.CloseDatabase();
}

void CRecordPage::PickContacts() {
    PickClientsFromHost(m_contactCombo);
}

void CRecordPage::RunQuery() {
    if (m_inCommand || !m_initialised) return;
    CWaitCursor wait;
    QueryInput input;
    input.condIndex = m_conditionCombo->currentIndex();
    input.content =
        (m_contentEdit->isHidden() ? m_contentCombo->currentText() : m_contentEdit->text())
            .toStdString();
    input.contact = m_contactCombo->currentText().toStdString();
    input.contactEnabled = m_contactCombo->isEnabled();
    ContactChoice contacts;
    for (int i = 0; i < m_contactCombo->count(); ++i)
        contacts.entries.push_back(m_contactCombo->itemText(i).toStdString());
    contacts.pickedKeyCount = g_pickedKeys.size();
    contacts.clientKey = [](const std::string& name) {
        return static_cast<long>(static_cast<int32_t>(::GetClientKey(name)));
    };

    const BuiltQuery query = BuildQuery(m_kind, input, contacts);
    switch (query.outcome) {
        case QueryOutcome::Load:
            StartLoad(query.sql);
            break;
        case QueryOutcome::RejectedNumber:
            if (m_kind.emptyOnRejectedNumber) {
                StopLoad(0);
                EmptyList();
                ReportCount(0, 0);
            }
            break;
        case QueryOutcome::Rejected:
            break;
    }
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
    {
        std::lock_guard lock(m_queueMutex);
        m_queue.clear();
        m_queueDone = false;
        m_queueNotified = false;
    }
    m_pending.clear();
    m_pendingNext = 0;
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
    for (;;) {
        {
            std::lock_guard lock(m_queueMutex);
            if (done || m_queue.size() < kMaxQueuedRows || m_worker.StopRequested()) break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    bool notify = false;
    {
        std::lock_guard lock(m_queueMutex);
        if (m_queue.empty())
            m_queue.swap(batch);
        else
            std::move(batch.begin(), batch.end(), std::back_inserter(m_queue));
        batch.clear();
        if (done) m_queueDone = true;
        notify = !m_queueNotified;
        m_queueNotified = true;
    }
    if (notify) PostMessage(GetSafeHwnd(), WM_PAGE_LOADED, 0, 0);
}

void CRecordPage::OnRowsReady(bool unbounded) {
    if (!m_loading || m_closing) return;
    bool done = false;
    {
        std::lock_guard lock(m_queueMutex);
        if (!m_queue.empty()) {
            if (m_pendingNext >= m_pending.size()) {
                m_pending.clear();
                m_pendingNext = 0;
            }
            if (m_pending.empty())
                m_pending.swap(m_queue);
            else
                std::move(m_queue.begin(), m_queue.end(), std::back_inserter(m_pending));
            m_queue.clear();
        }
        done = m_queueDone;
        m_queueNotified = false;
    }
    const auto start = Clock::now();
    int appended = 0;
    const int columns = m_kind.ColumnCount();
    while (m_pendingNext < m_pending.size()) {
        LoadedRow& row = m_pending[m_pendingNext++];
        const int r = m_list->InsertRow(m_list->GetRowCount(), row.cells[0]);
        for (int c = 1; c < columns; ++c)
            if (!row.cells[c].empty()) m_list->SetCellText(r, c, row.cells[c]);
        m_list->SetRowData(r, row.record);
        row.cells.clear();
        if (!unbounded && (++appended & 63) == 0 && Clock::now() - start >= kAppendBudget) break;
    }
    m_rowOfRecord.clear();
    m_rowCount = m_list->GetRowCount();
    if (m_pendingNext < m_pending.size()) {
        PostMessage(GetSafeHwnd(), WM_PAGE_LOADED, 0, 0);
    } else if (done) {
        m_pending.clear();
        m_pendingNext = 0;
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

void CRecordPage::ReportCount(long count, int force) {
    if (!isVisible() && !force) return;
    if (m_rowCount < 1) {
        m_rowCount = 0;
        m_selectAll = 0;
    }
    ShowPageCount(this, count, m_selectAll);
}

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
    StopLoad(0);
    if (check)
        m_list->CheckAll();
    else
        m_list->UncheckAll();
    m_selectAll = check ? 1 : 0;
}

void CRecordPage::DeleteChecked() {
    if (m_inCommand) return;
    StopLoad(0);
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
    StopLoad(0);
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
    StopLoad(0);
    long key = static_cast<int32_t>(GetComboClientKey(m_contactCombo));
    if (key < 1)
        key = static_cast<int32_t>(::GetClientKey(m_contactCombo->currentText().toStdString()));
    if (key < 1) key = GetClientKey();
    OpenEditor(0, key);
    return m_list->GetRowCount();
}

void CRecordPage::OpenEditor(int, long) {}

void CRecordPage::ExportChecked() {
    if (m_inCommand) return;
    StopLoad(0);
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

LRESULT CRecordPage::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_PAGE_NEW:
            return NewRecord();
        case WM_PAGE_VIEW:
        case WM_PAGE_VIEW_ALT:
            OpenSelected();
            return 0;
        case WM_PAGE_DELETE:
            DeleteChecked();
            return 0;
        case WM_PAGE_SELECTALL:
            SelectAll(wParam != 0);
            return 0;
        case WM_PAGE_LAYOUT:
            LayoutControls();
            return 0;
        case WM_PAGE_ISCHECKED:
            return IsRecordChecked(static_cast<long>(wParam));
        case WM_PAGE_COUNT:
            ReportCount(static_cast<long>(wParam), static_cast<int>(lParam));
            return 0;
        case WM_PAGE_LOADED:
            OnRowsReady(false);
            return 0;
        case WM_CHECKLIST_SORTED:
            m_rowOfRecord.clear();
            return 0;
        default:
            return CPageWindow::WindowProc(msg, wParam, lParam);
    }
}
