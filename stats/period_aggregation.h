// Folding date-ordered records into one row per period (day, month, quarter or year) with
// the sums of each measure column, a 合计 row of grand totals, and per column the period
// values as a comma-terminated text for the chart. Needs no window.
#pragma once

#include <string>
#include <vector>

#include "stats/stat_description.h"

using StatRow = std::vector<std::string>;

// True when the local calendar dates of a and b (seconds since 1970) fall in different
// periods of unit.
bool IsNewPeriod(int unit, long a, long b);
// The label of the period holding date: "2007年03月31日", "2007年03月", "2007年1季度", "2007年".
std::string FormatPeriodLabel(int unit, long date);

class CPeriodFolder {
public:
    CPeriodFolder(const StatDescription& stat, int unit);

    // Folds one record. values holds one number per column (the date in column 0, then the
    // measures as read). When the record opens a new period, the finished one is appended
    // to rows.
    void AddRecord(const double* values, std::vector<StatRow>& rows);
    // Appends the period being collected, if any (after the last record).
    void Finish(std::vector<StatRow>& rows);
    // The 合计 row: an empty first cell, then "合计:%ld" / "合计:%.2f" per measure column.
    StatRow EmitTotalsRow() const;

    int Periods() const { return m_periods; }
    // Per column, the period values so far, each followed by ",".
    const std::vector<std::string>& Series() const { return m_series; }

private:
    void EmitPeriodRow(std::vector<StatRow>& rows);

    const StatDescription& m_stat;
    int m_unit;
    bool m_hasPrevious = false;  // a record has been folded (its date may be 0)
    long m_previousDate = 0;
    std::vector<double> m_periodSums;  // per column; column 0 unused
    std::vector<double> m_totals;
    std::vector<std::string> m_series;
    int m_periods = 0;
};
