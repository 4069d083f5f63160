#include "records/editors/editor_factory.h"

#include "records/editors/sale_edit_dlg.h"

std::unique_ptr<CRecordEditDlg> CreateRecordEditor(RecordKind kind, QWidget* parent) {
    switch (kind) {
        case RecordKind::Sale:
            return std::make_unique<CSaleEditDlg>(parent);
        default:
            return nullptr;
    }
}
