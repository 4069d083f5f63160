#include "stats/stat_page.h"

#include <QApplication>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTimeEdit>

#include "data/ado_connection.h"
#include "orvicrm/CRstValues.h"
#include "platform/files.h"
#include "platform/qt/qt_platform.h"
#include "stats/stat_chart_dlg.h"
#include "stats/stat_messages.h"
#include "stats/stat_query.h"
#include "stats/stat_table_dlg.h"
#include "ui/main/crm_tab_ctrl.h"

namespace {

constexpr int kContentMaxLength = 127;
constexpr const char* kUnits[] = {"天", "月", "季度", "年"};
constexpr const char* kConditions[] = {"产品名称", "产品型号", "产品特征"};

QString Q(const char* text) {
    return QString::fromUtf8(text);
}

bool IsTextInput(QObject* object) {
    if (qobject_cast<QLineEdit*>(object)) return true;
    auto* combo = qobject_cast<QComboBox*>(object);
    return combo && combo->isEditable();
}

}  // namespace

CStatPage::CStatPage(StatKind kind, QWidget* parent)
    : CPageWindow(parent), m_stat(DescribeStat(kind)) {
    setObjectName(Q(m_stat.pageClass));
    if (parent)
        resize(std::max(0, parent->width() - 7),
               std::max(0, parent->height() - m_stat.pageHeightMargin));
    CreateControls();
    if (m_stat.productFilter) StartContentFill(ContentListQuery(m_stat, kByProductName));
}

CStatPage::~CStatPage() {
    m_contentWorker.Stop();
    // The table's worker ends before the chart and the page it reports to go.
    delete m_table;
    m_table = nullptr;
}

void CStatPage::CreateControls() {
    auto label = [this](const char* text, int x, int y, int w) {
        auto* made = new QLabel(Q(text), this);
        made->setGeometry(x, y + 3, w, 18);
    };
    auto button = [this](const char* text, int id, int x, int y) {
        auto* made = new QPushButton(Q(text), this);
        made->setAutoDefault(false);
        SetControlId(made, id);
        made->setGeometry(x, y, 76, 24);
        m_ownControls.push_back(made);
        return made;
    };
    auto picker = [this](int id, int x, int y) {
        auto* made = new QDateTimeEdit(this);
        made->setDisplayFormat(QStringLiteral("yyyy年M月d日"));
        made->setCalendarPopup(true);
        SetControlId(made, id);
        made->setGeometry(x, y, 130, 24);
        if (m_stat.kind != StatKind::Sale) {
            made->setMinimumDateTime(QDateTime::fromSecsSinceEpoch(0));
            made->setMaximumDateTime(QDateTime(QDate(2037, 1, 1), QTime(0, 0)));
        }
        m_ownControls.push_back(made);
        return made;
    };
    auto combo = [this](int id, int x, int y, int w, bool editable) {
        auto* made = new QComboBox(this);
        if (editable) MakeTypedTextCombo(made);
        SetControlId(made, id);
        made->setGeometry(x, y, w, 24);
        m_ownControls.push_back(made);
        return made;
    };

    const int row1 = 4, row2 = 32;
    label("从", 4, row1, 16);
    m_start = picker(IDC_STAT_START_DATE, 22, row1);
    label("到", 158, row1, 16);
    m_end = picker(IDC_STAT_END_DATE, 176, row1);
    const bool timePickers = m_stat.kind == StatKind::Consume;
    if (timePickers) {
        for (int id : {IDC_STAT_START_TIME, IDC_STAT_END_TIME}) {
            auto* time = new QTimeEdit(this);
            SetControlId(time, id);
            time->setGeometry(id == IDC_STAT_START_TIME ? 22 : 176, row2, 130, 24);
            m_ownControls.push_back(time);
        }
    }
    const int unitX = 312;
    label("统计单位：", unitX, row1, 66);
    m_unit = combo(IDC_STAT_UNIT, unitX + 66, row1, 70, false);
    for (const char* unit : kUnits) m_unit->addItem(Q(unit));
    m_run = button("开始统计", IDC_STAT_RUN, unitX + 144, row1);
    if (m_stat.productFilter) {
        label("统计条件：", 4, row2, 66);
        m_condition = combo(IDC_STAT_CONDITION, 70, row2, 90, false);
        for (const char* condition : kConditions) m_condition->addItem(Q(condition));
        label("统计内容：", 170, row2, 66);
        m_content = combo(IDC_STAT_CONTENT, 236, row2, 210, true);
        m_content->lineEdit()->setMaxLength(kContentMaxLength);
        connect(m_condition, &QComboBox::currentIndexChanged, this,
                [this] { OnConditionChanged(); });
    }
    m_stop = button("停    止", IDC_STAT_STOP, unitX + 144, row2);
    m_stop->setEnabled(false);
    connect(m_run, &QPushButton::clicked, this, [this] { StartStat(); });
    connect(m_stop, &QPushButton::clicked, this, [this] { StopStat(); });
    for (QWidget* control : m_ownControls) control->installEventFilter(this);

    m_sheets = new CCrmTabCtrl(this);
    SetControlId(m_sheets, IDC_STAT_SHEETS);
    m_sheets->setGeometry(0, row2 + 30, width(), std::max(0, height() - m_stat.innerTabMargin));
    const QSize sheetSize(std::max(0, m_sheets->width() - 7), std::max(0, m_sheets->height() - 30));
    m_table = new CStatTableDlg(m_stat, GetSafeHwnd(), sheetSize, m_sheets);
    m_sheets->AddTab(m_table, QStringLiteral("统计结果（表格）"));
    m_chart = new CStatChartDlg(m_stat.chartMode, sheetSize, m_sheets);
    m_sheets->AddTab(m_chart, QStringLiteral("统计结果（曲线图）"));
    m_sheets->SetNormalTextColor(200);
    m_sheets->SetSelectedTextColor(0xFF0000);
    m_sheets->SetHoverTextColor(0xFFFFFF);

    const QDateTime now = QDateTime::currentDateTime();
    m_end->setDateTime(now);
    m_start->setDateTime(now.addSecs(-86400));
}

