#include "data/value_format.h"

#include <cstdio>
#include <ctime>

namespace {

struct tm LocalFields(int32_t t) {
    time_t value = t < 1 ? 0 : static_cast<time_t>(t);
    struct tm fields = {};
    if (!localtime_r(&value, &fields)) {
        fields.tm_year = 70;
        fields.tm_mday = 1;
    }
    return fields;
}

}  // namespace

std::string FormatDay(int32_t t) {
    struct tm f = LocalFields(t);
    char text[48];
    std::snprintf(text, sizeof text, "%04d_%02d_%02d", f.tm_year + 1900, f.tm_mon + 1, f.tm_mday);
    return text;
}

std::string FormatDateTime(int32_t t) {
    struct tm f = LocalFields(t);
    char text[64];
    std::snprintf(text, sizeof text, "%04d_%02d_%02d %02d:%02d:%02d", f.tm_year + 1900,
                  f.tm_mon + 1, f.tm_mday, f.tm_hour, f.tm_min, f.tm_sec);
    return text;
}

std::string FormatTimeOfDay(int32_t t) {
    struct tm f = LocalFields(t);
    char text[48];
    std::snprintf(text, sizeof text, "%02d：%02d：%02d", f.tm_hour, f.tm_min, f.tm_sec);
    return text;
}

std::string FormatDuration(long minutes) {
    char text[96];
    std::snprintf(text, sizeof text, "%d天%d小时%d分", static_cast<int>(minutes / 1440),
                  static_cast<int>((minutes / 60) % 24), static_cast<int>(minutes % 60));
    return text;
}

std::string FormatSuccessRate(int step) {
    char text[32];
    std::snprintf(text, sizeof text, "%d%%", (20 - step) * 5);
    return text;
}

std::string FormatDiscount(long v) {
    char text[32];
    std::snprintf(text, sizeof text, "%ld%%", v);
    return text;
}

std::string FormatMoney(double v) {
    char text[400];  // the largest double takes 309 digits before the point
    std::snprintf(text, sizeof text, "%.2f", v);
    return text;
}

std::string FormatYesNo(int v) {
    return v >= 1 ? "是" : "否";
}
