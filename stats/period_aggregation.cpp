#include "stats/period_aggregation.h"

#include <cstdio>
#include <ctime>

namespace {

std::tm LocalDate(long date) {
    const std::time_t t = static_cast<std::time_t>(date);
    std::tm tm{};
    localtime_r(&t, &tm);
    return tm;
}

int Quarter(const std::tm& tm) {
    return tm.tm_mon / 3;
}

// A sum as the table shows it: counts whole, money with two decimals.
std::string FormatSum(StatColumnKind kind, double sum) {
    char text[400];  // the largest double takes 309 digits before the point
    if (kind == StatColumnKind::Count)
        std::snprintf(text, sizeof text, "%lld", static_cast<long long>(sum));
    else
        std::snprintf(text, sizeof text, "%.2f", sum);
    return text;
}

}  // namespace

bool IsNewPeriod(int unit, long a, long b) {
    if (a == b) return false;
    const std::tm x = LocalDate(a);
    const std::tm y = LocalDate(b);
    if (x.tm_year != y.tm_year) return true;
    switch (unit) {
        case kUnitYear:
            return false;
        case kUnitQuarter:
            return Quarter(x) != Quarter(y);
        case kUnitMonth:
            return x.tm_mon != y.tm_mon;
        default:
            return x.tm_mon != y.tm_mon || x.tm_mday != y.tm_mday;
    }
}

std::string FormatPeriodLabel(int unit, long date) {
    const std::tm tm = LocalDate(date);
    const int year = tm.tm_year + 1900;
    char text[64];
    switch (unit) {
        case kUnitMonth:
            std::snprintf(text, sizeof text, "%04d年%02d月", year, tm.tm_mon + 1);
            break;
        case kUnitQuarter:
            std::snprintf(text, sizeof text, "%04d年%d季度", year, Quarter(tm) + 1);
            break;
        case kUnitYear:
            std::snprintf(text, sizeof text, "%04d年", year);
            break;
        default:
            std::snprintf(text, sizeof text, "%04d年%02d月%02d日", year, tm.tm_mon + 1, tm.tm_mday);
            break;
    }
    return text;
}

CPeriodFolder::CPeriodFolder(const StatDescription& stat, int unit)
    : m_stat(stat),
      m_unit(unit),
      m_periodSums(stat.ColumnCount(), 0.0),
      m_totals(stat.ColumnCount(), 0.0),
      m_series(stat.ColumnCount()) {}

void CPeriodFolder::AddRecord(const double* values, std::vector<StatRow>& rows) {
    const long date = static_cast<long>(values[0]);
    if (m_hasPrevious && IsNewPeriod(m_unit, date, m_previousDate)) EmitPeriodRow(rows);
    m_hasPrevious = true;
    m_previousDate = date;
    for (int c = 1; c < m_stat.ColumnCount(); ++c) {
        m_periodSums[c] += values[c];
        m_totals[c] += values[c];
    }
}

void CPeriodFolder::Finish(std::vector<StatRow>& rows) {
    if (m_hasPrevious) EmitPeriodRow(rows);
    m_hasPrevious = false;
}

void CPeriodFolder::EmitPeriodRow(std::vector<StatRow>& rows) {
    StatRow row(m_stat.ColumnCount());
    row[0] = FormatPeriodLabel(m_unit, m_previousDate);
    for (int c = 1; c < m_stat.ColumnCount(); ++c) {
        row[c] = FormatSum(m_stat.columns[c].kind, m_periodSums[c]);
        m_periodSums[c] = 0;
    }
    for (int c = 0; c < m_stat.ColumnCount(); ++c) {
        m_series[c] += row[c];
        m_series[c] += ',';
    }
    ++m_periods;
    rows.push_back(std::move(row));
}

StatRow CPeriodFolder::EmitTotalsRow() const {
    StatRow row(m_stat.ColumnCount());
    for (int c = 1; c < m_stat.ColumnCount(); ++c)
        row[c] = "合计:" + FormatSum(m_stat.columns[c].kind, m_totals[c]);
    return row;
}
