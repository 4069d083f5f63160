// The tables of the database: for every table its columns in their fixed order with the
// type code every reader and writer applies, and for the six record kinds the list headings
// and widths of their pages. Pages, editors, export and statistics all walk these tables.
#pragma once

#include <span>
#include <string_view>

// Type codes of the columns.
enum FieldType : int {
    kFieldInt = 0,    // 32-bit integer, read with GetValueI
    kFieldFloat = 1,  // single-precision float, GetValueF
    kFieldLong = 2,   // 32-bit long (calendar times, durations), GetValueL
    kFieldText = 3,   // text, GetValue
};

enum class RecordKind { Sale, Chance, Consume, History, Active, FeedBack };
constexpr int kRecordKindCount = 6;

struct FieldDef {
    const char* name;
    int type;
    const char* heading;  // empty: the field has no list column
    int width;            // list column width in pixels
};

struct TableDef {
    const char* name;
    std::span<const FieldDef> fields;
    int columnCount;  // the first columnCount fields are the list columns

    int FieldIndex(std::string_view field) const;  // -1 when the table has no such column
};

const TableDef& KindTable(RecordKind kind);
const TableDef& FinanceTableDef();
const TableDef& ObjectParTableDef();
// The six record tables, FinanceTable and ObjectPar.
std::span<const TableDef* const> AllTables();

// A column with an index of its own (the key a client's records, a kind's parameters and the
// date filters look rows up by).
struct IndexDef {
    const char* table;
    const char* column;
};
std::span<const IndexDef> AllIndexes();
// Whether table.column has an index (names ignore case, as in SQL).
bool IsIndexed(std::string_view table, std::string_view column);
