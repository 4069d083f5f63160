#include "ui/main/crm_tab_ctrl.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionTabWidgetFrame>
#include <QStylePainter>

namespace {

QColor ToQColor(COLORREF c) {
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

}  // namespace

// The tab strip: draws the tab shapes with the style and the labels in the colours of its
// control (selected, under the mouse, other).
class CCrmTabBar : public QTabBar {
public:
    CCrmTabBar(CCrmTabCtrl* owner) : QTabBar(owner), m_owner(owner) {
        setMouseTracking(true);
        setAttribute(Qt::WA_Hover);
        setExpanding(false);
        setDrawBase(false);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QStylePainter painter(this);
        for (int i = 0; i < count(); ++i) {
            QStyleOptionTab option;
            initStyleOption(&option, i);
            option.text.clear();
            painter.drawControl(QStyle::CE_TabBarTabShape, option);
            QColor color = i == currentIndex()         ? ToQColor(m_owner->m_selectedColor)
                           : i == m_hover              ? ToQColor(m_owner->m_hoverColor)
                           : m_owner->m_normalColorSet ? ToQColor(m_owner->m_normalColor)
                                                       : palette().color(QPalette::ButtonText);
            painter.setPen(color);
            painter.drawText(tabRect(i), Qt::AlignCenter, tabText(i));
        }
    }
    void mouseMoveEvent(QMouseEvent* event) override {
        SetHover(tabAt(event->position().toPoint()));
        QTabBar::mouseMoveEvent(event);
    }
    void leaveEvent(QEvent* event) override {
        SetHover(-1);
        QTabBar::leaveEvent(event);
    }
    void mousePressEvent(QMouseEvent* event) override {
        int index = tabAt(event->position().toPoint());
        QTabBar::mousePressEvent(event);
        if (event->button() == Qt::LeftButton && index >= 0) Q_EMIT m_owner->TabClicked(index);
    }

private:
    void SetHover(int index) {
        if (index == m_hover) return;
        m_hover = index;
        update();
    }

    CCrmTabCtrl* m_owner;
    int m_hover = -1;
};

CCrmTabCtrl::CCrmTabCtrl(QWidget* parent) : QWidget(parent), m_bar(new CCrmTabBar(this)) {
    m_bar->move(0, 0);
    connect(m_bar, &QTabBar::currentChanged, this, &CCrmTabCtrl::OnCurrentChanged);
}

QTabBar* CCrmTabCtrl::TabBar() const {
    return m_bar;
}

void CCrmTabCtrl::AddTab(QWidget* page, const QString& label, int) {
    m_tabs.push_back({page, true});
    if (page) {
        page->setParent(this);
        page->move(kPageLeft, kPageTop);
        page->setVisible(m_tabs.size() == 1);
    }
    const QSignalBlocker blocker(m_bar);
    m_bar->addTab(label);
    m_bar->resize(m_bar->sizeHint().width(), kPageTop - 4);
    if (m_current < 0) m_current = m_bar->currentIndex();
}

int CCrmTabCtrl::GetTabCount() const {
    return static_cast<int>(m_tabs.size());
}

int CCrmTabCtrl::GetCurSel() const {
    return m_current;
}

bool CCrmTabCtrl::SetCurSel(int index) {
    if (index < 0 || index >= GetTabCount()) return false;
    m_bar->setCurrentIndex(index);
    return m_current == index;
}

QWidget* CCrmTabCtrl::GetTabPage(int index) const {
    return index >= 0 && index < GetTabCount() ? m_tabs[index].page : nullptr;
}

QString CCrmTabCtrl::GetTabLabel(int index) const {
    return m_bar->tabText(index);
}

void CCrmTabCtrl::EnableTab(int index, bool enabled) {
    if (index >= 0 && index < GetTabCount()) m_tabs[index].enabled = enabled;
}

bool CCrmTabCtrl::IsTabEnabled(int index) const {
    return index >= 0 && index < GetTabCount() && m_tabs[index].enabled;
}

void CCrmTabCtrl::SetSelectedTextColor(COLORREF color) {
    m_selectedColor = color;
    m_bar->update();
}

void CCrmTabCtrl::SetHoverTextColor(COLORREF color) {
    m_hoverColor = color;
    m_bar->update();
}

void CCrmTabCtrl::SetNormalTextColor(COLORREF color) {
    m_normalColor = color;
    m_normalColorSet = true;
    m_bar->update();
}

void CCrmTabCtrl::OnCurrentChanged(int index) {
    if (index == m_current || index < 0) return;
    if (!IsTabEnabled(index)) {
        const QSignalBlocker blocker(m_bar);
        m_bar->setCurrentIndex(m_current);
        return;
    }
    if (QWidget* old = GetTabPage(m_current)) old->hide();
    m_current = index;
    if (QWidget* page = GetTabPage(index)) page->show();
}

void CCrmTabCtrl::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionTabWidgetFrame frame;
    frame.initFrom(this);
    frame.rect = QRect(0, m_bar->height() - 1, width(), height() - m_bar->height() + 1);
    frame.tabBarSize = m_bar->size();
    frame.shape = QTabBar::RoundedNorth;
    painter.drawPrimitive(QStyle::PE_FrameTabWidget, frame);
}

void CCrmTabCtrl::resizeEvent(QResizeEvent* event) {
    m_bar->resize(std::min(width(), m_bar->sizeHint().width()), kPageTop - 4);
    QWidget::resizeEvent(event);
}
