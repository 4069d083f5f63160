// "数据导出": the user picks the exported columns (moved between two lists) and the file.
#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "platform/message_layer.h"

class QLineEdit;
class QListWidget;
class QPushButton;

// Control ids of the dialog (OK is 1, Cancel 2).
enum ExportDlgControl {
    IDC_EXPORT_PATH = 1401,
    IDC_EXPORT_BROWSE = 1402,
    IDC_EXPORT_ALL_FIELDS = 1403,
    IDC_EXPORT_CHOSEN_FIELDS = 1404,
    IDC_EXPORT_ADD = 1405,
    IDC_EXPORT_ADD_ALL = 1406,
    IDC_EXPORT_REMOVE = 1407,
    IDC_EXPORT_REMOVE_ALL = 1408,
};

class CExportDlg : public QDialog, public MessageTarget {
    Q_OBJECT
public:
    explicit CExportDlg(QWidget* parent);

    // Fills the left list from m_fields and presets the path; then runs the dialog.
    // 1 after 确定 with m_fields and m_path set, 2 after 取消.
    int exec() override;
    void reject() override { done(2); }  // Escape and the close box act as 取消
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    std::vector<std::string> m_fields;  // offered headings; after 1: the chosen ones
    std::string m_path;

    void OnAdd();
    void OnAddAll();
    void OnRemove();
    void OnRemoveAll();
    void OnBrowse();
    void OnOK();

private:
    void EnableMoves();

    QLineEdit* m_pathEdit;
    QListWidget* m_allList;
    QListWidget* m_chosenList;
    QPushButton* m_add;
    QPushButton* m_addAll;
    QPushButton* m_remove;
    QPushButton* m_removeAll;
};
