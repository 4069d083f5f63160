#include "records/pages/row_display.h"

#include <gtest/gtest.h>

#include "records/pages/kind_description.h"

namespace {

// 2007-03-01 14:05:09 in Shanghai.
constexpr long kStamp = 1172729109;

FieldValue Num(long n) {
    return {n, 0, {}};
}
FieldValue Real(double r) {
    return {0, r, {}};
}
FieldValue Text(const char* t) {
    return {0, 0, t};
}

}  // namespace

TEST(RowDisplay, SaleRowAndItsRawForm) {
    const KindDescription& sale = DescribeKind(RecordKind::Sale);
    std::vector<FieldValue> v(sale.FieldCount());
    v[0] = Num(kStamp);
    v[1] = Text("O'Brien 合同");
    v[6] = Real(12.5);
    v[7] = Num(3);
    v[8] = Num(85);
    v[18] = Num(5);
    const std::vector<std::string> cells = RowCells(sale, v);
    ASSERT_EQ(cells.size(), 18u);
    EXPECT_EQ(cells[0], "2007_03_01");
    EXPECT_EQ(cells[1], "O'Brien 合同");
    EXPECT_EQ(cells[6], "12.50");
    EXPECT_EQ(cells[7], "3");
    EXPECT_EQ(cells[8], "85%");
    EXPECT_EQ(cells[9], "0.00");
    EXPECT_EQ(RawText(sale, 0, v[0]), "1172729109");
    EXPECT_EQ(RawText(sale, 8, v[8]), "85");
    EXPECT_EQ(RawText(sale, 6, v[6]), "12.50");
}

TEST(RowDisplay, KindSpecificForms) {
    const KindDescription& chance = DescribeKind(RecordKind::Chance);
    const int rate = chance.table.FieldIndex("ChanceRate");
    EXPECT_EQ(DisplayText(chance, rate, Num(1)), "95%");
    EXPECT_EQ(RawText(chance, rate, Num(1)), "95%");
    EXPECT_EQ(ValueFromRaw(chance, rate, "95%").number, 1);
    EXPECT_EQ(DisplayText(chance, chance.table.FieldIndex("ChanceDate"), Num(kStamp)),
              "2007_03_01");

    const KindDescription& consume = DescribeKind(RecordKind::Consume);
    EXPECT_EQ(DisplayText(consume, 3, Num(kStamp)), "2007_03_01");
    EXPECT_EQ(DisplayText(consume, 4, Num(kStamp)), "14：05：09");

    const KindDescription& history = DescribeKind(RecordKind::History);
    EXPECT_EQ(DisplayText(history, 3, Num(kStamp)), "2007_03_01 14:05:09");
    EXPECT_EQ(DisplayText(history, 5, Num(1500)), "1天1小时0分");
    EXPECT_EQ(RawText(history, 5, Num(1500)), "1500");

    const KindDescription& active = DescribeKind(RecordKind::Active);
    std::vector<FieldValue> a(active.FieldCount());
    a[9] = Num(1500);
    a[10] = Text("声音");
    EXPECT_EQ(RowCells(active, a).size(), 8u);
    EXPECT_EQ(DisplayText(active, 9, a[9]), "1天1小时0分");
}

TEST(RowDisplay, UnfinishedFeedBackLeavesEndCellsEmpty) {
    const KindDescription& fb = DescribeKind(RecordKind::FeedBack);
    std::vector<FieldValue> v(fb.FieldCount());
    v[0] = Text("投诉");
    v[7] = Num(0);
    v[8] = Num(kStamp);
    v[9] = Text("已解决");
    std::vector<std::string> cells = RowCells(fb, v);
    EXPECT_EQ(cells[0], "投诉");
    EXPECT_EQ(cells[7], "否");
    EXPECT_EQ(cells[8], "");
    EXPECT_EQ(cells[9], "");
    v[7] = Num(2);
    cells = RowCells(fb, v);
    EXPECT_EQ(cells[7], "是");
    EXPECT_EQ(cells[8], "2007_03_01 14:05:09");
    EXPECT_EQ(cells[9], "已解决");
}
