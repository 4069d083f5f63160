#include "ui/main/crm_manage_dlg.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <algorithm>

#include "data/ado_connection.h"
#include "platform/files.h"
#include "platform/message_layer.h"
#include "platform/messages.h"
#include "platform/qt/qt_platform.h"
#include "records/pages/page_factory.h"
#include "ui/main/crm_tab_ctrl.h"
#include "ui/main/page_window.h"

namespace {

CCrmManageDlg::PageFactory& Factory() {
    static CCrmManageDlg::PageFactory factory;
    return factory;
}

constexpr const char* kSection = "infowindow";

struct TabInfo {
    RecordKind kind;
    const char* label;
};
constexpr TabInfo kTabs[kRecordKindCount] = {
    {RecordKind::Sale, "销售"},    {RecordKind::Chance, "机会"}, {RecordKind::Consume, "费用"},
    {RecordKind::History, "历史"}, {RecordKind::Active, "活动"}, {RecordKind::FeedBack, "反馈"},
};

// The template's client size: 430 x 277 dialog units of a 9-point font, 1.5 pixels each.
constexpr int kTemplateWidth = 645;
constexpr int kTemplateHeight = 416;

bool IsSwallowedKey(int key) {
    return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape ||
           key == Qt::Key_Space;
}

}  // namespace

void CCrmManageDlg::SetPageFactory(PageFactory factory) {
    Factory() = std::move(factory);
}

