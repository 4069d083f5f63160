// The parameter adjust dialog: adds, renames, merges and deletes the values of one
// lookup-parameter kind, carrying every rename, merge and deletion into the record tables.
//
// The dialog keeps one recordset on the kind's ObjectPar rows; list row i and recordset row
// i are the same value. A worker walks that recordset once and hands the names over to the
// window's thread, which lists them; the commands wait for that walk before they touch the
// recordset, so the two never use it at the same time. Each change of a value and the
// record updates it causes are written in one transaction: all or nothing.
#pragma once

#include <QDialog>
#include <mutex>
#include <string>
#include <vector>

#include "data/ado_connection.h"
#include "orvicrm/CRstValues.h"
#include "platform/message_layer.h"
#include "platform/worker.h"

class QTableWidget;

// Control ids of the dialog.
enum ParamAdjustControl {
    IDC_PARAM_LIST = 1000,
    IDC_PARAM_ADD = 1001,
    IDC_PARAM_MODIFY = 1002,
    IDC_PARAM_DELETE = 1003,
    IDC_PARAM_OK = 1,
    IDC_PARAM_CANCEL = 2,
};

class CParamAdjustDlg : public QDialog, public MessageTarget {
    Q_OBJECT
public:
    explicit CParamAdjustDlg(QWidget* parent = nullptr);
    ~CParamAdjustDlg() override;

    int m_kind = 0;            // ParamKind, set before DoModal
    std::string m_chosenName;  // the chosen value, empty when none
    int DoModal();             // 1: the kind's values changed, 2: unchanged

    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    // The commands of the buttons.
    void OnAdd();
    void OnModify();
    void OnDelete();
    void OnOK();
    void OnCancel();

    // Record updates of a rename of old to new (new empty: the value is blanked), on the
    // dialog's connection: 1 when every statement succeeded.
    int RenameParamReferences(const std::string& oldName, const std::string& newName);

    bool IsLoading() const { return !m_loadDone; }
    QTableWidget* List() const { return m_list; }
    int RowCount() const;
    std::string RowName(int row) const;  // the value's exact bytes

protected:
    void accept() override { OnOK(); }
    void reject() override { OnCancel(); }
    void closeEvent(QCloseEvent* event) override;

private:
    void OnInitDialog();
    void LoadThreadProc();
    void HandOver(std::vector<std::string>& batch, bool done);
    void OnNamesReady();
    // Asks the walk to end and polls for it every 100 ms, at most 20 times.
    void StopLoading();
    // Waits for the walk and lists every name it read.
    void FinishLoading();

    int FindName(const std::string& name) const;  // exact bytes; -1 when not listed
    int FirstSelectedRow() const;
    void SetRowName(int row, const std::string& name);  // the row exists
    void SelectRow(int row);
    // Renames the recordset's current row to newName together with its record updates.
    int RenameCurrent(const std::string& oldName, const std::string& newName);
    // Deletes the current row and blanks or replaces its value in the records with newName.
    // deleteFailed tells whether the row itself could not be deleted.
    int RemoveCurrent(const std::string& oldName, const std::string& newName, bool* deleteFailed);
    // After a rolled-back change the recordset reads the table again.
    void ReloadRecordset();
    void End();

    CAdoConnection m_connection;
    CRstValues m_rst;
    int m_changed = 0;
    bool m_started = false;
    bool m_closing = false;
    QTableWidget* m_list = nullptr;

    Worker m_loader;
    std::mutex m_queueMutex;
    std::vector<std::string> m_queue;  // names read, not yet listed
    bool m_queueDone = false;
    bool m_queueNotified = false;
    bool m_loadDone = true;  // every name read is listed
};
