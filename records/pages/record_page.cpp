#include "records/pages/record_page.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableView>
#include <algorithm>
#include <ctime>

#include "host/call_context.h"
#include "params/param_kinds.h"
#include "platform/files.h"
#include "platform/message_box.h"
#include "platform/messages.h"
#include "platform/qt/qt_platform.h"
#include "records/pages/query_builder.h"
#include "records/pages/row_display.h"
#include "ui/controls/check_list_ctrl.h"
#include "ui/main/main_window_link.h"

namespace {

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

}  // namespace

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
    MakeTypedTextCombo(m_contactCombo);
    SetControlId(m_contactCombo, IDC_CONTACT);
    m_pickButton = button("...", IDC_PICK);
    m_conditionLabel = label("条件：", IDC_CONDITION_LABEL);
    m_conditionCombo = new QComboBox(this);
    SetControlId(m_conditionCombo, IDC_CONDITION);
    m_contentLabel = label("内容：", IDC_CONTENT_LABEL);
    m_contentCombo = new QComboBox(this);
    MakeTypedTextCombo(m_contentCombo);
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
    if (m_kind.hideSelectionUnfocused) {
        QPalette palette = m_list->GetView()->palette();
        palette.setColor(QPalette::Inactive, QPalette::Highlight,
                         palette.color(QPalette::Inactive, QPalette::Base));
        palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                         palette.color(QPalette::Inactive, QPalette::Text));
        m_list->GetView()->setPalette(palette);
    }

    connect(m_queryButton, &QPushButton::clicked, this, [this] { RunQuery(); });
    connect(m_stopButton, &QPushButton::clicked, this, [this] { StopLoad(0); });
    connect(m_exportButton, &QPushButton::clicked, this, [this] { ExportChecked(); });
    connect(m_pickButton, &QPushButton::clicked, this, [this] { PickContacts(); });
    // Any change of the chosen field switches the content control; the page's own
    // selection at the first show is made with signals blocked and changes nothing.
    connect(m_conditionCombo, &QComboBox::currentIndexChanged, this,
            [this] { OnConditionChanged(); });

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
    const QSignalBlocker quiet(m_conditionCombo);
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
            // Space presses no button and ticks no box; text boxes take it.
            return SpacePressesOrTicks(target);
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
            if (rst.OpenRecord(ParamKindQuery(paramKind))) {
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
    input.contactKey = static_cast<int32_t>(GetComboClientKey(m_contactCombo));
    ContactChoice contacts;
    for (int i = 0; i < m_contactCombo->count(); ++i) {
        contacts.entries.push_back(m_contactCombo->itemText(i).toStdString());
        contacts.entryKeys.push_back(static_cast<int32_t>(GetComboEntryKey(m_contactCombo, i)));
    }
    contacts.pickedKeyCount = g_pickedKeys.size();
    contacts.pickedGroup = IsPickedGroupCombo(m_contactCombo);

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

void CRecordPage::ReportCount(long count, int force) {
    if (!isVisible() && !force) return;
    if (m_rowCount < 1) {
        m_rowCount = 0;
        m_selectAll = 0;
    }
    ShowPageCount(this, count, m_selectAll);
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
