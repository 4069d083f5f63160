// The list page of one record kind, hosted in a tab of the main window: the query bar
// (contact, field, content, 查询 停止 导出), the check-box list of the records found, and
// the record commands the main window forwards (删除, 全选, 查看, 新建). Records are loaded
// on a worker thread that hands rows to the page in batches; the window's thread only
// appends them, so the page stays responsive and a load can be stopped between records.
#pragma once

#include <QPointer>
#include <cstdint>
#include <string>
#include <vector>

#include "data/ado_connection.h"
#include "orvicrm/CRstValues.h"
#include "platform/row_hand_over.h"
#include "platform/worker.h"
#include "records/pages/kind_description.h"
#include "ui/main/page_window.h"

class CCheckListCtrl;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
struct FieldValue;

// Control ids of the page.
enum RecordPageControl {
    IDC_CONTACT_LABEL = 1444,
    IDC_CONTACT = 1231,
    IDC_PICK = 1006,
    IDC_CONDITION_LABEL = 1299,
    IDC_CONDITION = 1001,
    IDC_CONTENT_LABEL = 1300,
    IDC_CONTENT_COMBO = 1281,
    IDC_CONTENT_EDIT = 1000,
    IDC_QUERY = 1095,
    IDC_STOP = 1068,
    IDC_EXPORT = 1339,
    IDC_RECORD_LIST = 1121,
};

class CRecordPage : public CPageWindow {
    Q_OBJECT
public:
    CRecordPage(RecordKind kind, QWidget* parent);
    ~CRecordPage() override;

    const KindDescription& Kind() const { return m_kind; }
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    bool PreTranslateKey(QKeyEvent* event) override;

    // 查询: builds the query of the bar and loads it (after ending a running load).
    void RunQuery();
    // 停止: asks the load to end and waits for it; the rows read so far stay listed.
    void StopLoad(int force = 0);
    // Lets a running load read to its end and lists every row: the record commands work on
    // the whole result, never on a list cut short.
    void CompleteLoad();
    void DeleteChecked();
    void SelectAll(int check);
    void OpenSelected();
    int NewRecord();
    void ExportChecked();
    void ReportCount(long count, int force);
    void LayoutControls();
    void OnConditionChanged();
    void FillParamCombo(int paramKind);
    // 1 when the row of record index `record` is ticked.
    int IsRecordChecked(long record);

    bool IsLoading() const { return m_loading; }
    const std::string& GetSql() const { return m_sql; }
    CCheckListCtrl* List() const { return m_list; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Editor hand-over of a record (mode 1, arg = its row) or a new one (mode 0, arg = the
    // client key); m_values holds the record's raw texts. After 确定 the record is written
    // (a record read: only the fields changed) and its row refreshed or appended. A save
    // refused over another seat's change shows the stored record in the row and opens the
    // editor again with the user's changes; any other failed write leaves table and list as
    // they were.
    virtual void OpenEditor(int mode, long arg);

    std::vector<std::string> m_values;  // the current record's texts, in field order

private:
    struct LoadedRow {
        uint32_t record;
        std::vector<std::string> cells;
    };

    void CreateControls();
    void FirstShow();
    void PickContacts();
    void StartLoad(const std::string& sql);
    void LoadThreadProc(const std::string& sql);
    void HandOver(std::vector<LoadedRow>& batch, bool done);
    // Appends loaded rows; with a budget it returns when the budget is spent.
    void OnRowsReady(bool unbounded);
    void FinishLoad();
    void EmptyList();
    int FindRow(long record);
    bool ReadRecord(bool display);
    // The editor's raw texts into the page's display copy and the list row.
    void ShowEdited(int mode, long row, long record, const std::vector<std::string>& raw);
    void AddContactName(const std::string& name);
    // Enter runs the query; Escape, and space outside text boxes, do nothing; Delete in the
    // list deletes the ticked records. true: the key is consumed.
    bool KeyAction(QKeyEvent* event, QWidget* target);

    const KindDescription& m_kind;

    QLabel* m_contactLabel = nullptr;
    QComboBox* m_contactCombo = nullptr;
    QPushButton* m_pickButton = nullptr;
    QLabel* m_conditionLabel = nullptr;
    QComboBox* m_conditionCombo = nullptr;
    QLabel* m_contentLabel = nullptr;
    QComboBox* m_contentCombo = nullptr;
    QLineEdit* m_contentEdit = nullptr;
    QPushButton* m_queryButton = nullptr;
    QPushButton* m_stopButton = nullptr;
    QPushButton* m_exportButton = nullptr;
    CCheckListCtrl* m_list = nullptr;

    int m_initialised = 0;
    int m_editVisible = 1;
    int m_selectAll = 0;
    long m_rowCount = 0;
    bool m_loading = false;
    bool m_inCommand = false;  // a command is waiting for the load; nested ones are dropped
    bool m_closing = false;
    std::string m_sql;

    CAdoConnection m_connection;
    CRstValues m_rst;
    Worker m_worker;

    RowHandOver<LoadedRow> m_rows;  // from the load thread to the list

    std::vector<int> m_rowOfRecord;  // record index -> row; empty when out of date
};

class CSalePage : public CRecordPage {
public:
    explicit CSalePage(QWidget* parent) : CRecordPage(RecordKind::Sale, parent) {}
};
class CChancePage : public CRecordPage {
public:
    explicit CChancePage(QWidget* parent) : CRecordPage(RecordKind::Chance, parent) {}
};
class CConsumePage : public CRecordPage {
public:
    explicit CConsumePage(QWidget* parent) : CRecordPage(RecordKind::Consume, parent) {}
};
class CHistoryPage : public CRecordPage {
public:
    explicit CHistoryPage(QWidget* parent) : CRecordPage(RecordKind::History, parent) {}
};
class CActivePage : public CRecordPage {
public:
    explicit CActivePage(QWidget* parent) : CRecordPage(RecordKind::Active, parent) {}
};
class CFeedBackPage : public CRecordPage {
public:
    explicit CFeedBackPage(QWidget* parent) : CRecordPage(RecordKind::FeedBack, parent) {}
};

// Reads the current record of rst into values by the fields' type codes; false at the first
// field that cannot be read. read (when given) is the number of fields read.
bool ReadRecordValues(CRstValues& rst, const KindDescription& kind, std::vector<FieldValue>& values,
                      int* read = nullptr);
// The same into texts (display or raw form); the field that failed and those after it keep
// the texts they had.
bool ReadRecordTexts(CRstValues& rst, const KindDescription& kind, std::vector<std::string>& texts,
                     bool display);
// Sets the current (or newly added) record's fields from raw texts by their type codes;
// with read (the texts the record was read with) only the fields whose values differ from
// those. At the first field that cannot be set the pending change is dropped; false then,
// and when the record cannot be written.
bool WriteRecordTexts(CRstValues& rst, const KindDescription& kind,
                      const std::vector<std::string>& texts,
                      const std::vector<std::string>* read = nullptr);
// Reads one field of the current record by its type code into value.
bool ReadFieldValue(CRstValues& rst, const char* field, int type, FieldValue& value);
