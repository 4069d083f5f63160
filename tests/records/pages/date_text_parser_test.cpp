#include "records/pages/date_text_parser.h"

#include <gtest/gtest.h>

#include <ctime>

namespace {

// "Y-M-D h:m:s" of a calendar time in local time.
std::string Local(long t) {
    std::tm tm{};
    const std::time_t tt = t;
    localtime_r(&tt, &tm);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%d-%d-%d %d:%d:%d", tm.tm_year + 1900, tm.tm_mon + 1,
                  tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
    return buf;
}

std::string Parsed(const std::string& text, int* precision = nullptr) {
    int p = -1;
    const long t = CDateTextParser().ParseDate(text, &p);
    if (precision) *precision = p;
    return t < 1 ? "rejected" : Local(t);
}

}  // namespace

TEST(DateTextParser, ReadsNumbersSeparatedByAnyNonDigit) {
    int p = 0;
    EXPECT_EQ(Parsed("2007", &p), "2007-1-1 0:0:0");
    EXPECT_EQ(p, 0);
    EXPECT_EQ(Parsed("2007-5", &p), "2007-5-1 0:0:0");
    EXPECT_EQ(p, 1);
    EXPECT_EQ(Parsed("2007/5/3 8:30", &p), "2007-5-3 8:30:0");
    EXPECT_EQ(p, 4);
    EXPECT_EQ(Parsed("2007年5月3日"), "2007-5-3 0:0:0");
    EXPECT_EQ(Parsed("2007_05_ 3"), "2007-5-3 0:0:0");
    EXPECT_EQ(Parsed("2007-5-3 10:20:30:99"), "2007-5-3 10:20:30");
    // Out-of-range parts are clamped or dropped.
    EXPECT_EQ(Parsed("2007-4-31"), "2007-4-30 0:0:0");
    EXPECT_EQ(Parsed("2008-2-29"), "2008-2-29 0:0:0");
    EXPECT_EQ(Parsed("2007-2-30"), "2007-2-28 0:0:0");
    EXPECT_EQ(Parsed("2007-13-0"), "2007-12-1 0:0:0");
    EXPECT_EQ(Parsed("2007-5-3 24:60:61"), "2007-5-3 0:0:0");
    EXPECT_EQ(Parsed("2007-5-99999999999999999999"), "2007-5-31 0:0:0");
    for (const char* text : {"1970", "2030", "07-5-3", "abc", "", "-2007"})
        EXPECT_EQ(Parsed(text), "rejected") << text;
    EXPECT_EQ(Parsed("1971"), "1971-1-1 0:0:0");
    EXPECT_EQ(Parsed("2029-12-31"), "2029-12-31 0:0:0");
}

// Both sides of every clamp and range.
TEST(DateTextParser, BoundariesOfEachPart) {
    EXPECT_EQ(Parsed("2007-5-3 23:59:59"), "2007-5-3 23:59:59");
    EXPECT_EQ(Parsed("2007-5-3 24:60:61"), "2007-5-3 0:0:0");
    EXPECT_EQ(Parsed("2007-5-3 0:0:0"), "2007-5-3 0:0:0");
    EXPECT_EQ(Parsed("2007-1"), "2007-1-1 0:0:0");
    EXPECT_EQ(Parsed("2007-0"), "2007-1-1 0:0:0");
    EXPECT_EQ(Parsed("2007-12-31"), "2007-12-31 0:0:0");
    EXPECT_EQ(Parsed("2007-13-31"), "2007-12-31 0:0:0");
    EXPECT_EQ(Parsed("2007-5-1"), "2007-5-1 0:0:0");
    EXPECT_EQ(Parsed("2007-5-0"), "2007-5-1 0:0:0");
    EXPECT_EQ(Parsed("2007-5-31"), "2007-5-31 0:0:0");
    EXPECT_EQ(Parsed("2007-6-31"), "2007-6-30 0:0:0");
    DateRange r;
    ASSERT_TRUE(DateRangeFromText("2007-0", &r));
    EXPECT_EQ(r.from, 1167580800);  // 2007-01-01 00:00:00 in Shanghai
    EXPECT_EQ(r.to, 1170259199);    // 2007-01-31 23:59:59
    ASSERT_TRUE(DateRangeFromText("2007-13", &r));
    EXPECT_EQ(r.from, 1196438400);  // 2007-12-01 00:00:00
    EXPECT_EQ(r.to, 1199116799);    // 2007-12-31 23:59:59
}

TEST(DateTextParser, TrimRemovesOnlyBlanks) {
    EXPECT_EQ(CDateTextParser::Trim("  abc d  "), "abc d");
    EXPECT_EQ(CDateTextParser::Trim("\tabc \t"), "\tabc \t");
    EXPECT_EQ(CDateTextParser::Trim("    "), "");
}

TEST(DateRange, CoversTheWholeYearMonthOrDay) {
    DateRange r;
    ASSERT_TRUE(DateRangeFromText("2007", &r));
    EXPECT_EQ(r.from, 1167580800);  // 2007-01-01 00:00:00 in Shanghai
    EXPECT_EQ(Local(r.to), "2007-12-31 23:59:59");
    ASSERT_TRUE(DateRangeFromText("2007-2", &r));
    EXPECT_EQ(Local(r.from), "2007-2-1 0:0:0");
    EXPECT_EQ(Local(r.to), "2007-2-28 23:59:59");
    ASSERT_TRUE(DateRangeFromText("2008-2", &r));
    EXPECT_EQ(Local(r.to), "2008-2-29 23:59:59");
    ASSERT_TRUE(DateRangeFromText("2007-5-3 10:20", &r));
    EXPECT_EQ(Local(r.from), "2007-5-3 0:0:0");
    EXPECT_EQ(Local(r.to), "2007-5-3 23:59:59");
}
