// The base of the record editors: a modal dialog that edits one record handed over by its
// page as an array of texts (one per field of the kind, in field order). What differs per
// kind is the control table (EditField) and the titles; the base builds the controls from
// the table, loads and writes the texts by the fields' value forms, checks typed values,
// fills the lookup combos on worker threads and offers the "..." buttons.
#pragma once

#include <QDialog>
#include <QTime>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "data/ado_connection.h"
#include "data/schema.h"
#include "platform/message_layer.h"
#include "records/editors/edit_field.h"

class QComboBox;
class QPushButton;
class ParamComboLoader;

// Control ids every editor shares.
enum RecordEditControl {
    IDC_EDIT_OK = 1235,
    IDC_EDIT_CANCEL = 2,
    IDC_EDIT_CONTACT = 1231,
    IDC_EDIT_CONTACT_PICK = 1059,
};

class CRecordEditDlg : public QDialog, public MessageTarget {
    Q_OBJECT
public:
    CRecordEditDlg(RecordKind kind, std::span<const EditField> fields, const EditorTitles& titles,
                   QWidget* parent);
    ~CRecordEditDlg() override;

    int m_mode = 0;  // EditorMode: 0 new, 1 modify, 2 view
    // The record's texts in field order. A loaded record's field the user left as shown goes
    // back as it came, so a caller tells a change by comparing texts.
    std::vector<std::string> m_values;
    long m_contactKey = 0;  // client key of the record's contact

    // Initialises the dialog and runs it: 1 确定 (m_values and m_contactKey hold the edited
    // record), 2 cancelled.
    int DoModal();
    // The initialisation DoModal does first (for callers that show the dialog themselves).
    void InitDialog();

    // 确定: checks the typed values (one message for the first refused one, which gets the
    // focus), writes m_values and closes with 1. Does nothing more after a refusal.
    void OnOK();
    void OnCancel();

    // Any lookup list still being read.
    bool LoadersRunning() const;
    // Asks every lookup reader to end, at most 2 seconds each.
    void StopLoaders();
    // Restarts the reading of the lookup list in combo (after its values were changed).
    void ReloadLookup(QComboBox* combo);

    RecordKind Kind() const { return m_kind; }
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void done(int result) override;
    void reject() override { done(2); }
    void accept() override { OnOK(); }

protected:
    // Checks of the whole record after every field passed: false keeps the dialog open (the
    // check shows its own message).
    virtual bool CheckRecord() { return true; }
    // The widget of control id (nullptr when the editor has none).
    QWidget* ControlById(int id) const;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct FieldControls {
        const EditField* def = nullptr;
        int index = -1;      // in m_values; -1 when the field fills no column
        int twinIndex = -1;  // a further column that stores the same text
        QWidget* controls[3] = {};
        QPushButton* button = nullptr;
        ParamComboLoader* loader = nullptr;
        mutable QTime keptTime{0, 0};  // a kept date's loaded time of day
    };

    void CreateControls();
    void SetTabOrder();
    // The field's controls in a row; a time picker with a label of its own goes into
    // *secondBox instead.
    QWidget* CreateFieldControls(FieldControls& f, QWidget** secondBox);
    void ShowDefaults();
    void ShowRecord();
    void ShowField(const FieldControls& f, const std::string& text);
    void FillContact();
    void StartLoaders();
    // The first refused field: its message, the control to focus. false when all pass.
    bool FindRefused(std::string& message, QWidget*& control) const;
    void StoreValues();
    std::string FieldText(const FieldControls& f) const;
    void OnParamButton(FieldControls& f);
    void PickContact();
    // A lookup combo losing the focus selects the first entry equal to its text.
    static void CommitTyped(QComboBox* combo);
    const FieldControls* FieldOf(QObject* control) const;
    // Shows the values the lookup readers handed over, one list per turn of the event loop.
    void ScheduleAppend();
    void AppendLoaded();

    const RecordKind m_kind;
    const TableDef& m_table;
    const std::span<const EditField> m_fields;
    const EditorTitles m_titles;
    std::vector<FieldControls> m_controls;
    QComboBox* m_contact = nullptr;
    std::string m_loadedContact;            // the contact name of a loaded record
    std::vector<std::string> m_shownTexts;  // per control: a loaded record's texts as shown
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
    bool m_initialised = false;
    bool m_closing = false;
    bool m_appendScheduled = false;
    std::vector<LPARAM> m_loadedRuns;  // per loader: the run whose values wait, 0 none

    CAdoConnection m_connection;  // before the loaders: their threads end first
    std::vector<std::unique_ptr<ParamComboLoader>> m_loaders;
};
