#include "records/pages/query_builder.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <map>

#include "records/pages/kind_description.h"
#include "support/temp_dir.h"

namespace {

const KindDescription& Sale() {
    return DescribeKind(RecordKind::Sale);
}
const KindDescription& Chance() {
    return DescribeKind(RecordKind::Chance);
}

ContactChoice Contacts(std::vector<std::string> entries, size_t picked,
                       std::map<std::string, long> keys) {
    ContactChoice c;
    c.entries = std::move(entries);
    c.pickedKeyCount = picked;
    c.clientKey = [keys](const std::string& name) {
        auto it = keys.find(name);
        return it == keys.end() ? 0L : it->second;
    };
    return c;
}

// The query of content typed for the field with the given heading, with no contact.
BuiltQuery Query(const KindDescription& kind, const char* heading, const std::string& content,
                 const std::string& contact = "", const ContactChoice& contacts = {}) {
    QueryInput in;
    for (int i = 0; i < kind.ColumnCount(); ++i)
        if (std::string(kind.table.fields[i].heading) == heading) in.condIndex = i;
    EXPECT_GE(in.condIndex, 0) << heading;
    in.content = content;
    in.contact = contact;
    return BuiltQuery(BuildQuery(kind, in, contacts));
}

std::string Sql(const KindDescription& kind, const char* heading, const std::string& content) {
    BuiltQuery q = Query(kind, heading, content);
    return q.outcome == QueryOutcome::Load ? q.sql : "no load";
}

}  // namespace

TEST(KindDescription, RulesNameFieldsOfTheirTable) {
    for (int k = 0; k < kRecordKindCount; ++k) {
        const KindDescription& kind = DescribeKind(static_cast<RecordKind>(k));
        for (const FieldRule& rule : kind.rules)
            EXPECT_GE(kind.table.FieldIndex(rule.field), 0) << kind.pageClass << rule.field;
        EXPECT_STREQ(kind.table.fields[kind.firstCondition].heading, "主题");
        EXPECT_GE(kind.ClientNameIndex(), 0);
    }
}

TEST(QueryBuilder, FieldConditionsOfEveryForm) {
    EXPECT_EQ(Sql(Sale(), "主题", "  abc "), "SELECT * FROM SaleTable WHERE SaleName LIKE '%abc%'");
    EXPECT_EQ(Sql(Sale(), "单价", "12.5"),
              "SELECT * FROM SaleTable WHERE ProductPrice LIKE '%12.5%'");
    EXPECT_EQ(Sql(Sale(), "数量", "7x"), "SELECT * FROM SaleTable WHERE SaleNumber=7");
    EXPECT_EQ(Sql(Sale(), "折扣", "100"), "SELECT * FROM SaleTable WHERE DisCount=100");
    EXPECT_EQ(Sql(Sale(), "销售日期", "2007"),
              "SELECT * FROM SaleTable WHERE SaleDate >=1167580800 AND SaleDate<=1199116799");
    EXPECT_EQ(Sql(DescribeKind(RecordKind::Consume), "发生日期", "2007-1-1"),
              "SELECT * FROM ConsumeTable WHERE ConsumeDate >=1167580800 AND "
              "ConsumeDate<=1167667199");
    EXPECT_EQ(Sql(Chance(), "需求数量", "0"), "SELECT * FROM ChanceTable WHERE ChanceNumber=0");
    EXPECT_EQ(Sql(Chance(), "成功概率", "95"), "SELECT * FROM ChanceTable WHERE ChanceRate=1");
    EXPECT_EQ(Sql(Chance(), "成功概率", "100"), "SELECT * FROM ChanceTable WHERE ChanceRate=0");
    EXPECT_EQ(Sql(Chance(), "成功概率", "0"), "SELECT * FROM ChanceTable WHERE ChanceRate=20");
    const KindDescription& feedBack = DescribeKind(RecordKind::FeedBack);
    EXPECT_EQ(Sql(feedBack, "是否处理结束", "是"),
              "SELECT * FROM FeedBackTable WHERE FeedBackEnd=1");
    EXPECT_EQ(Sql(feedBack, "是否处理结束", "否"),
              "SELECT * FROM FeedBackTable WHERE (FeedBackEnd=0 OR FeedBackEnd IS NULL)");
    EXPECT_EQ(Sql(DescribeKind(RecordKind::History), "开始时间", "2007_01_ 1"),
              "SELECT * FROM HistoryTable WHERE HistoryBeginDate >=1167580800 AND "
              "HistoryBeginDate<=1167667199");
}

TEST(QueryBuilder, RejectedContents) {
    for (const char* n : {"0", "-3", "abc"})
        EXPECT_EQ(Query(Sale(), "数量", n).outcome, QueryOutcome::RejectedNumber) << n;
    for (const char* n : {"0", "101", "-1", "99999999999999999999"}) {
        EXPECT_EQ(Query(Sale(), "折扣", n).outcome, QueryOutcome::RejectedNumber) << n;
        EXPECT_EQ(Query(Chance(), "折扣", n).outcome, QueryOutcome::RejectedNumber) << n;
    }
    EXPECT_EQ(Query(Chance(), "需求数量", "-1").outcome, QueryOutcome::RejectedNumber);
    for (const char* d : {"1970", "2030", "07-5-3", "today"})
        EXPECT_EQ(Query(Sale(), "销售日期", d).outcome, QueryOutcome::Rejected) << d;
    QueryInput noField;
    noField.content = "abc";
    EXPECT_EQ(BuildQuery(Sale(), noField, {}).outcome, QueryOutcome::Rejected);
    EXPECT_TRUE(Chance().emptyOnRejectedNumber);
    EXPECT_FALSE(Sale().emptyOnRejectedNumber);
}

