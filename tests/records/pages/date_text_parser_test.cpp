#include "records/pages/date_text_parser.h"

#include <gtest/gtest.h>

#include <QDateTime>

namespace {

// "Y-M-D h:m:s" of a calendar time in local time.
std::string Local(long t) {
    return QDateTime::fromSecsSinceEpoch(t)
        .toString(QStringLiteral("yyyy-M-d H:m:s"))
        .toStdString();
}

}  // namespace

// Numbers separated by any non-digit; parts out of range are clamped or dropped, both sides
// of each limit.
TEST(DateTextParser, ReadsNumbersSeparatedByAnyNonDigit) {
    struct Case {
        const char* text;
        const char* parsed;
        int precision = -1;  // checked unless -1
    };
    const Case cases[] = {{"2007", "2007-1-1 0:0:0", 0},
                          {"2007-5", "2007-5-1 0:0:0", 1},
                          {"2007/5/3 8:30", "2007-5-3 8:30:0", 4},
                          {"2007年5月3日", "2007-5-3 0:0:0"},
                          {"2007_05_ 3", "2007-5-3 0:0:0"},
                          {"2007-5-3 10:20:30:99", "2007-5-3 10:20:30"},
                          {"2007-5-3 23:59:59", "2007-5-3 23:59:59"},
                          {"2007-5-3 24:60:61", "2007-5-3 0:0:0"},
                          {"2007-0", "2007-1-1 0:0:0"},
                          {"2007-12-31", "2007-12-31 0:0:0"},
                          {"2007-13-0", "2007-12-1 0:0:0"},
                          {"2007-5-1", "2007-5-1 0:0:0"},
                          {"2007-5-0", "2007-5-1 0:0:0"},
                          {"2007-5-31", "2007-5-31 0:0:0"},
                          {"2007-6-31", "2007-6-30 0:0:0"},
                          {"2008-2-29", "2008-2-29 0:0:0"},
                          {"2007-2-30", "2007-2-28 0:0:0"},
                          {"2007-5-99999999999999999999", "2007-5-31 0:0:0"},
                          {"1971", "1971-1-1 0:0:0"},
                          {"2029-12-31", "2029-12-31 0:0:0"}};
    for (const Case& c : cases) {
        int precision = -1;
        const long t = CDateTextParser().ParseDate(c.text, &precision);
        EXPECT_EQ(Local(t), c.parsed) << c.text;
        EXPECT_TRUE(c.precision < 0 || precision == c.precision) << c.text << " " << precision;
    }
    for (const char* text : {"1970", "2030", "07-5-3", "abc", "", "-2007"})
        EXPECT_LT(CDateTextParser().ParseDate(text, nullptr), 1) << text;
    EXPECT_EQ(CDateTextParser::Trim("\tabc \t"), "\tabc \t");  // blanks only
    EXPECT_EQ(CDateTextParser::Trim("    "), "");
}

TEST(DateRange, CoversTheWholeYearMonthOrDay) {
    const std::pair<const char*, const char*> cases[] = {
        {"2007", "2007-1-1 0:0:0/2007-12-31 23:59:59"},
        {"2007-2", "2007-2-1 0:0:0/2007-2-28 23:59:59"},
        {"2008-2", "2008-2-1 0:0:0/2008-2-29 23:59:59"},
        {"2007-5-3 10:20", "2007-5-3 0:0:0/2007-5-3 23:59:59"}};
    for (auto [text, range] : cases) {
        DateRange r;
        ASSERT_TRUE(DateRangeFromText(text, &r)) << text;
        EXPECT_EQ(Local(r.from) + "/" + Local(r.to), range) << text;
    }
}