std::string CStatPage::CurrentQuery() const {
    const long start = static_cast<long>(m_start->dateTime().toSecsSinceEpoch());
    const long end = static_cast<long>(m_end->dateTime().toSecsSinceEpoch());
    const int condition = m_condition ? m_condition->currentIndex() : 0;
    const std::string content = m_content ? m_content->currentText().toStdString() : "";
    return BuildStatQuery(m_stat, start, end, condition, content);
}

bool CStatPage::IsRunning() const {
    return m_stop->isEnabled();
}

void CStatPage::SetRunning(bool running) {
    m_run->setEnabled(!running);
    m_stop->setEnabled(running);
}

void CStatPage::StartStat() {
    const std::string sql = CurrentQuery();
    if (SendMessage(m_table->GetSafeHwnd(), WM_STAT_DATA,
                    static_cast<WPARAM>(m_unit->currentIndex()),
                    reinterpret_cast<LPARAM>(sql.c_str())))
        SetRunning(true);
}

void CStatPage::StopStat() {
    SetRunning(false);
    SendMessage(m_table->GetSafeHwnd(), WM_STAT_STOP, 0, 0);
}

LRESULT CStatPage::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_STAT_DATA:
            SendMessage(m_chart->GetSafeHwnd(), WM_STAT_DATA, wParam, lParam);
            SetRunning(false);
            return 1;
        case WM_STAT_CONTENT:
            OnContentReady();
            return 0;
        default:
            return CPageWindow::WindowProc(msg, wParam, lParam);
    }
}

void CStatPage::OnConditionChanged() {
    m_content->clear();
    m_content->setEditText(QString());
    StartContentFill(ContentListQuery(m_stat, m_condition->currentIndex()));
}

void CStatPage::StartContentFill(const std::string& sql) {
    m_contentWorker.Stop();
    {
        std::lock_guard lock(m_contentMutex);
        m_contentValues.clear();
    }
    if (sql.empty()) return;
    m_contentWorker.Start([this, sql] {
        std::vector<std::string> values;
        StreamingLoad streaming;
        CAdoConnection connection;
        if (connection.ConnectDatabase(GetDatabasePath())) {
            CRstValues rst;
            if (rst.InitConnAndRec(connection.GetConnection(), m_stat.table) &&
                rst.OpenRecord(sql)) {
                std::string value;
                do {
                    if (m_contentWorker.StopRequested()) return;
                    if (rst.GetValueStr(value, 0, kContentMaxLength) && !value.empty())
                        values.push_back(value);
                } while (rst.OnMoveNext());
            }
        }
        {
            std::lock_guard lock(m_contentMutex);
            m_contentValues.swap(values);
        }
        PostMessage(GetSafeHwnd(), WM_STAT_CONTENT, 0, 0);
    });
}

void CStatPage::OnContentReady() {
    std::vector<std::string> values;
    {
        std::lock_guard lock(m_contentMutex);
        values.swap(m_contentValues);
    }
    if (!m_content || values.empty()) return;
    // The list is offered; what the user has typed stays.
    const QString typed = m_content->currentText();
    const QSignalBlocker quiet(m_content);
    for (const std::string& value : values) m_content->addItem(QString::fromStdString(value));
    m_content->setEditText(typed);
}

bool CStatPage::IsOwnControl(QObject* object) const {
    for (auto* w = qobject_cast<QWidget*>(object); w && w != this; w = w->parentWidget())
        if (std::find(m_ownControls.begin(), m_ownControls.end(), w) != m_ownControls.end())
            return true;
    return false;
}

bool CStatPage::KeyAction(QKeyEvent* event, QObject* target) {
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (event->type() == QEvent::KeyPress && IsOwnControl(target)) StartStat();
            return true;
        case Qt::Key_Escape:
            return true;
        case Qt::Key_Space:
            // Blanks may be typed into the content; elsewhere space does nothing.
            return !(IsOwnControl(target) && IsTextInput(target));
        default:
            return false;
    }
}

bool CStatPage::PreTranslateKey(QKeyEvent* event) {
    return KeyAction(event, QApplication::focusWidget());
}

bool CStatPage::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease)
        return KeyAction(static_cast<QKeyEvent*>(event), watched);
    return CPageWindow::eventFilter(watched, event);
}