TEST(QueryBuilder, SaleContactConditions) {
    ContactChoice c = Contacts({"张三", "李四", "全部"}, 3, {{"张三", 3}, {"李四", 4}});
    EXPECT_EQ(Query(Sale(), "主题", "", "张三", c).sql,
              "SELECT * FROM SaleTable WHERE  ObjectDateTime=3");
    EXPECT_EQ(Query(Sale(), "主题", "abc", "全部", c).sql,
              "SELECT * FROM SaleTable WHERE SaleName LIKE '%abc%' AND ( ObjectDateTime=3  OR  "
              "ObjectDateTime=4 )");
    EXPECT_EQ(Query(Sale(), "主题", "", "全部", c).sql,
              "SELECT * FROM SaleTable WHERE  ObjectDateTime=3  OR  ObjectDateTime=4 ");
    EXPECT_EQ(Query(Sale(), "主题", "abc", "O'Brien", c).sql,
              "SELECT * FROM SaleTable WHERE SaleName LIKE '%abc%' AND  ClientName='O''Brien'");

    // More entries than picked keys, or only "全部": every client.
    EXPECT_EQ(Query(Sale(), "主题", "", "全部", Contacts({"张三", "李四", "全部"}, 2, {})).sql,
              "SELECT * FROM SaleTable");
    EXPECT_EQ(Query(Sale(), "主题", "", "全部", Contacts({"全部"}, 5, {})).sql,
              "SELECT * FROM SaleTable");
    // Entries without a key are skipped; none left adds nothing, not even the bracket.
    EXPECT_EQ(
        Query(Sale(), "主题", "x", "全部", Contacts({"甲", "乙", "全部"}, 3, {{"乙", 9}})).sql,
        "SELECT * FROM SaleTable WHERE SaleName LIKE '%x%' AND ( ObjectDateTime=9 )");
    EXPECT_EQ(Query(Sale(), "主题", "x", "全部", Contacts({"甲", "乙", "全部"}, 3, {})).sql,
              "SELECT * FROM SaleTable WHERE SaleName LIKE '%x%'");

    QueryInput disabled;
    disabled.condIndex = Sale().ClientNameIndex();
    disabled.content = "张三";
    disabled.contact = "李四";
    disabled.contactEnabled = false;
    EXPECT_EQ(BuildQuery(Sale(), disabled, c).sql,
              "SELECT * FROM SaleTable WHERE ClientName LIKE '%张三%'");
}

TEST(QueryBuilder, OtherKindsUseOneContactOnly) {
    ContactChoice c = Contacts({"张三", "李四", "全部"}, 3, {{"张三", 3}, {"李四", 4}});
    const KindDescription& active = DescribeKind(RecordKind::Active);
    EXPECT_EQ(Query(active, "主题", "", "全部", c).sql, "SELECT * FROM ActiveTable");
    EXPECT_EQ(Query(active, "主题", "a", "李四", c).sql,
              "SELECT * FROM ActiveTable WHERE ActiveName LIKE '%a%' AND  ObjectDateTime=4");
    EXPECT_EQ(Query(DescribeKind(RecordKind::FeedBack), "是否处理结束", "否", "王五", c).sql,
              "SELECT * FROM FeedBackTable WHERE (FeedBackEnd=0 OR FeedBackEnd IS NULL) AND  "
              "ClientName='王五'");
    EXPECT_EQ(InitialQuery(active, -3), "SELECT * FROM ActiveTable WHERE ObjectDateTime=0");
    EXPECT_EQ(InitialQuery(Sale(), 42), "SELECT * FROM SaleTable WHERE ObjectDateTime=42");
}

// User text reaches the database only as the literal it is.
TEST(QueryBuilder, ApostrophesInUserTextStayLiteral) {
    TempModuleFolder temp;
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(temp.CreateDatabase().c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db,
                           "INSERT INTO SaleTable (SaleName, ClientName, ObjectDateTime) VALUES "
                           "('O''Brien deal', 'O''Brien', 0), ('other', 'x', 0)",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    auto count = [&](const std::string& sql) {
        int rows = 0;
        char* error = nullptr;
        int rc = sqlite3_exec(
            db, sql.c_str(),
            [](void* n, int, char**, char**) { return ++*static_cast<int*>(n), 0; }, &rows, &error);
        sqlite3_free(error);
        return rc == SQLITE_OK ? rows : -1;
    };
    EXPECT_EQ(count(Query(Sale(), "主题", "O'Brien").sql), 1);
    EXPECT_EQ(count(Query(Sale(), "主题", "", "O'Brien", Contacts({}, 0, {})).sql), 1);
    EXPECT_EQ(count(Query(Sale(), "主题", "x'; DROP TABLE SaleTable; --").sql), 0);
    EXPECT_EQ(count(Query(Sale(), "主题", "", "x' OR '1'='1", Contacts({}, 0, {})).sql), 0);
    EXPECT_EQ(count("SELECT * FROM SaleTable"), 2);
    sqlite3_close(db);
}
