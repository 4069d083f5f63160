// The statistics window "业务统计". For now it carries only its 关闭 button.
#pragma once

#include "ui/main/entry_dialog.h"

class QPushButton;

class CStatDlg : public CEntryDialog {
    Q_OBJECT
public:
    explicit CStatDlg(QWidget* parent = nullptr);

    int DoModal();
};
