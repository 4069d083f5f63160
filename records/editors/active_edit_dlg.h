// The editor of an activity (ActiveTable). Its reminder fields sit in hidden controls: a
// loaded record takes them back unchanged, a new one gets no reminder.
#pragma once

#include "records/editors/record_edit_dlg.h"

class CActiveEditDlg : public CRecordEditDlg {
    Q_OBJECT
public:
    explicit CActiveEditDlg(QWidget* parent = nullptr);
};
