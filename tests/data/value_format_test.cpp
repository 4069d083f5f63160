#include "data/value_format.h"

#include <gtest/gtest.h>

#include <ctime>

// The test programs run with TZ=Asia/Shanghai (UTC+8).
TEST(ValueFormat, CalendarTimesInLocalTime) {
    EXPECT_EQ(FormatDay(0), "1970_01_01");
    EXPECT_EQ(FormatDay(-5), "1970_01_01");
    EXPECT_EQ(FormatDateTime(0), "1970_01_01 08:00:00");
    // The last second of 2007-05-31 local.
    EXPECT_EQ(FormatDateTime(1180627199), "2007_05_31 23:59:59");
    EXPECT_EQ(FormatDay(INT32_MAX), "2038_01_19");
}

TEST(ValueFormat, EncodedNumbers) {
    EXPECT_EQ(FormatDuration(59), "0天0小时59分");
    EXPECT_EQ(FormatDuration(3 * 1440 + 23 * 60 + 1), "3天23小时1分");
    EXPECT_EQ(FormatSuccessRate(0), "100%");
    EXPECT_EQ(FormatSuccessRate(20), "0%");
    EXPECT_EQ(FormatMoney(0), "0.00");
    EXPECT_EQ(FormatMoney(1e300).size(), 304u);
    EXPECT_EQ(FormatYesNo(7), "是");
}
