// The export's progress window: writes the ticked records of a page's result on a worker
// thread, shows how far it got, and can be cancelled (the writer is asked to stop and
// waited for; the file is closed).
#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "export/export_run.h"
#include "platform/message_layer.h"
#include "platform/worker.h"

class QProgressBar;

// Control ids of the window (Cancel is 2).
enum ExportProgressControl {
    IDC_EXPORT_PROGRESS = 1411,
    IDC_EXPORT_PROGRESS_TEXT = 1412,
};

class CExportProgressDlg : public QDialog, public MessageTarget {
    Q_OBJECT
public:
    explicit CExportProgressDlg(QWidget* parent);
    ~CExportProgressDlg() override;

    // The records to go through: record i is ticked when m_owner answers WM_PAGE_ISCHECKED
    // for i with 1. The window's thread leaves them alone while the dialog runs.
    void SetRecords(CRstValues* records, long count);
    // Starts the writer and runs the window: 1 when the file was completed, 2 after 取消,
    // 0 when the file or a record failed.
    int exec() override;
    void reject() override;  // 取消, Escape and the close box
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    ExportOutcome Outcome() const { return m_outcome; }

    HWND m_owner = 0;
    std::string m_title;
    std::string m_path;
    // Per exported column, in the file's order.
    std::vector<std::string> m_headings;
    std::vector<std::string> m_fieldNames;
    std::vector<int> m_types;

private:
    void OnWriterDone(ExportOutcome outcome);

    QProgressBar* m_bar;
    CRstValues* m_records = nullptr;
    long m_recordCount = 0;
    bool m_cancelled = false;
    ExportOutcome m_outcome = ExportOutcome::Cancelled;
    Worker m_worker;
};
