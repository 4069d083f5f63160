// The statistics window "业务统计". For now it carries only its 关闭 button.
#pragma once

#include <QDialog>

class QPushButton;

class CStatDlg : public QDialog {
    Q_OBJECT
public:
    explicit CStatDlg(QWidget* parent = nullptr);

    // 1 when an entry point runs the window: only then do 关闭 and the close box end it.
    void SetRunByEntry(int runByEntry) { m_runByEntry = runByEntry; }
    int GetRunByEntry() const { return m_runByEntry; }
    int DoModal();

    void accept() override;
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    int m_runByEntry = 0;
};
