// Short forms of the control-table entries the editors share, so that an editor's table
// reads as its window: label, control id, row and half.
#pragma once

#include "records/editors/edit_field.h"
#include "records/editors/record_edit_dlg.h"

namespace edit_fields {

// The longest text the editors take, unless a field says otherwise.
inline constexpr int kTextLength = 127;
inline constexpr double kMaxAmount = 99999999.0;

constexpr EditField Text(const char* field, const char* label, int id, int row, int column = 2) {
    return {.field = field,
            .label = label,
            .control = EditControl::Text,
            .id = id,
            .row = row,
            .column = column,
            .maxLength = kTextLength};
}

constexpr EditField Contact(int row) {
    return {.field = "ClientName",
            .label = "联系人：",
            .control = EditControl::Contact,
            .id = IDC_EDIT_CONTACT,
            .row = row,
            .column = 2,
            .maxLength = kTextLength,
            .buttonId = IDC_EDIT_CONTACT_PICK};
}

constexpr EditField Amount(const char* field, const char* label, int id, int row, int column,
                           double high = kMaxAmount) {
    return {.field = field,
            .label = label,
            .control = EditControl::Amount,
            .id = id,
            .row = row,
            .column = column,
            .low = 0,
            .high = high,
            .unit = "元",
            .dropLetters = true};
}

constexpr EditField Whole(const char* field, const char* label, int id, int row, int column,
                          double high, const char* unit = nullptr) {
    return {.field = field,
            .label = label,
            .control = EditControl::Integer,
            .id = id,
            .row = row,
            .column = column,
            .low = 0,
            .high = high,
            .unit = unit,
            .digitsOnly = true,
            .dropLetters = true};
}

constexpr EditField Lookup(const char* field, const char* label, int id, int row, int column,
                           int kind, int buttonId, const char* tip, int maxLength = kTextLength) {
    return {.field = field,
            .label = label,
            .control = EditControl::Lookup,
            .id = id,
            .row = row,
            .column = column,
            .maxLength = maxLength,
            .paramKind = kind,
            .buttonId = buttonId,
            .tip = tip};
}

// The client's opportunities; id 1236 in every editor that has the list.
constexpr EditField Related(const char* field, int row, int column = 2, bool sorted = false) {
    return {.field = field,
            .label = "相关机会：",
            .control = EditControl::Related,
            .id = 1236,
            .row = row,
            .column = column,
            .maxLength = kTextLength,
            .sorted = sorted};
}

// A date picker (id) and a time picker (id + 1) in one row; with timeLabel the time picker
// stands in the right half under its own label.
constexpr EditField DateTime(const char* field, const char* label, int id, int row,
                             const char* timeLabel = nullptr, DateStart start = DateStart::Now) {
    return {.field = field,
            .label = label,
            .control = EditControl::DateTime,
            .id = id,
            .row = row,
            .column = timeLabel ? 0 : 2,
            .secondId = id + 1,
            .secondLabel = timeLabel,
            .start = start};
}

// Days (id), hours (id + 1) and minutes (id + 2).
constexpr EditField Duration(const char* field, const char* label, int id, int row,
                             const char* minutesUnit, bool hidden = false) {
    return {.field = field,
            .label = label,
            .control = EditControl::Duration,
            .id = id,
            .row = row,
            .column = 2,
            .unit = minutesUnit,
            .secondId = id + 1,
            .thirdId = id + 2,
            .dropLetters = true,
            .hidden = hidden};
}

constexpr EditField YesNo(const char* field, const char* label, int id, int row,
                          bool hidden = false) {
    return {.field = field,
            .label = label,
            .control = EditControl::YesNo,
            .id = id,
            .row = row,
            .column = 0,
            .hidden = hidden};
}

}  // namespace edit_fields
