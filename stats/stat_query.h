// The query texts of the statistics pages.
#pragma once

#include <string>

struct StatDescription;

// The product filter of the 统计条件 combo.
enum StatCondition { kByProductName = 0, kByProductType = 1, kByProductCharact = 2 };

// The records of the statistic dated from start to end (both inclusive), in date order; a
// non-empty content restricts them to that product name, model or feature. Expenses have no
// product filter.
std::string BuildStatQuery(const StatDescription& stat, long start, long end, int condition,
                           const std::string& content);
// The values offered in the 统计内容 list for a condition; empty for one without a list.
std::string ContentListQuery(const StatDescription& stat, int condition);
