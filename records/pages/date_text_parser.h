// Reads the dates users type into the query bar: a year, a year and month, or a day with an
// optional time, with any non-digit bytes between the numbers (2007-5-3, 2007_05_03,
// 2007/5/3 8:30, 2007年5月3日).
#pragma once

#include <string>

class CDateTextParser {
public:
    virtual ~CDateTextParser() = default;

    // The local calendar time the text names, or 0 when its leading number is not a year
    // from 1971 to 2029. precision: 0 year, 1 month, 2 day, 3 and more a time was typed.
    long ParseDate(const std::string& text, int* precision) const;
    // The text without leading and trailing blanks (0x20 only).
    static std::string Trim(const std::string& text);
};

// The first and last second of the period a parsed date names, in local time: the whole
// year (precision 0), month (1) or day (2 and more; a typed time does not narrow it).
struct DateRange {
    long from = 0;
    long to = 0;
};
// False when the text is not a date the parser accepts.
bool DateRangeFromText(const std::string& text, DateRange* range);

// Local calendar time of a date and time (mktime, daylight saving decided by the library).
long LocalTime(int year, int month, int day, int hour, int minute, int second);
int DaysInMonth(int year, int month);
