// The text forms of a record's values: the display form the list shows and the raw form an
// editor works on, per field of the kind.
#pragma once

#include <string>
#include <vector>

struct KindDescription;

// One field's value as read by its type code: integer and long codes in number, float in
// real, text in text.
struct FieldValue {
    long number = 0;
    double real = 0;
    std::string text;
};

std::string DisplayText(const KindDescription& kind, int field, const FieldValue& value);
std::string RawText(const KindDescription& kind, int field, const FieldValue& value);
// The value an editor's raw text stands for (the inverse of RawText; a success rate may
// also be given as its stored step).
FieldValue ValueFromRaw(const KindDescription& kind, int field, const std::string& raw);

// The list cells of a record, one per column. A "否" in a yes/no end column leaves the cells
// after it empty: they describe an ending that has not happened.
std::vector<std::string> RowCells(const KindDescription& kind,
                                  const std::vector<FieldValue>& values);

// RowCells for a stream of records: a numeric cell whose value equals the previous record's
// and a day cell within the previous record's local day reuse the previous text.
class CRowFormatter {
public:
    explicit CRowFormatter(const KindDescription& kind);
    std::vector<std::string> Cells(const std::vector<FieldValue>& values);

private:
    struct Last {
        bool valid = false;
        long number = 0;
        double real = 0;
        long dayFrom = 0, dayTo = -1;  // the local day a Day cell's text stands for
        std::string text;
    };
    const KindDescription& m_kind;
    std::vector<Last> m_last;
};
