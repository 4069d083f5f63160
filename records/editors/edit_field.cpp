#include "records/editors/edit_field.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "data/value_format.h"
#include "records/pages/date_text_parser.h"

namespace {

std::string Number(double v) {
    char text[64];
    std::snprintf(text, sizeof text, "%.15g", v);
    return text;
}

std::string RangeMessage(const std::string& name, double low, double high, bool whole) {
    return name + "：请输入 " + Number(low) + " 到 " + Number(high) + " 之间的" +
           (whole ? "整数。" : "数。");
}

bool OnlyBlanks(const char* p) {
    while (*p == ' ' || *p == '\t') ++p;
    return *p == '\0';
}

// Characters of a UTF-8 text (its lead bytes).
size_t CharCount(const std::string& text) {
    size_t n = 0;
    for (unsigned char c : text)
        if ((c & 0xC0) != 0x80) ++n;
    return n;
}

}  // namespace

const char* TitleForMode(const EditorTitles& titles, int mode) {
    return mode == 0 ? titles.add : mode == 1 ? titles.modify : titles.view;
}

std::string FieldName(const EditField& field) {
    std::string name;
    const std::string label = field.label;
    const std::string colon = "：";
    for (size_t i = 0; i < label.size(); ++i) {
        if (label[i] == ' ') continue;
        if (label.compare(i, colon.size(), colon) == 0 || label[i] == ':') break;
        name += label[i];
    }
    return name;
}

bool ParseWholeNumber(const std::string& text, long& out) {
    const char* start = text.c_str();
    char* end = nullptr;
    errno = 0;
    const long long v = std::strtoll(start, &end, 10);
    if (end == start || errno == ERANGE || !OnlyBlanks(end)) return false;
    if (v < INT32_MIN || v > INT32_MAX) return false;
    out = static_cast<long>(v);
    return true;
}

bool ParseAmount(const std::string& text, double& out) {
    const char* start = text.c_str();
    char* end = nullptr;
    errno = 0;
    const double v = std::strtod(start, &end);
    if (end == start || errno == ERANGE || !OnlyBlanks(end) || !std::isfinite(v)) return false;
    // Hexadecimal and exponent forms are not amounts a user types.
    for (const char* p = start; p != end; ++p)
        if (*p == 'x' || *p == 'X' || *p == 'e' || *p == 'E') return false;
    out = v;
    return true;
}

std::string CheckTyped(const EditField& field, const std::string& text) {
    const std::string name = FieldName(field);
    switch (field.control) {
        case EditControl::Text:
        case EditControl::Lookup:
        case EditControl::Contact:
        case EditControl::Related:
            if (field.maxLength > 0 && CharCount(text) > static_cast<size_t>(field.maxLength))
                return name + "：请输入不超过 " + std::to_string(field.maxLength) + " 个字符。";
            return {};
        case EditControl::Integer: {
            long v = 0;
            if (!ParseWholeNumber(text, v) || v < field.low || v > field.high)
                return RangeMessage(name, field.low, field.high, true);
            return {};
        }
        case EditControl::Amount: {
            double v = 0;
            if (!ParseAmount(text, v) || v < field.low || v > field.high)
                return RangeMessage(name, field.low, field.high, false);
            return {};
        }
        default:
            return {};
    }
}

std::string CheckDurationPart(const EditField& field, int part, const std::string& text) {
    static constexpr long kHigh[] = {3650, 24, 60};
    static constexpr const char* kUnit[] = {"天", "小时", "分"};
    long v = 0;
    if (!ParseWholeNumber(text, v) || v < 0 || v > kHigh[part])
        return FieldName(field) + "（" + kUnit[part] + "）：请输入 0 到 " +
               std::to_string(kHigh[part]) + " 之间的整数。";
    return {};
}

std::string StoreNumber(long value) {
    char text[32];
    std::snprintf(text, sizeof text, "%ld", value);
    return text;
}

std::string StoreAmount(double value) {
    return FormatMoney(value);
}

std::string ShowAmount(double value) {
    return Number(value);
}

std::string ShowNumber(long value) {
    return StoreNumber(value);
}

long TextToLong(const std::string& text) {
    return std::strtol(text.c_str(), nullptr, 10);
}

double TextToDouble(const std::string& text) {
    return std::strtod(text.c_str(), nullptr);
}

long DurationMinutes(long days, long hours, long minutes) {
    return (days * 24 + hours) * 60 + minutes;
}

DurationParts SplitDuration(long minutes) {
    return {minutes / 1440, (minutes / 60) % 24, minutes % 60};
}

std::span<const char* const> SuccessRateEntries() {
    static constexpr const char* kEntries[] = {"100%", "95%", "90%", "85%", "80%", "75%", "70%",
                                               "65%",  "60%", "55%", "50%", "45%", "40%", "35%",
                                               "30%",  "25%", "20%", "15%", "10%", "5%",  "0%"};
    return kEntries;
}

int SuccessRateIndex(const std::string& text) {
    const long value = TextToLong(text);
    const long index = text.find('%') != std::string::npos ? (100 - value) / 5 : value;
    const long last = static_cast<long>(SuccessRateEntries().size()) - 1;
    return static_cast<int>(index < 0 ? 0 : index > last ? last : index);
}

int YesNoIndex(const std::string& text) {
    return TextToLong(text) >= 1 ? 1 : 0;
}

std::string RelatedChanceQuery(long contactKey) {
    char sql[128];
    if (contactKey >= 1)
        std::snprintf(sql, sizeof sql, "SELECT ChanceName FROM %s WHERE ObjectDateTime=%ld",
                      "ChanceTable", contactKey);
    else
        std::snprintf(sql, sizeof sql, "SELECT ChanceName FROM %s", "ChanceTable");
    return sql;
}

long LocalDayStart(std::time_t t) {
    std::tm tm{};
    localtime_r(&t, &tm);
    return LocalTime(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, 0, 0, 0);
}

long TodayLocalStart() {
    return LocalDayStart(std::time(nullptr));
}

long TodayAtTimeOf(std::time_t clock) {
    std::tm at{};
    localtime_r(&clock, &at);
    const std::time_t now = std::time(nullptr);
    std::tm today{};
    localtime_r(&now, &today);
    return LocalTime(today.tm_year + 1900, today.tm_mon + 1, today.tm_mday, at.tm_hour, at.tm_min,
                     at.tm_sec);
}
