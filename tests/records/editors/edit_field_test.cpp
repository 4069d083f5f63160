#include "records/editors/edit_field.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

// The editors' own limits are checked through each editor; here the forms of the text.
TEST(EditFieldCheck, LimitsOnBothSides) {
    const EditField discount{.label = "折    扣：", .control = EditControl::Integer, .high = 100};
    const EditField price{.label = "单    价：", .control = EditControl::Amount, .high = 99999999};
    const EditField subject{.label = "销售主题：", .maxLength = 127};
    std::string wide127;
    for (int i = 0; i < 127; ++i) wide127 += "销";
    const std::tuple<const EditField&, std::vector<std::string>, std::string> cases[] = {
        {discount, {"0", " 100 "}, ""},
        {discount, {"101", "-1", "", "5a", "99999999999"}, "折扣：请输入 0 到 100 之间的整数。"},
        {price, {"99999999", "1234.5"}, ""},
        {price,
         {"100000000", "-0.01", "1.2.3", "1e3", "nan"},
         "单价：请输入 0 到 99999999 之间的数。"},
        {subject, {wide127}, ""},  // characters are counted, not bytes
        {subject, {wide127 + "销"}, "销售主题：请输入不超过 127 个字符。"}};
    for (const auto& [field, texts, message] : cases)
        for (const std::string& text : texts) EXPECT_EQ(CheckTyped(field, text), message) << text;
}

// The forms the editor windows do not reach: the largest amount, the local day, the clamps.
TEST(EditFieldValues, AmountsTheLocalDaySuccessRatesAndYesNo) {
    EXPECT_EQ(ShowAmount(99999999.0), "99999999");
    // 2007-03-01 02:00 in Shanghai is still 2007-02-28 in UTC: the day is the local one.
    EXPECT_EQ(LocalDayStart(1172685600), 1172678400);
    EXPECT_EQ(LocalDayStart(1172678400), 1172678400);
    EXPECT_EQ(LocalDayStart(1172678399), 1172678400 - 86400);
    // Percentages as the page hands them, steps as stored, clamped to the 21 entries.
    for (auto [text, index] : {std::pair{"85%", 3}, {"0%", 20}, {"3", 3}, {"105%", 0}, {"21", 20}})
        EXPECT_EQ(SuccessRateIndex(text), index) << text;
    for (auto [text, index] : {std::pair{"5", 1}, {"1", 1}, {"0", 0}})
        EXPECT_EQ(YesNoIndex(text), index) << text;
}
