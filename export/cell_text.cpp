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

void ExportCell(CellForm form, int type, const FieldValue& v, TableCell& cell) {
    cell.text = ExportCellText(form, type, v);
    const int32_t t = static_cast<int32_t>(v.number);
    const double time = t < 1 ? 0 : t;  // as the texts show it
    const auto set = [&cell](CellKind kind, double value) {
        cell.kind = kind;
        cell.value = value;
    };
    switch (form) {
        case CellForm::SuccessRate:
            return set(CellKind::Percent, (20 - static_cast<int>(v.number)) * 5 / 100.0);
        case CellForm::YesNo:
            return set(CellKind::Text, 0);
        case CellForm::Day:
            return set(CellKind::Day, time);
        case CellForm::Discount:
            return set(CellKind::Percent, v.number / 100.0);
        case CellForm::TimeOfDay:
            return set(CellKind::TimeOfDay, time);
        case CellForm::DateTime:
            return set(CellKind::DateTime, time);
        case CellForm::Duration:
            return set(CellKind::Minutes, static_cast<double>(v.number));
        case CellForm::ByType:
            break;
    }
    switch (type) {
        case kFieldInt:
            return set(CellKind::Integer, static_cast<int>(v.number));
        case kFieldFloat:
            return set(CellKind::Money, v.real);
        case kFieldLong:
            return set(CellKind::Integer, static_cast<double>(v.number));
        default:
            return set(CellKind::Text, 0);
    }
}
