#include "records/pages/row_display.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "data/value_format.h"
#include "records/pages/date_text_parser.h"
#include "records/pages/kind_description.h"

namespace {

std::string ByType(int type, const FieldValue& v) {
    char buf[64];
    switch (type) {
        case kFieldInt:
            std::snprintf(buf, sizeof buf, "%d", static_cast<int>(v.number));
            return buf;
        case kFieldFloat:
            return FormatMoney(v.real);
        case kFieldLong:
            std::snprintf(buf, sizeof buf, "%ld", v.number);
            return buf;
        default:
            return v.text;
    }
}

}  // namespace

std::string DisplayText(const KindDescription& kind, int field, const FieldValue& v) {
    const int32_t t = static_cast<int32_t>(v.number);
    switch (kind.Rule(field).show) {
        case ShowForm::Day:
            return FormatDay(t);
        case ShowForm::DateTime:
            return FormatDateTime(t);
        case ShowForm::TimeOfDay:
            return FormatTimeOfDay(t);
        case ShowForm::Duration:
            return FormatDuration(v.number);
        case ShowForm::Discount:
            return FormatDiscount(v.number);
        case ShowForm::SuccessRate:
            return FormatSuccessRate(static_cast<int>(v.number));
        case ShowForm::YesNoEnd:
            return FormatYesNo(static_cast<int>(v.number));
        case ShowForm::ByType:
            break;
    }
    return ByType(kind.FieldType(field), v);
}

std::string RawText(const KindDescription& kind, int field, const FieldValue& v) {
    if (kind.Rule(field).show == ShowForm::SuccessRate) return DisplayText(kind, field, v);
    return ByType(kind.FieldType(field), v);
}

FieldValue ValueFromRaw(const KindDescription& kind, int field, const std::string& raw) {
    FieldValue v;
    switch (kind.FieldType(field)) {
        case kFieldInt:
        case kFieldLong:
            v.number = std::strtol(raw.c_str(), nullptr, 10);
            // A rate comes from the page as a percentage ("85%") and from an editor as the
            // stored step ("3").
            if (kind.Rule(field).show == ShowForm::SuccessRate && raw.find('%') != raw.npos)
                v.number = (100 - v.number) / 5;
            break;
        case kFieldFloat:
            v.real = std::strtod(raw.c_str(), nullptr);
            break;
        default:
            v.text = raw;
    }
    return v;
}

std::vector<std::string> RowCells(const KindDescription& kind,
                                  const std::vector<FieldValue>& values) {
    const int columns = kind.ColumnCount();
    std::vector<std::string> cells(columns);
    for (int c = 0; c < columns && c < static_cast<int>(values.size()); ++c) {
        cells[c] = DisplayText(kind, c, values[c]);
        if (kind.Rule(c).show == ShowForm::YesNoEnd && values[c].number < 1) break;
    }
    return cells;
}

CRowFormatter::CRowFormatter(const KindDescription& kind)
    : m_kind(kind), m_last(kind.ColumnCount()) {}

std::vector<std::string> CRowFormatter::Cells(const std::vector<FieldValue>& values) {
    const int columns = m_kind.ColumnCount();
    std::vector<std::string> cells(columns);
    for (int c = 0; c < columns && c < static_cast<int>(values.size()); ++c) {
        const FieldValue& v = values[c];
        const ShowForm show = m_kind.Rule(c).show;
        const int type = m_kind.FieldType(c);
        Last& last = m_last[c];
        if (show == ShowForm::Day && v.number >= 1) {
            if (!last.valid || v.number < last.dayFrom || v.number > last.dayTo) {
                last.text = DisplayText(m_kind, c, v);
                std::tm tm{};
                const std::time_t t = v.number;
                localtime_r(&t, &tm);
                last.dayFrom = LocalTime(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, 0, 0, 0);
                last.dayTo = LocalTime(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, 23, 59, 59);
                last.valid = true;
            }
            cells[c] = last.text;
        } else if (type != kFieldText && show != ShowForm::Day) {
            if (!last.valid || last.number != v.number || last.real != v.real) {
                last.text = DisplayText(m_kind, c, v);
                last.number = v.number;
                last.real = v.real;
                last.valid = true;
            }
            cells[c] = last.text;
        } else {
            cells[c] = DisplayText(m_kind, c, v);
        }
        if (show == ShowForm::YesNoEnd && v.number < 1) break;
    }
    return cells;
}
