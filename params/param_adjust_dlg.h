// The parameter dialog of one lookup kind: lists the kind's values and lets the user pick one.
#pragma once

#include <QDialog>
#include <string>

class CParamAdjustDlg : public QDialog {
public:
    explicit CParamAdjustDlg(QWidget* parent = nullptr);
    int m_kind = 0;            // ParamKind, set before DoModal
    std::string m_chosenName;  // the chosen value, empty when none
    int DoModal();             // 1: the kind's values changed, 2: unchanged
};
