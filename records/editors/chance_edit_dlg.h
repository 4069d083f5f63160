// The editor of an opportunity or quotation (ChanceTable).
#pragma once

#include "records/editors/record_edit_dlg.h"

class CChanceEditDlg : public CRecordEditDlg {
    Q_OBJECT
public:
    explicit CChanceEditDlg(QWidget* parent = nullptr);

protected:
    // An opportunity needs a subject.
    bool CheckRecord() override;
};
