// Calendar time of a local date and time, written out field by field in tests.
#pragma once

#include <ctime>

inline long LocalTime(int y, int m, int d, int hh = 12, int mm = 0, int ss = 0) {
    std::tm tm{};
    tm.tm_year = y - 1900;
    tm.tm_mon = m - 1;
    tm.tm_mday = d;
    tm.tm_hour = hh;
    tm.tm_min = mm;
    tm.tm_sec = ss;
    tm.tm_isdst = -1;
    return static_cast<long>(std::mktime(&tm));
}
