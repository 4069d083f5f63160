#include <gtest/gtest.h>

#include "stats/chart_points.h"

namespace {

// The points' heights above the axis at y 250, the origin at x 20.
std::vector<int> Heights(int type, int periods, const std::string& text) {
    std::vector<int> ys;
    for (const ChartPoint& p : ComputeSeriesPoints(type, periods, text, 20, 250))
        ys.push_back(250 - p.y);
    return ys;
}

}  // namespace

TEST(ChartPoints, StepIsWholePixels) {
    for (const auto& [periods, step] :
         {std::pair{1, 400}, {3, 133}, {7, 57}, {200, 2}, {201, 1}, {0, 0}})
        EXPECT_EQ(ChartStep(periods), step) << periods;
}

// Count series (type 1) read whole numbers, money (type 2) is cut to units.
TEST(ChartPoints, TheLargestValueIs230PixelsHigh) {
    const struct {
        int type, periods;
        const char* text;
        std::vector<int> heights;
    } cases[] = {
        {2, 3, "10.00,20.00,5.00,", {115, 230, 57}},
        {1, 3, "10,20,5,", {115, 230, 57}},
        {2, 2, "20.00,-10.00,", {230, -115}},  // below the axis
        {1, 2, "12.75,1e3,", {230, 19}},       // 12 and 1
        {2, 2, "12.75,1e3,", {2, 230}},        // 12 and 1000
        // No largest value above 0: every point on the axis, no division by zero.
        {2, 3, "0.00,0.00,0.00,", {0, 0, 0}},
        {2, 2, "-5.00,-10.00,", {0, 0}},
        {1, 3, "4,", {230, 0, 0}},  // the values missing read as 0
        {1, 0, "", {}},
    };
    for (const auto& c : cases) EXPECT_EQ(Heights(c.type, c.periods, c.text), c.heights) << c.text;
}

TEST(ChartPoints, AtMost400PeriodsAreDrawn) {
    std::string text;
    for (int i = 0; i < 450; ++i) text += std::to_string(i) + ",";
    const auto points = ComputeSeriesPoints(1, 450, text, 20, 250);
    ASSERT_EQ(points.size(), 400u);
    EXPECT_EQ(points.back().x, 20 + 399);
    EXPECT_EQ(250 - points.back().y, 230);  // 399 is the largest value drawn
}
