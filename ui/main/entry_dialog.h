// A window that an entry point runs modally: its 关闭 (OK), Escape (cancel) and close box
// end it only while the run-by-entry flag is set; otherwise they do nothing.
#pragma once

#include <QDialog>

class CEntryDialog : public QDialog {
    Q_OBJECT
public:
    using QDialog::QDialog;

    void SetRunByEntry(int runByEntry) { m_runByEntry = runByEntry; }
    int GetRunByEntry() const { return m_runByEntry; }

    void accept() override;
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

    int m_runByEntry = 0;
};
