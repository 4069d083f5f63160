#include "params/param_kinds.h"

#include <cstdio>

namespace {

const char* const kKindNames[] = {
    "行业",         "客户类型", "客户来源", "客户状态", "规模",
    "产品名称",     "产品型号", "产品特征", "货币类型", "发票类型",
    "销售流程状态", "费用类型", "活动类型", "反馈类型", "联系人组名",
};

constexpr ParamColumn kProductName[] = {
    {"SaleTable", "ProductName"}, {"ChanceTable", "ProductName"}, {"FeedBackTable", "ProductName"}};
constexpr ParamColumn kProductType[] = {
    {"SaleTable", "ProductType"}, {"ChanceTable", "ProductType"}, {"FeedBackTable", "ProductType"}};
constexpr ParamColumn kProductCharact[] = {{"SaleTable", "ProductCharact"},
                                           {"ChanceTable", "ProductCharact"}};
constexpr ParamColumn kMoneyType[] = {{"SaleTable", "MoneyType"}};
constexpr ParamColumn kInvoiceType[] = {{"SaleTable", "InvoiceType"}};
constexpr ParamColumn kSaleState[] = {{"ChanceTable", "SaleState"}};
constexpr ParamColumn kConsumeType[] = {{"ConsumeTable", "ConsumeType"}};
constexpr ParamColumn kActiveType[] = {{"ActiveTable", "ActiveType"}};
constexpr ParamColumn kFeedBackType[] = {{"FeedBackTable", "FeedBackType"}};

}  // namespace

const char* ParamKindName(int kind) {
    if (kind < 0 || kind >= static_cast<int>(std::size(kKindNames))) return "";
    return kKindNames[kind];
}

std::span<const ParamColumn> ParamKindColumns(int kind) {
    switch (kind) {
        case kParamProductName:
            return kProductName;
        case kParamProductType:
            return kProductType;
        case kParamProductCharact:
            return kProductCharact;
        case kParamMoneyType:
            return kMoneyType;
        case kParamInvoiceType:
            return kInvoiceType;
        case kParamSaleState:
            return kSaleState;
        case kParamConsumeType:
            return kConsumeType;
        case kParamActiveType:
            return kActiveType;
        case kParamFeedBackType:
            return kFeedBackType;
        default:
            return {};
    }
}

std::string ParamKindQuery(int kind) {
    char sql[96];
    std::snprintf(sql, sizeof sql, "SELECT * FROM %s WHERE %s=%d", "ObjectPar", "ObjectParType",
                  kind);
    return sql;
}
