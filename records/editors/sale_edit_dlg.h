// The editor of a sale (SaleTable).
#pragma once

#include "records/editors/record_edit_dlg.h"

class CSaleEditDlg : public CRecordEditDlg {
    Q_OBJECT
public:
    explicit CSaleEditDlg(QWidget* parent = nullptr);
};
