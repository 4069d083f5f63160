// The editor of a service feedback (FeedBackTable).
#pragma once

#include "records/editors/record_edit_dlg.h"

class CFeedBackEditDlg : public CRecordEditDlg {
    Q_OBJECT
public:
    explicit CFeedBackEditDlg(QWidget* parent = nullptr);
};
