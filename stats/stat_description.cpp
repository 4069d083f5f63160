#include "stats/stat_description.h"

namespace {

using K = StatColumnKind;

constexpr StatColumn kSaleColumns[] = {
    {"SaleDate", "销售日期", 100, K::Period}, {"SaleNumber", "数量", 100, K::Count},
    {"SaleMoney", "金额", 100, K::Money},     {"TotalMoney", "总额", 100, K::Money},
    {"PayMent", "已付款", 100, K::Money},     {"UnPayMent", "未付款", 100, K::Money},
    {"MakeInvoice", "已开票", 100, K::Money}, {"UnMakeInvoice", "未开票", 100, K::Money},
};
constexpr StatColumn kChanceColumns[] = {
    {"ChanceDate", "预计销售日期", 160, K::Period},
    {"ChanceNumber", "数量", 100, K::Count},
    {"ChanceMoney", "金额", 100, K::Money},
    {"SaleMoney", "总额", 100, K::Money},
};
constexpr StatColumn kConsumeColumns[] = {
    {"ConsumeDate", "费用发生日期", 180, K::Period},
    {"ConsumeMoney", "金额", 180, K::Money},
};

const StatDescription kStats[kStatKindCount] = {
    {StatKind::Sale, "SaleTable", "SaleDate", kSaleColumns, true, 0, "CSaleStatPage",
     "CSaleStatTableDlg", "销售统计", 37, 88, 33},
    {StatKind::Chance, "ChanceTable", "ChanceDate", kChanceColumns, true, 1, "CChanceStatPage",
     "CChanceStatTableDlg", "机会统计", 30, 82, 35},
    {StatKind::Consume, "ConsumeTable", "ConsumeDate", kConsumeColumns, false, 2,
     "CConsumeStatPage", "CConsumeStatTableDlg", "费用统计", 30, 82, 35},
};

}  // namespace

const StatDescription& DescribeStat(StatKind kind) {
    return kStats[static_cast<int>(kind)];
}
