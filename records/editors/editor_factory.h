// The editor of each record kind.
#pragma once

#include <memory>

#include "data/schema.h"

class CRecordEditDlg;
class QWidget;

std::unique_ptr<CRecordEditDlg> CreateRecordEditor(RecordKind kind, QWidget* parent);
