// Text forms of stored values, shared by pages, editors, export and statistics.
// Calendar times are 32-bit seconds since 1970 UTC shown in the process's local time zone;
// a time below 1 shows as 0 (the epoch).
#pragma once

#include <cstdint>
#include <string>

std::string FormatDay(int32_t t);          // 2007_03_01
std::string FormatDateTime(int32_t t);     // 2007_03_01 14:05:09
std::string FormatTimeOfDay(int32_t t);    // 14：05：09 (full-width colons)
std::string FormatDuration(long minutes);  // 1天1小时0分
std::string FormatSuccessRate(int step);   // step 1 -> 95%
std::string FormatDiscount(long v);        // 85%
std::string FormatMoney(double v);         // 12.50
std::string FormatYesNo(int v);            // 是 for 1 and more, else 否
