#include "records/pages/kind_description.h"

#include <cstring>

namespace {

constexpr FieldRule Day(const char* f) {
    return {f, ShowForm::Day, MatchForm::DateRange, ContentForm::Today};
}
constexpr FieldRule Stamp(const char* f) {
    return {f, ShowForm::DateTime, MatchForm::DateRange, ContentForm::Today};
}
constexpr FieldRule Params(const char* f, int kind) {
    return {f, ShowForm::ByType, MatchForm::Like, ContentForm::Params, kind};
}
constexpr FieldRule Show(const char* f, ShowForm show) {
    return {f, show};
}
constexpr FieldRule Match(const char* f, MatchForm match) {
    return {f, ShowForm::ByType, match};
}

constexpr FieldRule kSaleRules[] = {
    Day("SaleDate"),
    Params("ProductName", 5),
    Params("ProductType", 6),
    Match("SaleNumber", MatchForm::Positive),
    {"DisCount", ShowForm::Discount, MatchForm::Percent},
    Params("InvoiceType", 9),
    Params("MoneyType", 8),
};

constexpr FieldRule kChanceRules[] = {
    Params("ProductName", 5),
    Params("ProductType", 6),
    Match("ChanceNumber", MatchForm::NonNegative),
    {"DisCount", ShowForm::Discount, MatchForm::Percent},
    Params("SaleState", 10),
    {"ChanceRate", ShowForm::SuccessRate, MatchForm::SuccessRate},
    Day("ChanceDate"),
};

constexpr FieldRule kConsumeRules[] = {
    Day("ConsumeDate"),
    Show("ConsumeTime", ShowForm::TimeOfDay),
    Params("ConsumeType", 11),
};

constexpr FieldRule kHistoryRules[] = {
    Stamp("HistoryBeginDate"),
    Stamp("HistoryEndDate"),
    Show("HistoryUseDate", ShowForm::Duration),
};

constexpr FieldRule kActiveRules[] = {
    Stamp("ActiveBeginDate"),
    Stamp("ActiveEndDate"),
    Show("ActiveUseDate", ShowForm::Duration),
    Show("ActiveAwokeDate", ShowForm::Duration),
};

constexpr FieldRule kFeedBackRules[] = {
    Stamp("FeedBackDate"),
    Params("ProductName", 5),
    Params("ProductType", 6),
    Params("FeedBackType", 13),
    {"FeedBackEnd", ShowForm::YesNoEnd, MatchForm::YesNo, ContentForm::YesNo},
    Stamp("FeedBackEndDate"),
};

constexpr const char* kDayFormat = "%04d_%02d_%02d";
constexpr const char* kMoveFail = "移动到第%d条记录失败";
constexpr const char* kMoveFailShort = "移动到%d条记录失败";

constexpr FieldRule kDefaultRule = {""};

const FieldRule* FindRule(std::span<const FieldRule> rules, const char* field) {
    for (const FieldRule& rule : rules)
        if (std::strcmp(rule.field, field) == 0) return &rule;
    return &kDefaultRule;
}

struct KindList {
    KindDescription kinds[kRecordKindCount];
    KindList();
};

KindList::KindList()
    : kinds{
          {RecordKind::Sale, KindTable(RecordKind::Sale), "CSalePage", "销售", "销售资料",
           kSaleRules, 1, kDayFormat, kMoveFail, "创建记录失败！", true, false},
          {RecordKind::Chance, KindTable(RecordKind::Chance), "CChancePage", "机会", "机会资料",
           kChanceRules, 0, kDayFormat, kMoveFail, "", false, true},
          {RecordKind::Consume, KindTable(RecordKind::Consume), "CConsumePage", "费用", "费用资料",
           kConsumeRules, 0, kDayFormat, kMoveFailShort, "", false, false},
          {RecordKind::History, KindTable(RecordKind::History), "CHistoryPage", "历史", "历史资料",
           kHistoryRules, 0, "%04d_%02d_%2d", kMoveFail, "", false, true},
          {RecordKind::Active, KindTable(RecordKind::Active), "CActivePage", "活动", "活动资料",
           kActiveRules, 0, kDayFormat, kMoveFail, "", false, true},
          {RecordKind::FeedBack, KindTable(RecordKind::FeedBack), "CFeedBackPage", "反馈",
           "反馈资料", kFeedBackRules, 0, kDayFormat, kMoveFailShort, "", false, true, true},
      } {
    for (KindDescription& kind : kinds)
        for (const FieldDef& field : kind.table.fields)
            kind.fieldRules.push_back(FindRule(kind.rules, field.name));
}

}  // namespace

const KindDescription& DescribeKind(RecordKind kind) {
    static const KindList list;
    return list.kinds[static_cast<int>(kind)];
}
