#include "data/schema.h"

#include <strings.h>

namespace {

constexpr FieldDef kSaleFields[] = {
    {"SaleDate", 2, "销售日期", 100},    {"SaleName", 3, "主题", 80},
    {"ClientName", 3, "相关联系人", 80}, {"ProductName", 3, "产品名", 80},
    {"ProductType", 3, "产品型号", 80},  {"ProductCharact", 3, "产品特征", 80},
    {"ProductPrice", 1, "单价", 80},     {"SaleNumber", 2, "数量", 80},
    {"DisCount", 2, "折扣", 40},         {"SaleMoney", 1, "实际金额", 100},
    {"AgreeMent", 3, "定单合同号", 80},  {"TotalMoney", 1, "总计金额", 110},
    {"InvoiceType", 3, "发票类型", 80},  {"MoneyType", 3, "货币类型", 80},
    {"PayMent", 1, "已付款", 110},       {"UnPayMent", 1, "未付款", 110},
    {"MakeInvoice", 1, "已开票", 110},   {"UnMakeInvoice", 1, "未开票", 110},
    {"ObjectDateTime", 2, "", 0},        {"ClientDateTime", 2, "", 0},
};

constexpr FieldDef kChanceFields[] = {
    {"ChanceName", 3, "主题", 120},
    {"ProductName", 3, "产品名称", 80},
    {"ProductType", 3, "产品型号", 80},
    {"ProductCharact", 3, "产品特征", 80},
    {"Price", 1, "单价", 80},
    {"ChanceNumber", 2, "需求数量", 80},
    {"DisCount", 2, "折扣", 40},
    {"ChanceMoney", 1, "实际金额", 110},
    {"ClientName", 3, "联系人", 80},
    {"CompeteObject", 3, "主要竞争对手", 80},
    {"SaleState", 3, "销售状态", 80},
    {"ChanceRate", 0, "成功概率", 80},
    {"PriceType", 3, "报价单号", 80},
    {"ChanceDate", 2, "预计销售日期", 80},
    {"SaleMoney", 1, "预计销售金额", 110},
    {"ObjectDateTime", 2, "", 0},
    {"ClientDateTime", 2, "", 0},
};

constexpr FieldDef kConsumeFields[] = {
    {"ConsumeName", 3, "主题", 120},      {"ClientName", 3, "相关联系人", 80},
    {"ConsumeChance", 3, "相关机会", 80}, {"ConsumeDate", 2, "发生日期", 80},
    {"ConsumeTime", 2, "发生时间", 80},   {"ConsumeType", 3, "费用类型", 80},
    {"ConsumeMoney", 1, "费用金额", 80},  {"ConsumeExplain", 3, "详细描述", 80},
    {"ObjectDateTime", 2, "", 0},
};

constexpr FieldDef kHistoryFields[] = {
    {"HistoryName", 3, "主题", 120},        {"ClientName", 3, "相关联系人", 80},
    {"HistoryChance", 3, "相关机会", 80},   {"HistoryBeginDate", 2, "开始时间", 150},
    {"HistoryEndDate", 2, "结束时间", 150}, {"HistoryUseDate", 2, "实际持续时间", 80},
    {"HistoryExplain", 3, "详细描述", 80},  {"ObjectDateTime", 2, "", 0},
};

constexpr FieldDef kActiveFields[] = {
    {"ActiveName", 3, "主题", 120},
    {"ActiveType", 3, "活动类型", 80},
    {"ClientName", 3, "相关联系人", 80},
    {"ActiveChance", 3, "相关机会", 80},
    {"ActiveBeginDate", 2, "开始时间", 150},
    {"ActiveEndDate", 2, "结束时间", 150},
    {"ActiveUseDate", 2, "计划持续时间", 80},
    {"ActiveExplain", 3, "活动描述", 80},
    {"ActiveAwoke", 0, "", 0},
    {"ActiveAwokeDate", 2, "", 0},
    {"ActiveAwokeMode", 3, "", 0},
    {"ObjectDateTime", 2, "", 0},
};

constexpr FieldDef kFeedBackFields[] = {
    {"FeedBackName", 3, "主题", 120},
    {"FeedBackDate", 2, "反馈日期", 160},
    {"ClientName", 3, "相关联系人", 80},
    {"ProductName", 3, "产品名称", 80},
    {"ProductType", 3, "产品型号", 80},
    {"FeedBackType", 3, "反馈类型", 80},
    {"FeedBackExplain", 3, "详细描述", 80},
    {"FeedBackEnd", 0, "是否处理结束", 80},
    {"FeedBackEndDate", 2, "处理结束日期", 80},
    {"FeedBackRet", 3, "处理结果描述", 80},
    {"ObjectDateTime", 2, "", 0},
};

constexpr FieldDef kFinanceFields[] = {
    {"BankName", 3, "开户银行", 0},
    {"BankAccounts", 3, "银行帐号", 0},
    {"IncreTaxInvoice", 3, "增值税开票名", 0},
    {"IncreTaxID", 3, "增值税号", 0},
    {"IncreTaxBank", 3, "增值税开户银行", 0},
    {"IncreTaxAccounts", 3, "增值税银行帐号", 0},
    {"IncreTaxTel", 3, "增值税开户电话", 0},
    {"IncreTaxAddr", 3, "增值税开户地址", 0},
    {"ObjectDateTime", 2, "", 0},
};

constexpr FieldDef kObjectParFields[] = {
    {"ObjectParName", 3, "", 0},
    {"ObjectParType", 0, "", 0},
};

const TableDef kKindTables[kRecordKindCount] = {
    {"SaleTable", kSaleFields, 18},      {"ChanceTable", kChanceFields, 15},
    {"ConsumeTable", kConsumeFields, 8}, {"HistoryTable", kHistoryFields, 7},
    {"ActiveTable", kActiveFields, 8},   {"FeedBackTable", kFeedBackFields, 10},
};
const TableDef kFinanceTable = {"FinanceTable", kFinanceFields, 0};
const TableDef kObjectParTable = {"ObjectPar", kObjectParFields, 0};

const TableDef* const kAllTables[] = {
    &kKindTables[0], &kKindTables[1], &kKindTables[2], &kKindTables[3],
    &kKindTables[4], &kKindTables[5], &kFinanceTable,  &kObjectParTable,
};

const IndexDef kIndexes[] = {
    {"SaleTable", "ObjectDateTime"},
    {"ChanceTable", "ObjectDateTime"},
    {"ConsumeTable", "ObjectDateTime"},
    {"HistoryTable", "ObjectDateTime"},
    {"ActiveTable", "ObjectDateTime"},
    {"FeedBackTable", "ObjectDateTime"},
    {"FinanceTable", "ObjectDateTime"},
    {"ObjectPar", "ObjectParType"},
    {"SaleTable", "SaleDate"},
    {"ChanceTable", "ChanceDate"},
    {"ConsumeTable", "ConsumeDate"},
    {"HistoryTable", "HistoryBeginDate"},
    {"HistoryTable", "HistoryEndDate"},
    {"ActiveTable", "ActiveBeginDate"},
    {"ActiveTable", "ActiveEndDate"},
    {"FeedBackTable", "FeedBackDate"},
    {"FeedBackTable", "FeedBackEndDate"},
};

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}

}  // namespace

std::span<const IndexDef> AllIndexes() {
    return kIndexes;
}

bool IsIndexed(std::string_view table, std::string_view column) {
    for (const IndexDef& index : kIndexes)
        if (SameName(table, index.table) && SameName(column, index.column)) return true;
    return false;
}

int TableDef::FieldIndex(std::string_view field) const {
    for (size_t i = 0; i < fields.size(); ++i)
        if (field == fields[i].name) return static_cast<int>(i);
    return -1;
}

const TableDef& KindTable(RecordKind kind) {
    return kKindTables[static_cast<int>(kind)];
}
const TableDef& FinanceTableDef() {
    return kFinanceTable;
}
const TableDef& ObjectParTableDef() {
    return kObjectParTable;
}
std::span<const TableDef* const> AllTables() {
    return kAllTables;
}
