#include "records/editors/edit_field.h"

#include <gtest/gtest.h>

#include <string>

namespace {

EditField Field(const char* label, EditControl control, double high, int maxLength = 0) {
    EditField f;
    f.label = label;
    f.control = control;
    f.high = high;
    f.maxLength = maxLength;
    return f;
}

}  // namespace

// The editors' own limits are checked through each editor; here the forms of the text.
TEST(EditFieldCheck, LimitsOnBothSides) {
    const EditField discount = Field("折    扣：", EditControl::Integer, 100);
    const EditField price = Field("单    价：", EditControl::Amount, 99999999.0);
    const EditField subject = Field("销售主题：", EditControl::Text, 0, 127);
    const std::string discountRange = "折扣：请输入 0 到 100 之间的整数。";
    const std::string priceRange = "单价：请输入 0 到 99999999 之间的数。";
    const std::string tooLong = "销售主题：请输入不超过 127 个字符。";
    std::string wide127, wide128;
    for (int i = 0; i < 127; ++i) wide127 += "销";
    wide128 = wide127 + "销";
    struct Case {
        const EditField& field;
        std::string text;
        std::string message;  // empty: accepted
    };
    const Case cases[] = {
        {discount, "0", ""},
        {discount, " 100 ", ""},
        {discount, "101", discountRange},
        {discount, "-1", discountRange},
        {discount, "", discountRange},
        {discount, "5a", discountRange},
        {discount, "99999999999", discountRange},
        {price, "99999999", ""},
        {price, "1234.5", ""},
        {price, "100000000", priceRange},
        {price, "-0.01", priceRange},
        {price, "1.2.3", priceRange},
        {price, "1e3", priceRange},
        {price, "nan", priceRange},
        {subject, wide127, ""},  // characters are counted, not bytes
        {subject, wide128, tooLong},
    };
    for (const Case& c : cases) EXPECT_EQ(CheckTyped(c.field, c.text), c.message) << c.text;
}

TEST(EditFieldValues, AmountsTheLocalDaySuccessRateYesNoAndRelatedQuery) {
    EXPECT_EQ(StoreAmount(1234.5), "1234.50");
    EXPECT_EQ(ShowAmount(1234.5), "1234.5");
    EXPECT_EQ(ShowAmount(99999999.0), "99999999");
    // 2007-03-01 02:00 in Shanghai is still 2007-02-28 in UTC: the day is the local one.
    EXPECT_EQ(LocalDayStart(1172685600), 1172678400);
    EXPECT_EQ(LocalDayStart(1172678400), 1172678400);
    EXPECT_EQ(LocalDayStart(1172678399), 1172678400 - 86400);
    const std::time_t today = TodayLocalStart();
    std::tm tm{};
    localtime_r(&today, &tm);
    EXPECT_EQ(tm.tm_hour + tm.tm_min + tm.tm_sec, 0);
    EXPECT_LE(today, std::time(nullptr));
    EXPECT_GT(today + 86400, std::time(nullptr));
    // Percentages as the page hands them, steps as stored, clamped to the 21 entries.
    for (auto [text, index] : {std::pair{"85%", 3}, {"0%", 20}, {"3", 3}, {"105%", 0}, {"21", 20}})
        EXPECT_EQ(SuccessRateIndex(text), index) << text;
    for (auto [text, index] : {std::pair{"5", 1}, {"1", 1}, {"0", 0}})
        EXPECT_EQ(YesNoIndex(text), index) << text;
    EXPECT_EQ(RelatedChanceQuery(1), "SELECT ChanceName FROM ChanceTable WHERE ObjectDateTime=1");
    EXPECT_EQ(RelatedChanceQuery(0), "SELECT ChanceName FROM ChanceTable");
}
