// What the three statistics (sales, opportunities, expenses) differ in: the table, its date
// field, the result columns with their headings and widths, and the page's look.
#pragma once

#include <span>

enum class StatKind { Sale, Chance, Consume };
constexpr int kStatKindCount = 3;

// The grouping unit, the index of the 统计单位 combo. Any other value groups by day.
enum PeriodUnit { kUnitDay = 0, kUnitMonth = 1, kUnitQuarter = 2, kUnitYear = 3 };

enum class StatColumnKind { Period, Count, Money };

struct StatColumn {
    const char* field;
    const char* heading;
    int width;
    StatColumnKind kind;
};

struct StatDescription {
    StatKind kind;
    const char* table;
    const char* dateField;
    std::span<const StatColumn> columns;  // the period column first, then the measures
    bool productFilter;                   // 统计条件 and 统计内容 are offered
    int chartMode;                        // 0 Sale, 1 Chance, 2 Consume
    const char* pageClass;
    const char* tableClass;
    const char* tabLabel;
    int pageHeightMargin;  // the page is this much lower than its tab control
    int innerTabMargin;    // the result tabs are this much lower than the page
    int listHeightMargin;  // the result list is this much lower than its window

    int ColumnCount() const { return static_cast<int>(columns.size()); }
    int MeasureCount() const { return ColumnCount() - 1; }
};

const StatDescription& DescribeStat(StatKind kind);
