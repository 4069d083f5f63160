#include "tools/orvicrm-db/db_seed.h"

#include <cmath>
#include <cstdio>
#include <ctime>
#include <random>
#include <vector>

#include "tools/orvicrm-db/tool_database.h"

const DemoClient kDemoClients[5] = {
    {101, "张三"}, {102, "李四"}, {103, "王五"}, {104, "赵六"}, {105, "钱七"},
};

namespace {

struct ParamList {
    int kind;
    std::vector<const char*> values;
};

const ParamList kParams[] = {
    {5, {"笔记本电脑", "台式电脑", "激光打印机", "投影仪", "服务器"}},
    {6, {"T400", "X200", "M1500", "P3000", "S900"}},
    {7, {"高性能", "轻薄便携", "节能环保", "静音设计"}},
    {8, {"人民币", "美元", "欧元", "港币"}},
    {9, {"增值税专用发票", "普通发票", "收据"}},
    {10, {"初步接触", "需求分析", "方案报价", "谈判审核", "签约成交", "丢单"}},
    {11, {"交通费", "餐饮费", "招待费", "差旅费", "通讯费"}},
    {12, {"电话拜访", "上门拜访", "产品演示", "客户培训", "商务宴请"}},
    {13, {"产品质量", "售后服务", "送货延迟", "使用咨询", "投诉建议"}},
};

const std::vector<const char*>& Params(int kind) {
    return kParams[kind - 5].values;
}

const char* const kCompetitors[] = {"联想", "惠普", "戴尔", "方正", "清华同方"};
const char* const kAwokeModes[] = {"弹出窗口", "短信", "邮件"};
const char* const kExplains[] = {"客户要求尽快安排", "已电话确认", "需要再次跟进", "客户比较满意",
                                 "等待客户回复"};

// One record being made: values by column name in the table's column order.
class Record {
public:
    explicit Record(const TableDef& table) : m_table(table), m_values(table.fields.size()) {}
    void Clear() {
        for (CellValue& v : m_values) v.type = kCellNull;
    }
    void Int(const char* field, long long v) { At(field) = {kCellInteger, v, 0, {}}; }
    // Amounts are single-precision values with two decimals.
    void Money(const char* field, double v) {
        float f = static_cast<float>(std::round(v * 100) / 100);
        At(field) = {kCellFloat, 0, static_cast<double>(f), {}};
    }
    void Text(const char* field, std::string v) {
        CellValue& value = At(field);
        value.type = kCellText;
        value.text = std::move(v);
    }
    const std::vector<CellValue>& Values() const { return m_values; }

private:
    CellValue& At(const char* field) { return m_values[m_table.FieldIndex(field)]; }
    const TableDef& m_table;
    std::vector<CellValue> m_values;
};

class Generator {
public:
    explicit Generator(unsigned seed) : m_rng(seed) {
        m_from = LocalTime(2006, 1, 1);
        m_to = LocalTime(2010, 12, 31) + 86399;
        m_from2007 = LocalTime(2007, 1, 1);
        m_to2007 = LocalTime(2007, 12, 31) + 86399;
    }
    int Int(int low, int high) { return std::uniform_int_distribution<int>(low, high)(m_rng); }
    double Real(double low, double high) {
        return std::uniform_real_distribution<double>(low, high)(m_rng);
    }
    template <typename List>
    const char* Pick(const List& list) {
        return list[Int(0, static_cast<int>(std::size(list)) - 1)];
    }
    // A calendar time in working hours, 2006 to 2010; every third one in 2007.
    int32_t Time() {
        bool in2007 = Int(0, 2) == 0;
        int32_t day = static_cast<int32_t>(in2007 ? Real(m_from2007, m_to2007 - 86400)
                                                  : Real(m_from, m_to - 86400));
        int32_t midnight = day - Seconds(day);
        return midnight + Int(8, 17) * 3600 + Int(0, 59) * 60 + Int(0, 59);
    }

private:
    static int32_t LocalTime(int year, int month, int day) {
        struct tm fields = {};
        fields.tm_year = year - 1900;
        fields.tm_mon = month - 1;
        fields.tm_mday = day;
        fields.tm_isdst = -1;
        return static_cast<int32_t>(mktime(&fields));
    }
    static int Seconds(int32_t t) {  // seconds since local midnight
        time_t value = t;
        struct tm fields = {};
        localtime_r(&value, &fields);
        return fields.tm_hour * 3600 + fields.tm_min * 60 + fields.tm_sec;
    }
    std::mt19937 m_rng;
    int32_t m_from, m_to, m_from2007, m_to2007;
};

std::string Numbered(const char* prefix, long n) {
    char text[64];
    std::snprintf(text, sizeof text, "%s%04ld", prefix, n);
    return text;
}

// Fills record with a plausible record of kind for the client; chances are the names
// of the client's opportunities (may be empty).
void MakeRecord(RecordKind kind, Generator& g, const DemoClient& client, long n,
                const std::vector<std::string>& chances, Record* record) {
    record->Clear();
    record->Text("ClientName", client.name);
    record->Int("ObjectDateTime", client.key);
    std::string chance = chances.empty() ? "" : chances[n % chances.size()];
    switch (kind) {
        case RecordKind::Sale: {
            const char* product = g.Pick(Params(5));
            record->Int("SaleDate", g.Time());
            record->Text("SaleName", std::string(product) + "销售" + Numbered("", n));
            record->Text("ProductName", product);
            record->Text("ProductType", g.Pick(Params(6)));
            record->Text("ProductCharact", g.Pick(Params(7)));
            double price = g.Int(8, 200) * 50.0;
            int number = g.Int(1, 50);
            int discount = g.Int(14, 20) * 5;
            double money = price * number * discount / 100;
            double paid = std::floor(money * g.Int(0, 10) / 10);
            double invoiced = std::floor(money * g.Int(0, 10) / 10);
            record->Money("ProductPrice", price);
            record->Int("SaleNumber", number);
            record->Int("DisCount", discount);
            record->Money("SaleMoney", money);
            record->Text("AgreeMent", Numbered("HT2007-", n + 1));
            record->Money("TotalMoney", money);
            record->Text("InvoiceType", g.Pick(Params(9)));
            record->Text("MoneyType", g.Pick(Params(8)));
            record->Money("PayMent", paid);
            record->Money("UnPayMent", money - paid);
            record->Money("MakeInvoice", invoiced);
            record->Money("UnMakeInvoice", money - invoiced);
            record->Int("ClientDateTime", 0);
            break;
        }
        case RecordKind::Chance: {
            const char* product = g.Pick(Params(5));
            double price = g.Int(8, 200) * 50.0;
            int number = g.Int(1, 100);
            int discount = g.Int(14, 20) * 5;
            double money = price * number * discount / 100;
            record->Text("ChanceName", std::string(product) + "采购项目" + Numbered("", n + 1));
            record->Text("ProductName", product);
            record->Text("ProductType", g.Pick(Params(6)));
            record->Text("ProductCharact", g.Pick(Params(7)));
            record->Money("Price", price);
            record->Int("ChanceNumber", number);
            record->Int("DisCount", discount);
            record->Money("ChanceMoney", money);
            record->Text("CompeteObject", g.Pick(kCompetitors));
            record->Text("SaleState", g.Pick(Params(10)));
            record->Int("ChanceRate", g.Int(0, 20));
            record->Text("PriceType", Numbered("BJ", n + 1));
            record->Int("ChanceDate", g.Time());
            record->Money("SaleMoney", money * g.Int(8, 12) / 10);
            record->Int("ClientDateTime", 0);
            break;
        }
        case RecordKind::Consume: {
            const char* type = g.Pick(Params(11));
            int32_t t = g.Time();
            record->Text("ConsumeName", std::string(type) + "报销");
            record->Text("ConsumeChance", chance);
            record->Int("ConsumeDate", t);
            record->Int("ConsumeTime", t);
            record->Text("ConsumeType", type);
            record->Money("ConsumeMoney", g.Int(20, 3000) + g.Int(0, 99) / 100.0);
            record->Text("ConsumeExplain", g.Pick(kExplains));
            break;
        }
        case RecordKind::History: {
            int32_t begin = g.Time();
            int minutes = g.Int(1, 8) * 15 + (g.Int(0, 9) == 0 ? 1440 : 0);
            record->Text("HistoryName", Numbered("电话沟通", n + 1));
            record->Text("HistoryChance", chance);
            record->Int("HistoryBeginDate", begin);
            record->Int("HistoryEndDate", begin + minutes * 60);
            record->Int("HistoryUseDate", minutes);
            record->Text("HistoryExplain", g.Pick(kExplains));
            break;
        }
        case RecordKind::Active: {
            const char* type = g.Pick(Params(12));
            int32_t begin = g.Time();
            int minutes = g.Int(2, 16) * 30;
            int awoke = g.Int(0, 1);
            record->Text("ActiveName", std::string(type) + Numbered("", n + 1));
            record->Text("ActiveType", type);
            record->Text("ActiveChance", chance);
            record->Int("ActiveBeginDate", begin);
            record->Int("ActiveEndDate", begin + minutes * 60);
            record->Int("ActiveUseDate", minutes);
            record->Text("ActiveExplain", g.Pick(kExplains));
            record->Int("ActiveAwoke", awoke);
            record->Int("ActiveAwokeDate", awoke ? g.Int(1, 4) * 15 : 0);
            record->Text("ActiveAwokeMode", awoke ? g.Pick(kAwokeModes) : "");
            break;
        }
        case RecordKind::FeedBack: {
            const char* type = g.Pick(Params(13));
            int32_t t = g.Time();
            int done = g.Int(0, 2) > 0 ? 1 : 0;
            record->Text("FeedBackName", std::string(type) + "反馈");
            record->Int("FeedBackDate", t);
            record->Text("ProductName", g.Pick(Params(5)));
            record->Text("ProductType", g.Pick(Params(6)));
            record->Text("FeedBackType", type);
            record->Text("FeedBackExplain", g.Pick(kExplains));
            record->Int("FeedBackEnd", done);
            if (done) {
                record->Int("FeedBackEndDate", t + g.Int(1, 10) * 86400);
                record->Text("FeedBackRet", "已处理，客户满意");
            }
            break;
        }
    }
}

// Opens the database for one transaction of seeding.
std::unique_ptr<ToolDatabase> OpenForSeeding(const std::string& location, std::string* error) {
    std::unique_ptr<ToolDatabase> db = OpenWithTables(location, error);
    return db && db->Begin(error) ? std::move(db) : nullptr;
}

}  // namespace