CCrmManageDlg::CCrmManageDlg(QWidget* parent) : CEntryDialog(parent) {
    setObjectName(QStringLiteral("CCrmManageDlg"));
    setWindowTitle(QStringLiteral("管理"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    QFont dialogFont = font();
    dialogFont.setPointSize(9);
    setFont(dialogFont);
    setMinimumSize(kMinWidth, kMinHeight);
    setSizeGripEnabled(true);

    m_tab = new CCrmTabCtrl(this);
    SetControlId(m_tab, 1295);
    m_tab->setGeometry(2, 0, 642, 387);
    connect(m_tab, &CCrmTabCtrl::TabClicked, this, &CCrmManageDlg::OnTabClicked);

    auto label = [this](int id, const char* text, QRect rect) {
        auto* made = new QLabel(QString::fromUtf8(text), this);
        SetControlId(made, id);
        made->setGeometry(rect);
        return made;
    };
    auto button = [this](int id, const char* text, QRect rect, bool visible) {
        auto* made = new QPushButton(QString::fromUtf8(text), this);
        SetControlId(made, id);
        made->setGeometry(rect);
        made->setAutoDefault(false);
        made->setVisible(visible);
        return made;
    };
    m_countCaption = label(1365, "记录个数：", QRect(9, 395, 62, 16));
    m_count = label(1364, "888888", QRect(70, 395, 51, 16));
    m_first = button(1060, "第一页", QRect(3, 393, 60, 21), false);
    m_prev = button(1058, "上一页", QRect(63, 393, 58, 21), false);
    m_next = button(1059, "下一页", QRect(121, 393, 57, 21), false);
    m_last = button(1061, "末页", QRect(178, 393, 52, 21), false);
    for (QPushButton* paging : {m_first, m_prev, m_next, m_last}) paging->setEnabled(false);
    m_call = button(1080, "呼叫", QRect(243, 393, 50, 21), false);
    m_selectAll = new QCheckBox(QStringLiteral("全选"), this);
    SetControlId(m_selectAll, 1044);
    m_selectAll->setGeometry(304, 396, 63, 16);
    m_view = button(1043, "查看", QRect(429, 393, 48, 21), true);
    m_new = button(1016, "新建", QRect(478, 393, 50, 21), true);
    m_delete = button(1027, "删除", QRect(531, 393, 50, 21), true);
    m_close = button(1, "关闭", QRect(582, 393, 51, 21), true);
    m_close->setDefault(true);
    resize(kTemplateWidth, kTemplateHeight);

    connect(m_new, &QPushButton::clicked, this, [this] { SendToCurrentPage(WM_PAGE_NEW, 0); });
    connect(m_view, &QPushButton::clicked, this, [this] { SendToCurrentPage(WM_PAGE_VIEW, 0); });
    connect(m_delete, &QPushButton::clicked, this,
            [this] { SendToCurrentPage(WM_PAGE_DELETE, 0); });
    connect(m_first, &QPushButton::clicked, this,
            [this] { SendToCurrentPage(WM_PAGE_FIRSTPAGE, 0); });
    connect(m_prev, &QPushButton::clicked, this,
            [this] { SendToCurrentPage(WM_PAGE_PREVPAGE, 0); });
    connect(m_next, &QPushButton::clicked, this,
            [this] { SendToCurrentPage(WM_PAGE_NEXTPAGE, 0); });
    connect(m_last, &QPushButton::clicked, this,
            [this] { SendToCurrentPage(WM_PAGE_LASTPAGE, 0); });
    connect(m_call, &QPushButton::clicked, this, [this] { SendToCurrentPage(WM_PAGE_CALL, 0); });
    connect(m_selectAll, &QCheckBox::clicked, this,
            [this] { SendToCurrentPage(WM_PAGE_SELECTALL, m_selectAll->isChecked() ? 1 : 0); });
    connect(m_close, &QPushButton::clicked, this, &CCrmManageDlg::accept);

    qApp->installEventFilter(this);
}

CCrmManageDlg::~CCrmManageDlg() {
    qApp->removeEventFilter(this);
    OnDestroy();
}

int CCrmManageDlg::OnInitDialog() {
    CAdoConnection connection;
    if (!connection.ConnectDatabase(GetDatabasePath())) return 0;

    if (m_runByEntry) setWindowFlag(Qt::WindowMinimizeButtonHint, false);

    for (int i = 0; i < kRecordKindCount; ++i) {
        CPageWindow* page =
            Factory() ? Factory()(kTabs[i].kind, m_tab) : CreateRecordPage(kTabs[i].kind, m_tab);
        m_pages[i] = page;
        if (!page) continue;
        page->SetHosted(1);
        page->SetClientKey(m_clientKey);
        m_tab->AddTab(page, QString::fromUtf8(kTabs[i].label), -1);
    }
    m_tab->SetSelectedTextColor(0xff0000);
    m_tab->SetHoverTextColor(0xffffff);
    m_started = 1;

    RestoreWindowRect();
    LayoutControls(width(), height());
    SendLayoutToPages();
    connection.CloseDatabase();
    return 1;
}

int CCrmManageDlg::DoModal() {
    int result = IDOK;
    if (m_started || OnInitDialog()) result = exec() == QDialog::Accepted ? IDOK : IDCANCEL;
    OnDestroy();
    return result;
}

namespace {

// True when the rectangle shows at least one pixel on some screen.
bool IsOnAnyScreen(int left, int top, int width, int height) {
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect area = screen->geometry();
        // 64 bits: a stored left or top near the int limits must not wrap around.
        const long long right = static_cast<long long>(left) + width;
        const long long bottom = static_cast<long long>(top) + height;
        if (left <= area.right() && right > area.left() && top <= area.bottom() &&
            bottom > area.top())
            return true;
    }
    return false;
}

}  // namespace

void CCrmManageDlg::RestoreWindowRect() {
    std::string path = GetSettingsPath();
    MakeSureDirectoryPathExists(path);
    m_settings.SetPath(path);
    m_settings.ReadFile();
    int left = m_settings.GetValueI(kSection, "left");
    int top = m_settings.GetValueI(kSection, "top");
    int w = m_settings.GetValueI(kSection, "width");
    int h = m_settings.GetValueI(kSection, "height");

    const QRect primary = QGuiApplication::primaryScreen()->geometry();
    QSize screenSize = screen()->geometry().size();
    if (w < kMinWidth || h < kMinHeight) {
        raise();
        SaveWindowRect(left, top, w, h);
    } else if (w < screenSize.width() && h < screenSize.height()) {
        // Width and height are the outer size; a rectangle off every screen opens centred.
        if (!IsOnAnyScreen(left, top, w, h)) {
            left = primary.x() + (primary.width() - w) / 2;
            top = primary.y() + (primary.height() - h) / 2;
        }
        m_restoredOuterSize = QSize(w, h);
        m_frameExtra = FrameExtra();
        move(left, top);
        resize(w - m_frameExtra.width(), h - m_frameExtra.height());
    } else {
        setWindowState(windowState() | Qt::WindowMaximized);
        SaveWindowRect(0, 0, screenSize.width(), screenSize.height());
    }
    FitToFrame();
}

QSize CCrmManageDlg::FrameExtra() const {
    return frameGeometry().size() - geometry().size();
}

void CCrmManageDlg::FitToFrame() {
    const QSize extra = FrameExtra();
    setMinimumSize(std::max(0, kMinWidth - extra.width()),
                   std::max(0, kMinHeight - extra.height()));
    if (extra == m_frameExtra) return;
    m_frameExtra = extra;
    if (m_restoredOuterSize.isValid() && !isMaximized()) resize(m_restoredOuterSize - extra);
}

void CCrmManageDlg::showEvent(QShowEvent* event) {
    CEntryDialog::showEvent(event);
    FitToFrame();
}

void CCrmManageDlg::moveEvent(QMoveEvent* event) {
    CEntryDialog::moveEvent(event);
    FitToFrame();  // a window manager frames the window after it was shown
}

void CCrmManageDlg::SaveWindowRect(int left, int top, int width, int height) {
    m_settings.SetPath(GetSettingsPath());
    m_settings.ReadFile();
    m_settings.SetValueI(kSection, "left", left);
    m_settings.SetValueI(kSection, "top", top);
    m_settings.SetValueI(kSection, "width", std::clamp(width, kMinWidth, kMaxWidth));
    m_settings.SetValueI(kSection, "height", std::clamp(height, kMinHeight, kMaxHeight));
    m_settings.WriteFile();
}

void CCrmManageDlg::LayoutControls(int w, int h) {
    for (QLabel* label : {m_countCaption, m_count}) label->move(label->x(), h - 22);
    for (QPushButton* paging : {m_first, m_prev, m_next, m_last}) paging->move(paging->x(), h - 24);
    int cw = width();
    m_close->move(cw - 60, h - 24);
    m_delete->move(cw - 110, h - 24);
    m_new->move(cw - 160, h - 24);
    m_call->move(cw - 210, h - 24);
    m_view->move(cw - 260, h - 24);
    m_selectAll->move(cw - 310, h - 21);
    m_tab->resize(std::max(0, w - m_tab->x()), std::max(0, h - m_tab->y() - 30));
    m_laidOut = QSize(w, h);
}

CPageWindow* CCrmManageDlg::GetPage(RecordKind kind) const {
    return m_pages[static_cast<int>(kind)];
}

void CCrmManageDlg::SendLayoutToPages() {
    for (CPageWindow* page : m_pages)
        if (page) SendMessage(page->GetSafeHwnd(), WM_PAGE_LAYOUT, 0, 0);
}

void CCrmManageDlg::SendToCurrentPage(UINT msg, WPARAM wParam) {
    auto* page = dynamic_cast<CPageWindow*>(m_tab->GetTabPage(m_tab->GetCurSel()));
    if (page) SendMessage(page->GetSafeHwnd(), msg, wParam, 0);
}

void CCrmManageDlg::OnTabClicked() {
    for (QPushButton* hidden : {m_first, m_prev, m_next, m_last, m_call}) hidden->hide();
    for (QWidget* shown :
         std::initializer_list<QWidget*>{m_countCaption, m_count, m_selectAll, m_new, m_view})
        shown->show();
}

void CCrmManageDlg::resizeEvent(QResizeEvent* event) {
    CEntryDialog::resizeEvent(event);
    // Showing the window delivers the size it already has: no second layout for that.
    if (!m_started || size() == m_laidOut) return;
    LayoutControls(width(), height());
    SendLayoutToPages();
}

bool CCrmManageDlg::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease) return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || (widget != this && !isAncestorOf(widget))) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if (!IsSwallowedKey(key->key())) return false;
    if (key->key() == Qt::Key_Space && !SpacePressesOrTicks(widget)) return false;
    for (QWidget* w = widget; w && w != this; w = w->parentWidget()) {
        if (auto* page = dynamic_cast<CPageWindow*>(w)) {
            page->PreTranslateKey(key);
            break;
        }
    }
    return true;
}

void CCrmManageDlg::OnDestroy() {
    if (!m_started) return;
    m_started = 0;
    // A maximised window covers its screen: that is the rectangle to come back to.
    if (isMaximized()) {
        QRect area = screen()->geometry();
        SaveWindowRect(area.x(), area.y(), area.width(), area.height());
    } else {
        // The outer rectangle; the frame as last measured, since it may be gone by now.
        SaveWindowRect(x(), y(), width() + m_frameExtra.width(), height() + m_frameExtra.height());
    }
    for (CPageWindow*& page : m_pages) {
        delete page;
        page = nullptr;
    }
}
