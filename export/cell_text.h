// Cell texts of exported records: how a stored value is shown in the file, chosen by the
// column's type code and, for some columns, by its name.
#pragma once

#include <string>

#include "export/table_cell.h"

struct FieldValue;

enum class CellForm {
    ByType,       // "%d", "%.2f", "%ld" or the stored text
    SuccessRate,  // stored step as (20 - step) * 5 "%"
    YesNo,        // "是" above 0, else "否"
    Day,          // "%04d_%02d_%02d"
    Discount,     // "%ld%"
    TimeOfDay,    // "%02d：%02d：%02d"
    DateTime,     // "%04d_%02d_%02d %02d：%02d：%02d"
    Duration,     // minutes as "%d天%d小时%d分"
};

// The form of a column (names compared exactly).
CellForm ExportCellForm(const char* field, int type);
// The cell text of a value read by its type code (see ReadFieldValue).
std::string ExportCellText(CellForm form, int type, const FieldValue& value);
// The cell of a value: its text as above, its kind and value for typed files.
void ExportCell(CellForm form, int type, const FieldValue& value, TableCell& cell);
