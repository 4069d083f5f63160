// Makes the page window of a record kind for a tab of the main window.
#pragma once

#include "data/schema.h"

class CPageWindow;
class QWidget;

// parent is the tab control; the caller owns the page.
CPageWindow* CreateRecordPage(RecordKind kind, QWidget* parent);
