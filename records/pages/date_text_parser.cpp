#include "records/pages/date_text_parser.h"

#include <climits>
#include <cstdlib>
#include <ctime>

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The number at the start of s, read like atoi but clamped to the int range.
int LeadingInt(const char* s) {
    long v = std::strtol(s, nullptr, 10);
    if (v > INT_MAX) return INT_MAX;
    if (v < INT_MIN) return INT_MIN;
    return static_cast<int>(v);
}

int InRangeOr(int v, int lo, int hi, int fallback) {
    return v < lo || v > hi ? fallback : v;
}

}  // namespace

int DaysInMonth(int year, int month) {
    switch (month) {
        case 2:
            return year % 4 == 0 ? 29 : 28;
        case 4:
        case 6:
        case 9:
        case 11:
            return 30;
        default:
            return 31;
    }
}

long LocalTime(int year, int month, int day, int hour, int minute, int second) {
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    tm.tm_isdst = -1;
    return static_cast<long>(std::mktime(&tm));
}

long CDateTextParser::ParseDate(const std::string& text, int* precision) const {
    const int year = LeadingInt(text.c_str());
    if (year <= 1970 || year >= 2030) return 0;
    int p = 0, month = 1, day = 1, hour = 0, minute = 0, second = 0;
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (IsDigit(text[i]) || !IsDigit(text[i + 1])) continue;
        const int n = LeadingInt(text.c_str() + i + 1);
        switch (++p) {
            case 1:
                month = n > 12 ? 12 : (n < 1 ? 1 : n);
                break;
            case 2:
                day = n < 1 ? 1 : (n > DaysInMonth(year, month) ? DaysInMonth(year, month) : n);
                break;
            case 3:
                hour = InRangeOr(n, 0, 23, 0);
                break;
            case 4:
                minute = InRangeOr(n, 0, 59, 0);
                break;
            case 5:
                second = InRangeOr(n, 0, 59, 0);
                break;
            default:
                break;
        }
    }
    if (precision) *precision = p;
    return LocalTime(year, month, day, hour, minute, second);
}

std::string CDateTextParser::Trim(const std::string& text) {
    size_t begin = 0, end = text.size();
    while (begin < end && text[begin] == ' ') ++begin;
    while (end > begin && text[end - 1] == ' ') --end;
    return text.substr(begin, end - begin);
}

bool DateRangeFromText(const std::string& text, DateRange* range) {
    CDateTextParser parser;
    int p = 0;
    const long t = parser.ParseDate(text, &p);
    if (t < 1) return false;
    std::tm tm{};
    const std::time_t tt = t;
    localtime_r(&tt, &tm);
    const int y = tm.tm_year + 1900, m = tm.tm_mon + 1, d = tm.tm_mday;
    if (p == 0) {
        range->from = LocalTime(y, 1, 1, 0, 0, 0);
        range->to = LocalTime(y, 12, 31, 23, 59, 59);
    } else if (p == 1) {
        range->from = LocalTime(y, m, 1, 0, 0, 0);
        range->to = LocalTime(y, m, DaysInMonth(y, m), 23, 59, 59);
    } else {
        range->from = LocalTime(y, m, d, 0, 0, 0);
        range->to = LocalTime(y, m, d, 23, 59, 59);
    }
    return true;
}
