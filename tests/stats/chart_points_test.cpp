#include <gtest/gtest.h>

#include "stats/chart_points.h"

namespace {

std::vector<int> Xs(const std::vector<ChartPoint>& points) {
    std::vector<int> xs;
    for (const ChartPoint& p : points) xs.push_back(p.x);
    return xs;
}
std::vector<int> Heights(const std::vector<ChartPoint>& points, int originY) {
    std::vector<int> ys;
    for (const ChartPoint& p : points) ys.push_back(originY - p.y);
    return ys;
}

}  // namespace

TEST(ChartPoints, StepIsWholePixels) {
    EXPECT_EQ(Xs(ComputeSeriesPoints(1, 3, "1,2,3,", 20, 250)), (std::vector<int>{20, 153, 286}));
    EXPECT_EQ(ChartStep(7), 57);
    EXPECT_EQ(ComputeSeriesPoints(1, 7, "1,1,1,1,1,1,1,", 20, 250).back().x, 20 + 6 * 57);
    EXPECT_EQ(ChartStep(1), 400);
    EXPECT_EQ(ChartStep(200), 2);
    EXPECT_EQ(ChartStep(201), 1);
    EXPECT_EQ(ChartStep(0), 0);
}

TEST(ChartPoints, LargestValueIs230PixelsHigh) {
    EXPECT_EQ(Heights(ComputeSeriesPoints(2, 3, "10.00,20.00,5.00,", 20, 250), 250),
              (std::vector<int>{115, 230, 57}));
    EXPECT_EQ(Heights(ComputeSeriesPoints(1, 3, "10,20,5,", 20, 250), 250),
              (std::vector<int>{115, 230, 57}));
    // Negative values lie below the axis.
    EXPECT_EQ(Heights(ComputeSeriesPoints(2, 2, "20.00,-10.00,", 20, 250), 250),
              (std::vector<int>{230, -115}));
}

TEST(ChartPoints, CountsReadAsWholeNumbersMoneyCutToUnits) {
    EXPECT_EQ(Heights(ComputeSeriesPoints(1, 2, "12.75,1e3,", 20, 250), 250),
              (std::vector<int>{230, 19}));  // 12 and 1
    EXPECT_EQ(Heights(ComputeSeriesPoints(2, 2, "12.75,1e3,", 20, 250), 250),
              (std::vector<int>{2, 230}));  // 12 and 1000
}

// No largest value above 0: every point on the axis, no division by zero.
TEST(ChartPoints, FlatOrNegativeSeriesLieOnTheAxis) {
    EXPECT_EQ(Heights(ComputeSeriesPoints(2, 3, "0.00,0.00,0.00,", 20, 250), 250),
              (std::vector<int>{0, 0, 0}));
    EXPECT_EQ(Heights(ComputeSeriesPoints(2, 2, "-5.00,-10.00,", 20, 250), 250),
              (std::vector<int>{0, 0}));
}

TEST(ChartPoints, ManyPeriodsAndShortTexts) {
    std::string text;
    for (int i = 0; i < 450; ++i) text += std::to_string(i) + ",";
    const auto points = ComputeSeriesPoints(1, 450, text, 20, 250);
    ASSERT_EQ(points.size(), 400u);
    EXPECT_EQ(points.back().x, 20 + 399);
    EXPECT_EQ(250 - points.back().y, 230);  // 399 is the largest value drawn
    // A text with fewer values than periods reads the missing ones as 0.
    EXPECT_EQ(Heights(ComputeSeriesPoints(1, 3, "4,", 20, 250), 250),
              (std::vector<int>{230, 0, 0}));
    EXPECT_TRUE(ComputeSeriesPoints(1, 0, "", 20, 250).empty());
}
