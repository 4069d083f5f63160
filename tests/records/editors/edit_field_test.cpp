#include "records/editors/edit_field.h"

#include <gtest/gtest.h>

#include <string>

namespace {

EditField Integer(const char* label, double low, double high) {
    EditField f;
    f.label = label;
    f.control = EditControl::Integer;
    f.low = low;
    f.high = high;
    return f;
}

EditField Amount(const char* label) {
    EditField f;
    f.label = label;
    f.control = EditControl::Amount;
    f.high = 99999999.0;
    return f;
}

EditField Text(const char* label, int maxLength) {
    EditField f;
    f.label = label;
    f.maxLength = maxLength;
    return f;
}

std::string Repeat(const std::string& piece, int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += piece;
    return s;
}

}  // namespace

TEST(EditFieldCheck, RangesOnBothSidesOfEachLimit) {
    const EditField discount = Integer("折    扣：", 0, 100);
    const EditField number = Integer("数    量：", 0, 999999);
    const EditField price = Amount("单    价：");
    struct Case {
        const EditField& field;
        const char* text;
        const char* message;  // empty: accepted
    };
    const Case cases[] = {
        {discount, "0", ""},
        {discount, "100", ""},
        {discount, " 7 ", ""},
        {discount, "101", "折扣：请输入 0 到 100 之间的整数。"},
        {discount, "-1", "折扣：请输入 0 到 100 之间的整数。"},
        {discount, "", "折扣：请输入 0 到 100 之间的整数。"},
        {discount, "5a", "折扣：请输入 0 到 100 之间的整数。"},
        {discount, "99999999999", "折扣：请输入 0 到 100 之间的整数。"},
        {number, "999999", ""},
        {number, "1000000", "数量：请输入 0 到 999999 之间的整数。"},
        {price, "0", ""},
        {price, "99999999", ""},
        {price, "1234.5", ""},
        {price, "100000000", "单价：请输入 0 到 99999999 之间的数。"},
        {price, "-0.01", "单价：请输入 0 到 99999999 之间的数。"},
        {price, "1.2.3", "单价：请输入 0 到 99999999 之间的数。"},
        {price, "1e3", "单价：请输入 0 到 99999999 之间的数。"},
        {price, "0x10", "单价：请输入 0 到 99999999 之间的数。"},
        {price, "nan", "单价：请输入 0 到 99999999 之间的数。"},
    };
    for (const Case& c : cases) EXPECT_EQ(CheckTyped(c.field, c.text), c.message) << c.text;
}

TEST(EditFieldCheck, TextLengthCountsCharactersNotBytes) {
    const EditField subject = Text("销售主题：", 127);
    EXPECT_EQ(CheckTyped(subject, Repeat("a", 127)), "");
    EXPECT_EQ(CheckTyped(subject, Repeat("销", 127)), "");
    EXPECT_EQ(CheckTyped(subject, Repeat("a", 128)), "销售主题：请输入不超过 127 个字符。");
    EXPECT_EQ(CheckTyped(subject, Repeat("销", 128)), "销售主题：请输入不超过 127 个字符。");
}

TEST(EditFieldCheck, DurationParts) {
    EditField use;
    use.label = "实际持续时间：";
    EXPECT_EQ(CheckDurationPart(use, 0, "3650"), "");
    EXPECT_EQ(CheckDurationPart(use, 0, "3651"),
              "实际持续时间（天）：请输入 0 到 3650 之间的整数。");
    EXPECT_EQ(CheckDurationPart(use, 1, "24"), "");
    EXPECT_EQ(CheckDurationPart(use, 1, "25"), "实际持续时间（小时）：请输入 0 到 24 之间的整数。");
    EXPECT_EQ(CheckDurationPart(use, 2, "60"), "");
    EXPECT_EQ(CheckDurationPart(use, 2, "61"), "实际持续时间（分）：请输入 0 到 60 之间的整数。");
}

TEST(EditFieldValues, FormsAndDurations) {
    EXPECT_EQ(StoreAmount(1234.5), "1234.50");
    EXPECT_EQ(ShowAmount(1234.5), "1234.5");
    EXPECT_EQ(ShowAmount(99999999.0), "99999999");
    EXPECT_EQ(ShowAmount(0.1), "0.1");
    EXPECT_EQ(StoreNumber(-3), "-3");
    EXPECT_EQ(DurationMinutes(1, 2, 30), 1590);
    EXPECT_EQ(DurationMinutes(0, 24, 0), 1440);
    const DurationParts p = SplitDuration(1590);
    EXPECT_EQ(p.days, 1);
    EXPECT_EQ(p.hours, 2);
    EXPECT_EQ(p.minutes, 30);
    const DurationParts day = SplitDuration(1440);
    EXPECT_EQ(day.days, 1);
    EXPECT_EQ(day.hours, 0);
    EXPECT_EQ(day.minutes, 0);
}

TEST(EditFieldValues, DayStartIsTheLocalDay) {
    // 2007-03-01 02:00 in Shanghai is still 2007-02-28 in UTC.
    EXPECT_EQ(LocalDayStart(1172685600), 1172678400);  // 2007-03-01 00:00 +08:00
    EXPECT_EQ(LocalDayStart(1172678400), 1172678400);
    EXPECT_EQ(LocalDayStart(1172678399), 1172678400 - 86400);
    std::time_t today = TodayLocalStart();
    std::tm tm{};
    localtime_r(&today, &tm);
    EXPECT_EQ(tm.tm_hour + tm.tm_min + tm.tm_sec, 0);
    const std::time_t now = std::time(nullptr);
    EXPECT_LE(today, now);
    EXPECT_GT(today + 86400, now);
}

TEST(EditFieldValues, NamesAndTitles) {
    EditField f;
    f.label = "单    价：";
    EXPECT_EQ(FieldName(f), "单价");
    f.label = "已付款金额：";
    EXPECT_EQ(FieldName(f), "已付款金额");
    const EditorTitles titles = {"增加", "修改", "查看"};
    EXPECT_STREQ(TitleForMode(titles, 0), "增加");
    EXPECT_STREQ(TitleForMode(titles, 1), "修改");
    EXPECT_STREQ(TitleForMode(titles, 2), "查看");
    EXPECT_STREQ(TitleForMode(titles, -1), "查看");
}

TEST(EditFieldValues, SuccessRateYesNoAndRelatedQuery) {
    // Percentages as the page hands them, steps as stored, clamped to the 21 entries.
    EXPECT_EQ(SuccessRateIndex("85%"), 3);
    EXPECT_EQ(SuccessRateIndex("0%"), 20);
    EXPECT_EQ(SuccessRateIndex("3"), 3);
    EXPECT_EQ(SuccessRateIndex("105%"), 0);
    EXPECT_EQ(SuccessRateIndex("21"), 20);
    EXPECT_EQ(YesNoIndex("5"), 1);
    EXPECT_EQ(YesNoIndex("1"), 1);
    EXPECT_EQ(YesNoIndex("0"), 0);
    EXPECT_EQ(RelatedChanceQuery(1), "SELECT ChanceName FROM ChanceTable WHERE ObjectDateTime=1");
    EXPECT_EQ(RelatedChanceQuery(0), "SELECT ChanceName FROM ChanceTable");
}
