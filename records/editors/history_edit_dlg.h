// The editor of a contact history entry (HistoryTable).
#pragma once

#include "records/editors/record_edit_dlg.h"

class CHistoryEditDlg : public CRecordEditDlg {
    Q_OBJECT
public:
    explicit CHistoryEditDlg(QWidget* parent = nullptr);
};
