// The main window's tab control: a strip of tabs whose labels it draws itself, and one page
// window per tab, a child of the control placed below the strip.
#pragma once

#include <QPointer>
#include <QTabBar>
#include <QWidget>
#include <vector>

#include "platform/win_types.h"

class CCrmTabBar;

class CCrmTabCtrl : public QWidget {
    Q_OBJECT
public:
    explicit CCrmTabCtrl(QWidget* parent);

    // Appends a tab showing page (placed at 4,28, size kept); the first tab's page is shown,
    // the others hidden. image is an index into an image list (-1 for none; unused).
    void AddTab(QWidget* page, const QString& label, int image = -1);
    int GetTabCount() const;
    int GetCurSel() const;
    // Selects a tab as a click would (a disabled tab is not selected); false when not.
    bool SetCurSel(int index);
    QWidget* GetTabPage(int index) const;
    QString GetTabLabel(int index) const;
    void EnableTab(int index, bool enabled);
    bool IsTabEnabled(int index) const;

    void SetSelectedTextColor(COLORREF color);
    void SetHoverTextColor(COLORREF color);
    void SetNormalTextColor(COLORREF color);
    COLORREF GetSelectedTextColor() const { return m_selectedColor; }
    COLORREF GetHoverTextColor() const { return m_hoverColor; }

    QTabBar* TabBar() const;
    static constexpr int kPageLeft = 4;
    static constexpr int kPageTop = 28;

Q_SIGNALS:
    // The user clicked a tab.
    void TabClicked(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    friend class CCrmTabBar;
    void OnCurrentChanged(int index);

    struct Tab {
        QPointer<QWidget> page;  // a page deleted by its owner reads as null
        bool enabled;
    };
    CCrmTabBar* m_bar;
    std::vector<Tab> m_tabs;
    int m_current = -1;
    COLORREF m_selectedColor = 0;
    COLORREF m_hoverColor = 0;
    COLORREF m_normalColor = 0;
    bool m_normalColorSet = false;
};
