#include "export/cell_text.h"

#include <cstdio>
#include <cstring>

#include "data/schema.h"
#include "data/value_format.h"
#include "records/pages/row_display.h"

namespace {

struct NamedForm {
    int type;
    const char* field;
    CellForm form;
};

constexpr NamedForm kNamedForms[] = {
    {kFieldInt, "ChanceRate", CellForm::SuccessRate},
    {kFieldInt, "FeedBackEnd", CellForm::YesNo},
    {kFieldInt, "Seed", CellForm::YesNo},
    {kFieldLong, "SaleDate", CellForm::Day},
    {kFieldLong, "BornDate", CellForm::Day},
    {kFieldLong, "ChanceDate", CellForm::Day},
    {kFieldLong, "ConsumeDate", CellForm::Day},
    {kFieldLong, "DisCount", CellForm::Discount},
    {kFieldLong, "ConsumeTime", CellForm::TimeOfDay},
    {kFieldLong, "HistoryBeginDate", CellForm::DateTime},
    {kFieldLong, "HistoryEndDate", CellForm::DateTime},
    {kFieldLong, "ActiveBeginDate", CellForm::DateTime},
    {kFieldLong, "ActiveEndDate", CellForm::DateTime},
    {kFieldLong, "FeedBackEndDate", CellForm::DateTime},
    {kFieldLong, "FeedBackDate", CellForm::DateTime},
    {kFieldLong, "CallOutDateTime", CellForm::DateTime},
    {kFieldLong, "CallInDateTime", CellForm::DateTime},
    {kFieldLong, "HistoryUseDate", CellForm::Duration},
    {kFieldLong, "ActiveUseDate", CellForm::Duration},
};

}  // namespace

CellForm ExportCellForm(const char* field, int type) {
    for (const NamedForm& named : kNamedForms)
        if (named.type == type && std::strcmp(named.field, field) == 0) return named.form;
    return CellForm::ByType;
}

std::string ExportCellText(CellForm form, int type, const FieldValue& v) {
    const int32_t t = static_cast<int32_t>(v.number);
    switch (form) {
        case CellForm::SuccessRate:
            return FormatSuccessRate(static_cast<int>(v.number));
        case CellForm::YesNo:
            return FormatYesNo(v.number > 0 ? 1 : 0);
        case CellForm::Day:
            return FormatDay(t);
        case CellForm::Discount:
            return FormatDiscount(v.number);
        case CellForm::TimeOfDay:
            return FormatTimeOfDay(t);
        case CellForm::DateTime:
            return FormatDay(t) + " " + FormatTimeOfDay(t);
        case CellForm::Duration:
            return FormatDuration(v.number);
        case CellForm::ByType:
            break;
    }
    char text[32];
    switch (type) {
        case kFieldInt:
            std::snprintf(text, sizeof text, "%d", static_cast<int>(v.number));
            return text;
        case kFieldFloat:
            return FormatMoney(v.real);
        case kFieldLong:
            std::snprintf(text, sizeof text, "%ld", v.number);
            return text;
        default:
            return v.text;
    }
}
