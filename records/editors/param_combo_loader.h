// Fills one combo of an editor with the values of a lookup kind, or with one column of any
// query (the client's opportunities). The values are read on a worker thread through the
// editor's connection, made into the list's texts there, and handed to the window's thread
// with WM_EDIT_LOADED; only the window's thread touches the combo, which takes the whole
// list in one step (a model swap, however long the list).
#pragma once

#include <QStringList>
#include <atomic>
#include <mutex>
#include <string>

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
    // The values go into the combo in text order.
    void SetSorted(bool sorted) { m_sorted = sorted; }
    int Kind() const { return m_kind; }
    QComboBox* Combo() const { return m_combo; }

    // Ends an earlier run, empties the combo (its text stays) and reads the values on
    // connection. Announces them to owner with WM_EDIT_LOADED (wParam tag, lParam the run).
    void Start(_ConnectionPtr connection, HWND owner, WPARAM tag);
    // Asks a running read to end and polls every 100 ms, at most 20 times, serving the
    // thread's messages meanwhile. true when no read is running any more.
    bool Stop();
    bool Running() const { return m_worker.Running(); }
    // Reading, or values read and not yet shown.
    bool Busy() const { return m_worker.Running() || m_handedOver; }
    // Every value of the last run is in the combo.
    bool Complete() const { return m_complete; }

    // On the window's thread: puts the values read by run into the combo (its text stays)
    // and selects the first entry equal to that text. false for an earlier run's values.
    bool Show(LPARAM run);
    // On the window's thread, once it closes: values handed over are dropped unseen.
    void Discard();

private:
    void Read(_ConnectionPtr connection, HWND owner, WPARAM tag, unsigned run);

    const int m_kind;
    QComboBox* const m_combo;
    const char* const m_table;
    const char* const m_column;
    const bool m_enableWhenOpened;
    std::string m_query;
    bool m_sorted = false;

    // Shared with the worker: the values of the finished run.
    std::mutex m_mutex;
    QStringList m_read;
    bool m_opened = false;
    std::atomic<bool> m_handedOver{false};

    // Window's thread only.
    unsigned m_run = 0;
    bool m_complete = false;

    Worker m_worker;  // last: its thread ends before the rest goes
};
