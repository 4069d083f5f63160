// Folding records into periods, with expected rows written out by hand. Runs with
// TZ=Asia/Shanghai (UTC+8).
#include <gtest/gtest.h>

#include "stats/period_aggregation.h"
#include "stats/stat_query.h"
#include "support/local_time.h"

namespace {

// One sales record: date, quantity, then the six money columns.
struct Sale {
    long date;
    double number;
    double money[6];
};

struct Folded {
    std::vector<StatRow> rows;
    StatRow totals;
    std::vector<std::string> series;
    int periods;
};

Folded FoldSales(int unit, const std::vector<Sale>& sales) {
    CPeriodFolder folder(DescribeStat(StatKind::Sale), unit);
    Folded out;
    for (const Sale& s : sales) {
        double values[8] = {static_cast<double>(s.date), s.number};
        for (int i = 0; i < 6; ++i) values[2 + i] = s.money[i];
        folder.AddRecord(values, out.rows);
    }
    folder.Finish(out.rows);
    out.totals = folder.EmitTotalsRow();
    out.series = folder.Series();
    out.periods = folder.Periods();
    return out;
}

using Labels_t = std::vector<std::string>;

Labels_t Labels(const Folded& f) {
    Labels_t cells;
    for (const StatRow& row : f.rows) cells.push_back(row[0]);
    return cells;
}

}  // namespace

TEST(PeriodAggregation, QuarterBoundaryByEveryUnit) {
    const std::vector<Sale> sales = {{LocalTime(2007, 3, 31, 23, 59, 59), 1, {}},
                                     {LocalTime(2007, 4, 1, 0, 0, 0), 1, {}}};
    EXPECT_EQ(Labels(FoldSales(kUnitMonth, sales)), (Labels_t{"2007年03月", "2007年04月"}));
    EXPECT_EQ(Labels(FoldSales(kUnitQuarter, sales)), (Labels_t{"2007年1季度", "2007年2季度"}));
    // Units out of range group by day.
    EXPECT_EQ(Labels(FoldSales(7, sales)), (Labels_t{"2007年03月31日", "2007年04月01日"}));
}

TEST(PeriodAggregation, PeriodEdgesCompareTheYearToo) {
    EXPECT_TRUE(IsNewPeriod(kUnitMonth, LocalTime(2007, 1, 10), LocalTime(2008, 1, 10)));
    EXPECT_TRUE(
        IsNewPeriod(kUnitYear, LocalTime(2007, 12, 31, 23, 59, 59), LocalTime(2008, 1, 1, 0)));
    EXPECT_FALSE(
        IsNewPeriod(kUnitDay, LocalTime(2007, 5, 8, 0, 0, 0), LocalTime(2007, 5, 8, 23, 59, 59)));
    EXPECT_FALSE(IsNewPeriod(kUnitQuarter, LocalTime(2007, 4, 1), LocalTime(2007, 6, 30)));
    EXPECT_TRUE(IsNewPeriod(kUnitQuarter, LocalTime(2007, 6, 30), LocalTime(2007, 7, 1)));
    // Local midnight, not UTC midnight, splits days (08:00 in Shanghai is 00:00 UTC).
    EXPECT_TRUE(IsNewPeriod(kUnitDay, LocalTime(2007, 5, 8, 23), LocalTime(2007, 5, 9, 1)));
    EXPECT_FALSE(IsNewPeriod(kUnitDay, LocalTime(2007, 5, 8, 7), LocalTime(2007, 5, 8, 9)));
}

// Sums above 2^24 keep their units and cents.
TEST(PeriodAggregation, SalesOfOneDayAddUpExactly) {
    const long may10 = LocalTime(2007, 5, 10, 9);
    const Folded f = FoldSales(kUnitDay, {{LocalTime(2007, 5, 8, 9), 2, {1.5, 10, 4, 6, 0, 10}},
                                          {LocalTime(2007, 5, 8, 17), 3, {2.25, 20, 20, 0, 5, 15}},
                                          {may10, 1, {16777215, 0, 0, 0, 0, 0}},
                                          {may10, 1, {1.25, 0, 0, 0, 0, 0}},
                                          {may10, 1, {1.25, 0, 0, 0, 0, 0}}});
    ASSERT_EQ(f.rows.size(), 2u);
    EXPECT_EQ(f.rows[0],
              (StatRow{"2007年05月08日", "5", "3.75", "30.00", "24.00", "6.00", "5.00", "25.00"}));
    EXPECT_EQ(f.rows[1], (StatRow{"2007年05月10日", "3", "16777217.50", "0.00", "0.00", "0.00",
                                  "0.00", "0.00"}));
    EXPECT_EQ(f.totals, (StatRow{"", "合计:8", "合计:16777221.25", "合计:30.00", "合计:24.00",
                                 "合计:6.00", "合计:5.00", "合计:25.00"}));
    EXPECT_EQ(f.periods, 2);
    EXPECT_EQ(f.series[0], "2007年05月08日,2007年05月10日,");
    EXPECT_EQ(f.series[1], "5,3,");
    EXPECT_EQ(f.series[2], "3.75,16777217.50,");
}

TEST(StatQuery, TextsPerPageAndCondition) {
    const StatDescription& sale = DescribeStat(StatKind::Sale);
    EXPECT_EQ(
        BuildStatQuery(sale, 100, 200, 0, ""),
        "SELECT * FROM SaleTable WHERE SaleDate >=100 AND SaleDate <= 200 ORDER BY SaleDate ");
    EXPECT_EQ(BuildStatQuery(sale, 100, 200, 2, "ABC"),
              "SELECT * FROM SaleTable WHERE SaleDate >=100 AND SaleDate <= 200 AND "
              "ProductCharact='ABC' ORDER BY SaleDate ");
    EXPECT_EQ(BuildStatQuery(DescribeStat(StatKind::Chance), -5, 7, 1, "X1"),
              "SELECT * FROM ChanceTable WHERE ChanceDate >=-5 AND ChanceDate <= 7 AND "
              "ProductType='X1' ORDER BY ChanceDate ");
    // Expenses have no product filter, whatever the content.
    EXPECT_EQ(BuildStatQuery(DescribeStat(StatKind::Consume), 1, 2, 0, "ABC"),
              "SELECT * FROM ConsumeTable WHERE ConsumeDate >=1 AND ConsumeDate <= 2 ORDER BY "
              "ConsumeDate ");
    // Apostrophes are doubled, so the content stays one text.
    EXPECT_EQ(BuildStatQuery(sale, 1, 2, 0, "O'Neil' OR ''='"),
              "SELECT * FROM SaleTable WHERE SaleDate >=1 AND SaleDate <= 2 AND "
              "ProductName='O''Neil'' OR ''''=''' ORDER BY SaleDate ");
}

TEST(StatQuery, ContentListOnlyForNamesAndModels) {
    EXPECT_EQ(ContentListQuery(DescribeStat(StatKind::Chance), 1),
              "SELECT DISTINCT ProductType FROM ChanceTable");
    EXPECT_EQ(ContentListQuery(DescribeStat(StatKind::Consume), 0), "");
}
