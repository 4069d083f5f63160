// The statistics window "业务统计": a tab control with the pages 销售统计, 机会统计 and
// 费用统计, and 关闭. Enter, Escape and space never close it or press 关闭.
#pragma once

#include <array>

#include "ui/main/entry_dialog.h"

class CCrmTabCtrl;
class CStatPage;
class QPushButton;

class CStatDlg : public CEntryDialog {
    Q_OBJECT
public:
    explicit CStatDlg(QWidget* parent = nullptr);
    ~CStatDlg() override;

    // Checks the database and creates the pages; 0 when the database cannot be opened (the
    // connection's messages have been shown).
    int OnInitDialog();
    // Runs the window modally after OnInitDialog; IDCANCEL at once when that fails.
    int DoModal();

    CCrmTabCtrl* Tabs() const { return m_tab; }
    CStatPage* Page(int index) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void DestroyPages();

    CCrmTabCtrl* m_tab = nullptr;
    QPushButton* m_close = nullptr;
    std::array<CStatPage*, 3> m_pages{};
    bool m_started = false;
};
