// What the statistics windows hand each other with WM_STAT_DATA.
//   page -> result table:  wParam = PeriodUnit, lParam = const char* query text
//   result table -> page -> chart:  wParam = series number (1 to 7),
//                                   lParam = const StatSeries* (periods and values)
#pragma once

#include <string>

#include "platform/messages.h"

constexpr UINT WM_STAT_ROWS = WM_USER + 252;     // aggregation worker -> result table: rows ready
constexpr UINT WM_STAT_CONTENT = WM_USER + 253;  // content loader -> page: the 统计内容 list

// One measure column's period values, each followed by ",", and how many there are.
struct StatSeries {
    int periods = 0;
    std::string text;
};
