// Fills one combo of an editor with the values of a lookup kind, or with one column of any
// query (the client's opportunities). The values are read on a worker thread through the editor's
// connection and handed to the window's thread with WM_EDIT_LOADED; only the window's thread
// touches the combo, a slice at a time.
#pragma once

#include <QString>
#include <chrono>
#include <mutex>
#include <string>
#include <vector>

#include "orvicrm/ado_types.h"
#include "platform/win_types.h"
#include "platform/worker.h"

class QComboBox;

class ParamComboLoader {
public:
    ParamComboLoader(int kind, QComboBox* combo);
    // Values of column from the rows of a query on table (set with SetQuery before Start).
    // The combo is enabled when the query opened and disabled when it did not.
    ParamComboLoader(QComboBox* combo, const char* table, const char* column);
    ~ParamComboLoader();

    void SetQuery(std::string sql) { m_query = std::move(sql); }
    // The values go into the combo in text order, all at once when the read has ended.
    void SetSorted(bool sorted) { m_sorted = sorted; }
    int Kind() const { return m_kind; }
    QComboBox* Combo() const { return m_combo; }

    // Ends an earlier run, empties the combo (its text stays) and reads the kind's values on
    // connection. Announces them to owner with WM_EDIT_LOADED (wParam tag, lParam the run).
    void Start(_ConnectionPtr connection, HWND owner, WPARAM tag);
    // Asks a running read to end and polls every 100 ms, at most 20 times, serving the
    // thread's messages meanwhile. true when no read is running any more.
    bool Stop();
    bool Running() const { return m_worker.Running(); }

    // On the window's thread: appends the values handed over by run for at most budget,
    // then, once every value is in, selects the first entry equal to the combo's text.
    // true when values are left for another call.
    bool Append(LPARAM run, std::chrono::steady_clock::duration budget);
    // Every value of the last run is in the combo.
    bool Complete() const { return m_complete; }

private:
    void Read(_ConnectionPtr connection, HWND owner, WPARAM tag, unsigned run);
    void HandOver(std::vector<std::string>& batch, bool done, HWND owner, WPARAM tag, unsigned run);
    void Finish();

    const int m_kind;
    QComboBox* const m_combo;
    const char* const m_table;
    const char* const m_column;
    const bool m_enableWhenOpened;
    std::string m_query;
    bool m_sorted = false;

    // Shared with the worker.
    std::mutex m_mutex;
    std::vector<std::string> m_queue;
    bool m_queueDone = false;
    bool m_notified = false;
    bool m_opened = false;

    // Window's thread only.
    unsigned m_run = 0;
    std::vector<std::string> m_pending;
    size_t m_pendingNext = 0;
    bool m_emptyBefore = true;  // the next slice goes into an empty combo
    bool m_complete = false;

    Worker m_worker;  // last: its thread ends before the rest goes
};
