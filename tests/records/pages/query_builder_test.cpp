#include "records/pages/query_builder.h"

#include <gtest/gtest.h>

#include <map>

#include "records/pages/kind_description.h"

namespace {

ContactChoice Contacts(std::vector<std::string> entries, size_t picked,
                       const std::map<std::string, long>& keys, bool group = false) {
    ContactChoice c;
    for (const std::string& entry : entries) {
        auto it = keys.find(entry);
        c.entryKeys.push_back(it == keys.end() ? 0L : it->second);
    }
    c.entries = std::move(entries);
    c.pickedKeyCount = picked;
    c.pickedGroup = group;
    return c;
}

// The SQL of content typed for the field with this heading ("no load" when rejected).
std::string Sql(const KindDescription& kind, const char* heading, const std::string& content,
                const std::string& contact = "", const ContactChoice& contacts = {}) {
    QueryInput in;
    for (int i = 0; i < kind.ColumnCount(); ++i)
        if (std::string(kind.table.fields[i].heading) == heading) in.condIndex = i;
    in.content = content;
    in.contact = contact;
    for (size_t i = 0; i < contacts.entries.size() && !in.contactKey; ++i)
        if (contacts.entries[i] == contact) in.contactKey = contacts.entryKeys[i];
    BuiltQuery q = BuildQuery(kind, in, contacts);
    return q.outcome == QueryOutcome::Load ? q.sql : "no load";
}

}  // namespace

TEST(KindDescription, RulesNameFieldsOfTheirTable) {
    for (int k = 0; k < kRecordKindCount; ++k) {
        const KindDescription& kind = DescribeKind(static_cast<RecordKind>(k));
        for (const FieldRule& rule : kind.rules)
            EXPECT_GE(kind.table.FieldIndex(rule.field), 0) << kind.pageClass << rule.field;
        EXPECT_STREQ(kind.table.fields[kind.firstCondition].heading, "主题");
    }
}

TEST(QueryBuilder, FieldConditions) {
    const KindDescription &sale = DescribeKind(RecordKind::Sale),
                          &chance = DescribeKind(RecordKind::Chance);
    EXPECT_EQ(Sql(sale, "单价", " 12.5 "),
              "SELECT * FROM SaleTable WHERE ProductPrice LIKE '%12.5%'");
    EXPECT_EQ(Sql(sale, "数量", "7x"), "SELECT * FROM SaleTable WHERE SaleNumber=7");
    EXPECT_EQ(Sql(sale, "折扣", "100"), "SELECT * FROM SaleTable WHERE DisCount=100");
    EXPECT_EQ(Sql(sale, "销售日期", "2007"),
              "SELECT * FROM SaleTable WHERE SaleDate >=1167580800 AND SaleDate<=1199116799");
    EXPECT_EQ(Sql(DescribeKind(RecordKind::History), "开始时间", "2007_01_ 1"),
              "SELECT * FROM HistoryTable WHERE HistoryBeginDate >=1167580800 AND "
              "HistoryBeginDate<=1167667199");
    EXPECT_EQ(Sql(chance, "成功概率", "100"), "SELECT * FROM ChanceTable WHERE ChanceRate=0");
    EXPECT_EQ(Sql(chance, "成功概率", "0"), "SELECT * FROM ChanceTable WHERE ChanceRate=20");
    EXPECT_EQ(
        Sql(DescribeKind(RecordKind::FeedBack), "是否处理结束", "否", "王五", Contacts({}, 0, {})),
        "SELECT * FROM FeedBackTable WHERE (FeedBackEnd=0 OR FeedBackEnd IS NULL) AND  "
        "ClientName='王五'");
    for (const char* n : {"0", "101", "99999999999999999999"})
        EXPECT_EQ(Sql(chance, "折扣", n), "no load") << n;
    QueryInput noField;
    noField.content = "abc";
    EXPECT_EQ(BuildQuery(sale, noField, {}).outcome, QueryOutcome::Rejected);
    EXPECT_EQ(InitialQuery(sale, -3), "SELECT * FROM SaleTable WHERE ObjectDateTime=0");
}

TEST(QueryBuilder, ContactConditions) {
    const KindDescription& sale = DescribeKind(RecordKind::Sale);
    // A pick of two clients: their names and "全部" in the combo, and a key for each entry.
    ContactChoice c = Contacts({"张三", "李四", "全部"}, 3, {{"张三", 3}, {"李四", 4}});
    EXPECT_EQ(Sql(sale, "主题", "", "张三", c), "SELECT * FROM SaleTable WHERE  ObjectDateTime=3");
    EXPECT_EQ(Sql(sale, "主题", "abc", "全部", c),
              "SELECT * FROM SaleTable WHERE SaleName LIKE '%abc%' AND ( ObjectDateTime=3  OR  "
              "ObjectDateTime=4 )");
    EXPECT_EQ(Sql(sale, "主题", "", "全部", c),
              "SELECT * FROM SaleTable WHERE  ObjectDateTime=3  OR  ObjectDateTime=4 ");
    EXPECT_EQ(Sql(sale, "主题", "a'b", "O'Brien", c),
              "SELECT * FROM SaleTable WHERE SaleName LIKE '%a''b%' AND  ClientName='O''Brien'");
    // More combo entries than picked keys, or only "全部": every client.
    EXPECT_EQ(Sql(sale, "主题", "", "全部", Contacts({"张三", "李四", "全部"}, 2, {})),
              "SELECT * FROM SaleTable");
    EXPECT_EQ(Sql(sale, "主题", "", "全部", Contacts({"全部"}, 5, {})), "SELECT * FROM SaleTable");
    // Entries without a key are skipped; with none left not even the bracket is added.
    EXPECT_EQ(Sql(sale, "主题", "x", "全部", Contacts({"甲", "乙", "全部"}, 3, {{"乙", 9}})),
              "SELECT * FROM SaleTable WHERE SaleName LIKE '%x%' AND ( ObjectDateTime=9 )");
    EXPECT_EQ(Sql(sale, "主题", "x", "全部", Contacts({"甲", "乙", "全部"}, 3, {})),
              "SELECT * FROM SaleTable WHERE SaleName LIKE '%x%'");
    // After a group pick "全部" is the group, whatever number of keys the host wrote; a
    // client without a key is matched by name.
    ContactChoice group = Contacts({"甲", "乙", "全部"}, 0, {{"甲", 11}, {"乙", 12}}, true);
    EXPECT_EQ(Sql(sale, "主题", "x", "全部", group),
              "SELECT * FROM SaleTable WHERE SaleName LIKE '%x%' AND ( ObjectDateTime=11  OR  "
              "ObjectDateTime=12 )");
    EXPECT_EQ(
        Sql(sale, "主题", "", "全部", Contacts({"甲", "O'Neil", "全部"}, 7, {{"甲", 11}}, true)),
        "SELECT * FROM SaleTable WHERE  ObjectDateTime=11  OR  ClientName='O''Neil' ");
    EXPECT_EQ(Sql(sale, "主题", "", "乙", group),
              "SELECT * FROM SaleTable WHERE  ObjectDateTime=12");
    // The other kinds have no group: "全部" is every client.
    const KindDescription& active = DescribeKind(RecordKind::Active);
    EXPECT_EQ(Sql(active, "主题", "", "全部", c), "SELECT * FROM ActiveTable");
    EXPECT_EQ(Sql(active, "主题", "a", "李四", c),
              "SELECT * FROM ActiveTable WHERE ActiveName LIKE '%a%' AND  ObjectDateTime=4");
}
