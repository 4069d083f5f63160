// What sets the six record list pages apart, as data: the kind's table, how each field is
// shown, queried and entered in the query bar, and the few texts that differ per kind.
// Fields not named in a kind's rules are shown by their type code, matched with LIKE and
// typed into the content edit.
#pragma once

#include <span>
#include <vector>

#include "data/schema.h"

// How a field's stored value is shown in the list.
enum class ShowForm {
    ByType,       // by type code: "%d", "%.2f", "%ld" or the text
    Day,          // "%04d_%02d_%02d" of a calendar time
    DateTime,     // "%04d_%02d_%02d %02d:%02d:%02d"
    TimeOfDay,    // "%02d：%02d：%02d"
    Duration,     // minutes as "%d天%d小时%d分"
    Discount,     // "%ld%"
    SuccessRate,  // stored step shown as (20 - step) * 5 "%"; the editor gets the same text
    YesNoEnd,     // "是"/"否"; with "否" the cells after it stay empty
};

// How a typed content becomes a condition on the field.
enum class MatchForm {
    Like,         // field LIKE '%content%'
    DateRange,    // the year, month or day the content names
    Positive,     // leading number n, n > 0
    NonNegative,  // leading number n, n >= 0
    Percent,      // leading number n, 1 <= n <= 100
    SuccessRate,  // typed percentage p matches step (100 - p) / 5
    YesNo,        // "是": finished, anything else: unfinished or unset
};

// What the query bar offers for the content when the field is chosen.
enum class ContentForm {
    Edit,    // the plain content edit
    Today,   // the content combo, preset to today's date
    Params,  // the content combo, filled with a lookup value list
    YesNo,   // the content combo with "是" and "否"
};

struct FieldRule {
    const char* field;
    ShowForm show = ShowForm::ByType;
    MatchForm match = MatchForm::Like;
    ContentForm content = ContentForm::Edit;
    int paramKind = -1;  // lookup list kind for ContentForm::Params
};

struct KindDescription {
    RecordKind kind;
    const TableDef& table;
    const char* pageClass;    // "CSalePage", ...
    const char* tabTitle;     // "销售", ...
    const char* exportTitle;  // title of the exported table
    std::span<const FieldRule> rules;
    int firstCondition;          // field combo entry selected at the first show
    const char* todayFormat;     // today's date in the content combo (year, month, day)
    const char* moveFailText;    // "%d" of the row when 查看 cannot reach its record
    const char* newFailText;     // shown when a new record cannot be appended; empty: none
    bool contactGroup;           // "全部" over a picked group restricts to the group's keys
    bool emptyOnRejectedNumber;  // a rejected number still empties the list
    bool hideSelectionUnfocused = false;  // the list shows its selection only with the focus
    std::vector<const FieldRule*> fieldRules = {};  // per field, resolved from rules

    int ColumnCount() const { return table.columnCount; }
    int FieldCount() const { return static_cast<int>(table.fields.size()); }
    const char* FieldName(int i) const { return table.fields[i].name; }
    int FieldType(int i) const { return table.fields[i].type; }
    // The rule of field i (the defaults when the kind names none).
    const FieldRule& Rule(int i) const { return *fieldRules[i]; }
    int ClientNameIndex() const { return table.FieldIndex("ClientName"); }
};

const KindDescription& DescribeKind(RecordKind kind);

// The text that stands for every contact in the contact combo.
inline constexpr const char* kAllContacts = "全部";
