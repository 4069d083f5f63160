// The editor of each record kind.
#pragma once

#include <memory>

#include "data/schema.h"

class CRecordEditDlg;
class QWidget;

// nullptr for a kind whose editor does not exist yet.
std::unique_ptr<CRecordEditDlg> CreateRecordEditor(RecordKind kind, QWidget* parent);