bool SeedDemo(const std::string& location, std::string* error) {
    std::unique_ptr<ToolDatabase> db = OpenForSeeding(location, error);
    if (!db) return false;
    for (const ParamList& list : kParams) {
        for (const char* value : list.values) {
            const CellValue param[] = {{kCellText, 0, 0, value}, {kCellInteger, list.kind, 0, {}}};
            if (!db->AppendIfMissing(ObjectParTableDef(), param, error)) return false;
        }
    }

    Generator g(2007);
    // Records per client for Sale, Chance, Consume, History, Active, FeedBack.
    const int counts[kRecordKindCount] = {8, 4, 6, 5, 4, 4};
    for (const DemoClient& client : kDemoClients) {
        std::vector<std::string> chances;
        for (int k = 0; k < kRecordKindCount; ++k) {
            RecordKind kind = static_cast<RecordKind>(k);
            Record record(KindTable(kind));
            for (long n = 0; n < counts[k]; ++n) {
                MakeRecord(kind, g, client, n, chances, &record);
                if (kind == RecordKind::Chance) chances.push_back(record.Values()[0].text);
                if (!db->Append(KindTable(kind), record.Values(), error)) return false;
            }
        }
    }
    return db->Commit(error);
}

bool SeedGenerated(const std::string& location, RecordKind kind, long n, int clientKey,
                   std::string* error) {
    DemoClient client = {clientKey, "客户"};
    for (const DemoClient& demo : kDemoClients)
        if (demo.key == clientKey) client = demo;
    std::unique_ptr<ToolDatabase> db = OpenForSeeding(location, error);
    if (!db) return false;
    Generator g(static_cast<unsigned>(clientKey) * 7919u + static_cast<unsigned>(kind));
    std::vector<std::string> chances = {"笔记本电脑采购项目0001", "服务器采购项目0002"};
    Record record(KindTable(kind));
    for (long i = 0; i < n; ++i) {
        MakeRecord(kind, g, client, i, chances, &record);
        if (!db->Append(KindTable(kind), record.Values(), error)) return false;
    }
    return db->Commit(error);
}
