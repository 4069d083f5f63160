#include "records/editors/editor_factory.h"

#include "records/editors/active_edit_dlg.h"
#include "records/editors/chance_edit_dlg.h"
#include "records/editors/consume_edit_dlg.h"
#include "records/editors/feedback_edit_dlg.h"
#include "records/editors/history_edit_dlg.h"
#include "records/editors/sale_edit_dlg.h"

std::unique_ptr<CRecordEditDlg> CreateRecordEditor(RecordKind kind, QWidget* parent) {
    switch (kind) {
        case RecordKind::Sale:
            return std::make_unique<CSaleEditDlg>(parent);
        case RecordKind::Chance:
            return std::make_unique<CChanceEditDlg>(parent);
        case RecordKind::Consume:
            return std::make_unique<CConsumeEditDlg>(parent);
        case RecordKind::History:
            return std::make_unique<CHistoryEditDlg>(parent);
        case RecordKind::Active:
            return std::make_unique<CActiveEditDlg>(parent);
        case RecordKind::FeedBack:
            return std::make_unique<CFeedBackEditDlg>(parent);
    }
    return nullptr;
}
