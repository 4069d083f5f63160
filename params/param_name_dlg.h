// The small dialog in which a parameter name is typed: empty m_name adds ("增加参数"),
// a given name is changed ("修改参数").
#pragma once

#include <QDialog>
#include <string>

class QLineEdit;

// Control ids of the name dialog.
enum ParamNameControl {
    IDC_PARAM_NAME = 1000,
    IDC_PARAM_NAME_OK = 1,
    IDC_PARAM_NAME_CANCEL = 2,
};

// Longest name, in characters.
constexpr int kMaxParamNameChars = 20;

class CParamNameDlg : public QDialog {
    Q_OBJECT
public:
    explicit CParamNameDlg(QWidget* parent = nullptr);

    std::string m_name;  // in: the name to change (empty: add); out: the name typed
    // IDOK with the typed name in m_name, else IDCANCEL.
    int DoModal();

    // 确定: an empty or too long name is refused with a message and the dialog stays open.
    void OnOK();

private:
    QLineEdit* m_edit = nullptr;
};
