#include "stats/stat_dlg.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>

#include "data/ado_connection.h"
#include "platform/files.h"
#include "platform/qt/qt_platform.h"
#include "stats/stat_page.h"
#include "ui/main/crm_tab_ctrl.h"

namespace {

constexpr int kWidth = 600;
constexpr int kHeight = 480;

bool IsSwallowedKey(int key) {
    return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape ||
           key == Qt::Key_Space;
}

}  // namespace

CStatDlg::CStatDlg(QWidget* parent) : CEntryDialog(parent) {
    setObjectName(QStringLiteral("CStatDlg"));
    setWindowTitle(QStringLiteral("业务统计"));
    QFont dialogFont = font();
    dialogFont.setPointSize(9);
    setFont(dialogFont);
    resize(kWidth, kHeight);
    m_tab = new CCrmTabCtrl(this);
    SetControlId(m_tab, 1274);
    m_tab->setGeometry(0, 0, kWidth, kHeight - 25);
    m_close = new QPushButton(QStringLiteral("关闭"), this);
    SetControlId(m_close, 1);
    m_close->setAutoDefault(false);
    m_close->setGeometry(kWidth - 70, kHeight - 24, 60, 22);
    connect(m_close, &QPushButton::clicked, this, &CStatDlg::accept);
    qApp->installEventFilter(this);
}

CStatDlg::~CStatDlg() {
    qApp->removeEventFilter(this);
    DestroyPages();
}

int CStatDlg::OnInitDialog() {
    CAdoConnection connection;
    if (!connection.ConnectDatabase(GetDatabasePath())) return 0;
    m_pages = {new CSaleStatPage(m_tab), new CChanceStatPage(m_tab), new CConsumeStatPage(m_tab)};
    for (CStatPage* page : m_pages) m_tab->AddTab(page, QString::fromUtf8(page->Stat().tabLabel));
    m_tab->SetSelectedTextColor(0xFF0000);
    m_tab->SetHoverTextColor(0xFFFFFF);
    m_started = true;
    connection.CloseDatabase();
    return 1;
}

int CStatDlg::DoModal() {
    int result = IDCANCEL;
    if (m_started || OnInitDialog()) result = exec() == QDialog::Accepted ? IDOK : IDCANCEL;
    DestroyPages();
    return result;
}

CStatPage* CStatDlg::Page(int index) const {
    return index >= 0 && index < static_cast<int>(m_pages.size()) ? m_pages[index] : nullptr;
}

void CStatDlg::DestroyPages() {
    for (CStatPage*& page : m_pages) {
        delete page;
        page = nullptr;
    }
    m_started = false;
}

bool CStatDlg::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease) return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || (widget != this && !isAncestorOf(widget))) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if (!IsSwallowedKey(key->key())) return false;
    for (QWidget* w = widget; w && w != this; w = w->parentWidget())
        if (auto* page = dynamic_cast<CStatPage*>(w)) return page->KeyAction(key, widget);
    return true;
}
