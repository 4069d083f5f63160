#include "stats/chart_points.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/decimal_text.h"

namespace {

constexpr float kScalePerPixel = 0.0043478259f;  // 1 / 230: the largest value's height

int32_t ReadValue(int series, std::string_view text) {
    if (series == 1) return DecimalTextToInt(text);
    const std::string number(text.substr(0, text.find(',')));
    const double value = std::strtod(number.c_str(), nullptr);
    if (!(value > INT32_MIN && value < INT32_MAX)) return value > 0 ? INT32_MAX : INT32_MIN;
    return static_cast<int32_t>(value);
}

}  // namespace

int ChartStep(int periods) {
    if (periods <= 0) return 0;
    return std::max(1, static_cast<int>(static_cast<float>(kChartMaxPoints) / periods));
}

std::vector<ChartPoint> ComputeSeriesPoints(int series, int periods, std::string_view text,
                                            int originX, int originY) {
    const int count = std::clamp(periods, 0, kChartMaxPoints);
    const int step = ChartStep(periods);
    std::vector<int32_t> values(count, 0);
    int32_t largest = 0;
    for (int i = 0; i < count; ++i) {
        values[i] = ReadValue(series, text);
        largest = std::max(largest, values[i]);
        const size_t comma = text.find(',');
        text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
    }
    const float scale = static_cast<float>(largest) * kScalePerPixel;
    std::vector<ChartPoint> points(count);
    for (int i = 0; i < count; ++i) {
        points[i].x = originX + step * i;
        // Far-off negative values are kept in a range the painter can draw.
        const float height = scale > 0 ? std::clamp(values[i] / scale, -1e6f, 1e6f) : 0.0f;
        points[i].y = originY - static_cast<int>(height);
    }
    return points;
}
