// The editor of an expense (ConsumeTable).
#pragma once

#include "records/editors/record_edit_dlg.h"

class CConsumeEditDlg : public CRecordEditDlg {
    Q_OBJECT
public:
    explicit CConsumeEditDlg(QWidget* parent = nullptr);
};
