// A statistics page: the date range, the grouping unit and (sales and opportunities) the
// product filter, 开始统计 and 停    止, and two result sheets: the table and the curve chart.
#pragma once

#include <QDateTime>
#include <mutex>
#include <string>
#include <vector>

#include "platform/worker.h"
#include "stats/stat_description.h"
#include "ui/main/page_window.h"

class CCrmTabCtrl;
class CStatChartDlg;
class CStatTableDlg;
class QComboBox;
class QDateTimeEdit;
class QPushButton;

// Control ids of a statistics page.
enum StatPageControl {
    IDC_STAT_START_DATE = 1130,
    IDC_STAT_START_TIME = 1131,
    IDC_STAT_END_DATE = 1132,
    IDC_STAT_END_TIME = 1133,
    IDC_STAT_UNIT = 1001,
    IDC_STAT_RUN = 1273,
    IDC_STAT_SHEETS = 1274,
    IDC_STAT_CONDITION = 1007,
    IDC_STAT_CONTENT = 1281,
    IDC_STAT_STOP = 1068,
};

class CStatPage : public CPageWindow {
    Q_OBJECT
public:
    CStatPage(StatKind kind, QWidget* parent);
    ~CStatPage() override;

    const StatDescription& Stat() const { return m_stat; }
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    bool PreTranslateKey(QKeyEvent* event) override;
    // Enter starts a statistic when target is one of the page's own controls; Escape and
    // space (outside text boxes) do nothing. true: the key is consumed.
    bool KeyAction(QKeyEvent* event, QObject* target);

    // 开始统计: hands the query of the controls to the result table.
    void StartStat();
    // 停    止: the run ends before its next record.
    void StopStat();
    // The query of the controls as they are.
    std::string CurrentQuery() const;
    bool IsRunning() const;

    CStatTableDlg* Table() const { return m_table; }
    CStatChartDlg* Chart() const { return m_chart; }
    CCrmTabCtrl* Sheets() const { return m_sheets; }
    QComboBox* ContentCombo() const { return m_content; }
    // True while the 统计内容 list is being filled.
    bool IsFillingContent() const { return m_contentWorker.Running(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateControls();
    void SetRunning(bool running);
    void OnConditionChanged();
    void StartContentFill(const std::string& sql);
    void OnContentReady();
    bool IsOwnControl(QObject* object) const;

    const StatDescription& m_stat;
    QDateTimeEdit* m_start = nullptr;
    QDateTimeEdit* m_end = nullptr;
    QComboBox* m_unit = nullptr;
    QComboBox* m_condition = nullptr;
    QComboBox* m_content = nullptr;
    QPushButton* m_run = nullptr;
    QPushButton* m_stop = nullptr;
    CCrmTabCtrl* m_sheets = nullptr;
    CStatTableDlg* m_table = nullptr;
    CStatChartDlg* m_chart = nullptr;
    std::vector<QWidget*> m_ownControls;

    Worker m_contentWorker;
    std::mutex m_contentMutex;
    std::vector<std::string> m_contentValues;
};

class CSaleStatPage : public CStatPage {
public:
    explicit CSaleStatPage(QWidget* parent) : CStatPage(StatKind::Sale, parent) {}
};
class CChanceStatPage : public CStatPage {
public:
    explicit CChanceStatPage(QWidget* parent) : CStatPage(StatKind::Chance, parent) {}
};
class CConsumeStatPage : public CStatPage {
public:
    explicit CConsumeStatPage(QWidget* parent) : CStatPage(StatKind::Consume, parent) {}
};
