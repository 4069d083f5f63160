#include "records/pages/page_factory.h"

#include "records/pages/record_page.h"

CPageWindow* CreateRecordPage(RecordKind kind, QWidget* parent) {
    switch (kind) {
        case RecordKind::Sale:
            return new CSalePage(parent);
        case RecordKind::Chance:
            return new CChancePage(parent);
        case RecordKind::Consume:
            return new CConsumePage(parent);
        case RecordKind::History:
            return new CHistoryPage(parent);
        case RecordKind::Active:
            return new CActivePage(parent);
        case RecordKind::FeedBack:
            return new CFeedBackPage(parent);
    }
    return nullptr;
}
