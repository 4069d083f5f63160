// Fills one lookup combo of an editor with the values of its kind. The values are read on a
// worker thread through the editor's connection, made into the list's texts there, and
// handed to the window's thread with WM_EDIT_LOADED; only the window's thread touches the
// combo, which takes the whole list in one step (a model swap, however long the list).
#pragma once

#include <QStringList>
#include <atomic>
#include <mutex>

#include "orvicrm/ado_types.h"
#include "platform/win_types.h"
#include "platform/worker.h"

class QComboBox;

class ParamComboLoader {
public:
    ParamComboLoader(int kind, QComboBox* combo);
    ~ParamComboLoader();

    int Kind() const { return m_kind; }
    QComboBox* Combo() const { return m_combo; }

    // Ends an earlier run, empties the combo (its text stays) and reads the kind's values on
    // connection. Announces them to owner with WM_EDIT_LOADED (wParam tag, lParam the run).
    void Start(_ConnectionPtr connection, HWND owner, WPARAM tag);
    // Asks a running read to end and polls every 100 ms, at most 20 times, serving the
    // thread's messages meanwhile. true when no read is running any more.
    bool Stop();
    bool Running() const { return m_worker.Running(); }
    // Reading, or values read and not yet shown.
    bool Busy() const { return m_worker.Running() || m_handedOver; }

    // On the window's thread: puts the values read by run into the combo (its text stays)
    // and selects the first entry equal to that text. false for an earlier run's values.
    bool Show(LPARAM run);

private:
    void Read(_ConnectionPtr connection, HWND owner, WPARAM tag, unsigned run);

    const int m_kind;
    QComboBox* const m_combo;

    // Shared with the worker: the values of the finished run.
    std::mutex m_mutex;
    QStringList m_read;
    std::atomic<bool> m_handedOver{false};

    // Window's thread only.
    unsigned m_run = 0;
    bool m_complete = false;

    Worker m_worker;  // last: its thread ends before the rest goes
};
