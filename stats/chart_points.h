// Where the curve chart puts the points of one series: periods evenly spaced to the right of
// the origin, each value scaled so that the series' largest value lies 230 pixels above the
// horizontal axis. Needs no window.
#pragma once

#include <string_view>
#include <vector>

struct ChartPoint {
    int x;
    int y;
};

// Room for this many points per series.
constexpr int kChartMaxPoints = 400;

// Horizontal distance of two periods in whole pixels (at least 1).
int ChartStep(int periods);
// The points of series (1: counts, read as whole numbers; 2 to 7: money, read as decimals
// and cut to whole units) for the first periods of text, at most kChartMaxPoints. A series
// whose largest value is 0 or less lies on the horizontal axis.
std::vector<ChartPoint> ComputeSeriesPoints(int series, int periods, std::string_view text,
                                            int originX, int originY);
