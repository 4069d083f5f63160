#include "stats/stat_query.h"

#include <cstdio>

#include "records/pages/query_builder.h"
#include "stats/stat_description.h"

namespace {

const char* ConditionField(int condition) {
    switch (condition) {
        case kByProductName:
            return "ProductName";
        case kByProductType:
            return "ProductType";
        case kByProductCharact:
            return "ProductCharact";
        default:
            return nullptr;
    }
}

}  // namespace

std::string BuildStatQuery(const StatDescription& stat, long start, long end, int condition,
                           const std::string& content) {
    const char* field = stat.productFilter ? ConditionField(condition) : nullptr;
    char head[256];
    std::snprintf(head, sizeof head, "SELECT * FROM %s WHERE %s >=%ld AND %s <= %ld", stat.table,
                  stat.dateField, start, stat.dateField, end);
    std::string sql = head;
    if (field && !content.empty()) {
        sql += " AND ";
        sql += field;
        sql += "='";
        sql += QuoteSqlText(content);
        sql += "'";
    }
    sql += " ORDER BY ";
    sql += stat.dateField;
    sql += " ";
    return sql;
}

std::string ContentListQuery(const StatDescription& stat, int condition) {
    if (!stat.productFilter || (condition != kByProductName && condition != kByProductType))
        return {};
    return std::string("SELECT DISTINCT ") + ConditionField(condition) + " FROM " + stat.table;
}
