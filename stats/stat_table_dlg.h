// The result table of a statistic: a check-box list of one row per period under a 合计 row.
// A run reads the statistic's records on a worker thread and folds them into periods; the
// rows reach the window's thread in batches through the message layer, and at the end the
// page receives one series per measure column (WM_STAT_DATA).
#pragma once

#include <QWidget>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "data/ado_connection.h"
#include "platform/message_layer.h"
#include "platform/row_hand_over.h"
#include "platform/worker.h"
#include "stats/period_aggregation.h"

class CCheckListCtrl;
class CRstValues;

class CStatTableDlg : public QWidget, public MessageTarget {
    Q_OBJECT
public:
    // page: the window that receives the series of each finished run.
    CStatTableDlg(const StatDescription& stat, HWND page, const QSize& size, QWidget* parent);
    ~CStatTableDlg() override;

    // WM_STAT_DATA (unit, query text) starts a run; WM_STAT_STOP stops it.
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    // Stops a running run, empties the list and starts sql grouped by unit; false (nothing
    // started) for an empty query.
    bool StartRun(int unit, const std::string& sql);
    // Asks the run to end before its next record and waits: the rows so far stay, no 合计
    // row is added and no series is sent.
    void StopRun();
    bool IsRunning() const { return m_running; }
    int GetUnit() const { return m_unit; }
    const std::string& GetSql() const { return m_sql; }
    CCheckListCtrl* List() const { return m_list; }

private:
    struct RunResult {
        StatRow totals;
        std::vector<std::string> series;
        int periods = 0;
    };

    void StatWorkerProc(int unit, const std::string& sql);
    // The current record's values; one that cannot be read counts as 0, and the first of
    // the run (reported still false) shows the recordset's message.
    void ReadRecord(CRstValues& rst, std::vector<double>& values, bool& reported);
    void HandOver(std::vector<StatRow>& rows, std::optional<RunResult> result);
    // Appends the rows handed over; with a budget it returns when the budget is spent.
    void OnRowsReady(bool unbounded);
    void FinishRun();

    const StatDescription& m_stat;
    HWND m_page;
    CCheckListCtrl* m_list = nullptr;
    CAdoConnection m_connection;
    Worker m_worker;
    int m_unit = -1;
    std::string m_sql;
    bool m_running = false;
    bool m_closing = false;

    RowHandOver<StatRow> m_rows;  // from the worker to the list
    std::mutex m_resultMutex;
    std::optional<RunResult> m_result;  // set by the worker before its last batch
};
