#include "records/pages/page_factory.h"

#include "ui/main/page_window.h"

// Until the record pages exist every tab holds an empty page window.
CPageWindow* CreateRecordPage(RecordKind, QWidget* parent) {
    return new CPageWindow(parent);
}
