#include "orvicrm/CRstValues.h"

#include <gtest/gtest.h>

#include <QString>
#include <iomanip>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "data/ado_connection.h"
#include "data/recordset.h"
#include "support/message_capture.h"
#include "support/recordset_steps.h"
#include "support/temp_dir.h"
#include "support/test_sql.h"

namespace {

using Texts = std::vector<std::string>;
using Answers = std::vector<int>;

const std::string kFieldAccess = "字段访问发生错误，请确认数据库结构没有改动。";

// A refused write: the field-access text, then the reason on a line of its own.
void ExpectWriteFailure(const std::string& text, const std::string& reason) {
    EXPECT_EQ(text.rfind(kFieldAccess + "\n", 0), 0u) << text;
    EXPECT_NE(text.find(reason), std::string::npos) << text;
}

// What a read gave, as text; "failed" when it answered 0.
template <typename T>
std::string Got(int done, const T& value) {
    std::ostringstream out;
    out << std::setprecision(9) << value;
    return done ? out.str() : "failed";
}

// Fields of the current row, each "name:as", read as int ('i'), long ('l'), float ('f') or
// text ('s').
Texts Reads(CRstValues& rst, const Texts& fields) {
    Texts texts;
    for (const std::string& read : fields) {
        const std::string field = read.substr(0, read.size() - 2);
        int i = 0;
        long l = 0;
        float f = 0;
        std::string s;
        texts.push_back(read.back() == 'i'   ? Got(rst.GetValueI(field.c_str(), i), i)
                        : read.back() == 'l' ? Got(rst.GetValueL(field.c_str(), l), l)
                        : read.back() == 'f' ? Got(rst.GetValueF(field.c_str(), f), f)
                                             : Got(rst.GetValue(field.c_str(), s), s));
    }
    return texts;
}

class RstValuesTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_path = m_temp.CreateDatabase();
        m_sql = std::make_unique<TestSql>(m_path);
        ASSERT_EQ(m_connection.ConnectDatabase(m_path), 1);
    }

    void Exec(const std::string& sql) { m_sql->Exec(sql); }
    long long Number(const std::string& sql) { return m_sql->Number(sql); }

    // ObjectPar rows ("v0", kind 0), ("v1", kind 1), ... and a recordset on the table.
    void AddParams(int count) {
        Exec(Numbers(count) +
             "INSERT INTO ObjectPar (ObjectParName, ObjectParType) SELECT 'v' || (i - 1), i - 1 "
             "FROM n");
        m_rst.InitConnAndRec(m_connection.GetConnection(), "ObjectPar");
    }
    std::string Name(CRstValues& rst) { return Reads(rst, {"ObjectParName:s"})[0]; }
    // The name after a cursor call that answered done, "no row" when it answered 0.
    std::string NameAfter(int done) { return done == 1 ? Name(m_rst) : "no row"; }

    TempModuleFolder m_temp;
    std::string m_path;
    std::unique_ptr<TestSql> m_sql;
    CAdoConnection m_connection;
    CRstValues m_rst;
    MessageCapture m_capture;
};

TEST_F(RstValuesTest, FailuresAndRefusalsAreReportedAndTheObjectStaysUsable) {
    CRstValues empty;
    int i = 7;
    EXPECT_EQ((Answers{empty.GetValueI("SaleDate", i), empty.OnMoveNext(), empty.OpenRecord(""),
                       empty.OpenRecord("SELECT * FROM ObjectPar")}),
              (Answers{0, 0, 0, 0}));
    EXPECT_EQ(i, 7);
    // No message for an empty text.
    EXPECT_EQ(m_capture.Texts(), (Texts{"记录未打开", "记录未打开", "记录句宾未打开"}));

    AddParams(2);
    m_capture.Clear();
    EXPECT_EQ(m_rst.OpenRecord("SELECT * FROM NoSuchTable"), 0);
    EXPECT_EQ(m_capture.Boxes(), Texts{"字段访问: " + kFieldAccess});
    EXPECT_EQ(Name(m_rst), "failed");
    EXPECT_EQ(m_capture.Texts().back(), "记录未打开");

    // Two statements in one text are refused rather than half run.
    EXPECT_EQ(m_rst.OpenRecord("SELECT * FROM ObjectPar; DELETE FROM ObjectPar"), 0);
    EXPECT_EQ(Number("SELECT count(*) FROM ObjectPar"), 2);

    m_capture.Clear();
    ASSERT_EQ(m_rst.OpenRecord("SELECT * FROM ObjectPar WHERE ObjectParType=1"), 1);
    // Names ignore case, as in SQL.
    EXPECT_EQ(Reads(m_rst, {"NoSuchColumn:s", "ObjectParName:s", "objectparname:s"}),
              (Texts{"failed", "v1", "v1"}));
    // An empty result has no first row.
    EXPECT_EQ((Answers{m_rst.OpenRecord("SELECT * FROM ObjectPar WHERE ObjectParType=99"),
                       m_rst.OnMoveNext(), m_rst.MoveRecID(0)}),
              (Answers{0, 0, 0}));
    EXPECT_EQ(m_capture.Texts(), (Texts{kFieldAccess, kFieldAccess}));

    // A result that is no rows of one table refuses changes.
    ASSERT_EQ(m_rst.OpenRecord("SELECT count(*) AS n FROM ObjectPar"), 1);
    EXPECT_EQ(Reads(m_rst, {"n:i"}), Texts{"2"});
    m_capture.Clear();
    EXPECT_EQ((Answers{m_rst.AddRecord("n", 5), m_rst.DeleteRecord()}), (Answers{0, 0}));
    ASSERT_EQ(m_capture.Count(), 2u);
    ExpectWriteFailure(m_capture.Texts()[0], "这个查询结果不能修改（n）");
    ExpectWriteFailure(m_capture.Texts()[1], "这个查询结果不能修改");
}

TEST_F(RstValuesTest, ReadingAndWritingRules) {
    // A server keeps a fraction out of an integer column, and a number beyond 32 bits, unless
    // the column was changed.
    if (TestOnPostgres())
        Exec(
            "ALTER TABLE ConsumeTable ALTER COLUMN ConsumeTime TYPE real, ALTER COLUMN "
            "ConsumeDate TYPE bigint");
    Exec(
        "INSERT INTO ConsumeTable (ConsumeName, ConsumeTime, ConsumeMoney, ConsumeExplain, "
        "ConsumeDate, ObjectDateTime) VALUES (NULL, 2.9, -4.5, '  x\t ', 5000000000, -12)");
    CRstValues rst(m_connection.GetConnection(), "ConsumeTable");
    // NULL reads as 0 and "", a real as an int is cut, a number beyond 32 bits as a long is
    // the largest one, negative numbers read as 0.
    EXPECT_EQ(Reads(rst, {"ConsumeName:i", "ConsumeName:s", "ConsumeTime:i", "ConsumeTime:s",
                          "ConsumeDate:l", "ConsumeDate:s", "ConsumeMoney:f", "ObjectDateTime:l",
                          "ConsumeExplain:s"}),
              (Texts{"0", "", "2", "2.9", "2147483647", "5000000000", "0", "0", "  x\t "}));

    EXPECT_EQ(rst.AddRecord("ConsumeType", static_cast<const char*>(nullptr)), 0);
    EXPECT_EQ(m_capture.Texts(), Texts{"增加记录失败"});
    EXPECT_EQ(Save(rst, "ConsumeMoney", -5.0f, "ConsumeDate", -3L, "ObjectDateTime", 0xFFFFFFFFul,
                   "ConsumeTime", 42, "ConsumeName", " 午餐 "),
              1);
    // Negative numbers stored as 0, the unsigned bits kept, texts unchanged.
    EXPECT_EQ(m_sql->Joined("SELECT ConsumeMoney = 0.0, ConsumeDate, ObjectDateTime, "
                            "ConsumeTime = 42, ConsumeName = ' 午餐 ' FROM ConsumeTable"),
              "1/0/-1/1/1");
    // The columns not written keep what they held.
    EXPECT_EQ(Reads(rst, {"ConsumeTime:i", "ConsumeName:s", "ConsumeExplain:s"}),
              (Texts{"42", " 午餐 ", "  x\t "}));
}

TEST_F(RstValuesTest, RefusedSaveDropsThePendingChanges) {
    // A server's recordset writes a row by its hidden key.
    Exec(std::string("CREATE TABLE Checked (a INTEGER CHECK (a < 100), b TEXT") +
         (TestOnPostgres() ? ", " + std::string(kServerRowKey) + " bigserial PRIMARY KEY)" : ")"));
    Exec("INSERT INTO Checked (a, b) VALUES (1, 'one')");
    CRstValues rst(m_connection.GetConnection(), "Checked");
    EXPECT_EQ(Save(rst, "b", "changed", "a", 500), 0);
    ASSERT_EQ(m_capture.Count(), 1u);
    ExpectWriteFailure(QString::fromStdString(m_capture.Texts()[0]).toLower().toStdString(),
                       "check constraint");
    EXPECT_EQ(Reads(rst, {"b:s"}), Texts{"one"});

    // A refused new row leaves nothing behind and the cursor where it was.
    EXPECT_EQ(SaveNew(rst, "a", 200), 0);
    EXPECT_EQ(Reads(rst, {"b:s"}), Texts{"one"});

    // A text with a zero byte is refused whole on either database, as a server refuses it; a
    // text that is not UTF-8 too.
    m_capture.Clear();
    EXPECT_EQ(Save(rst, "b", std::string("ze\0ro", 5), "a", 3), 0);
    EXPECT_EQ(Save(rst, "a", 4, "b", "bad \xC3\x28 text"), 0);
    ASSERT_EQ(m_capture.Count(), 2u);
    ExpectWriteFailure(m_capture.Texts()[0], "a text value contains a zero byte");
    ExpectWriteFailure(m_capture.Texts()[1], "文本不是有效的 UTF-8 编码。");
    EXPECT_EQ(m_sql->Joined("SELECT count(*), min(a), min(b) FROM Checked"), "1/1/one");
    EXPECT_EQ(rst.OpenRecord(std::string("SELECT * FROM Checked\0 WHERE a = 2", 35)), 0);

    EXPECT_EQ(SaveNew(rst, "a", 2, "b", "two"), 1);
    EXPECT_EQ(Number("SELECT a FROM Checked WHERE b = 'two'"), 2);
    EXPECT_EQ(Reads(rst, {"b:s"}), Texts{"two"});
}

TEST_F(RstValuesTest, CursorMovesAndDeletes) {
    AddParams(5);
    // Rows are fetched only as far as the cursor goes.
    EXPECT_EQ(m_rst.GetRecordset()->RowsFetched(), 1u);
    EXPECT_EQ(NameAfter(m_rst.OpenRecord("SELECT * FROM ObjectPar")), "v0");
    EXPECT_EQ(m_rst.GetRecordset()->RowsFetched(), 1u);
    EXPECT_EQ(NameAfter(m_rst.OnMovePre()), "no row");
    EXPECT_EQ(NameAfter(m_rst.OnMoveNext()), "v0");
    EXPECT_EQ(NameAfter(m_rst.MoveRecID(3)), "v3");
    EXPECT_EQ(NameAfter(m_rst.MoveRecID(2)), "v2");
    EXPECT_EQ(m_rst.GetRecordset()->RowsFetched(), 4u);
    EXPECT_EQ(NameAfter(m_rst.MoveRecID(3)), "v3");
    EXPECT_EQ((Answers{m_rst.OnMoveNext(), m_rst.OnMoveNext()}), (Answers{1, 0}));
    EXPECT_EQ(NameAfter(m_rst.OnMovePre()), "v4");
    EXPECT_EQ(m_rst.GetTotalRecordCount(), 5);
    EXPECT_EQ(Name(m_rst), "v0");

    // Deleting the last row leaves the first current; later rows move up.
    EXPECT_EQ(m_rst.MoveRecID(4), 1);
    EXPECT_EQ(NameAfter(m_rst.DeleteRecord()), "v0");
    EXPECT_EQ((Answers{m_rst.MoveRecID(1), m_rst.DeleteRecord()}), (Answers{1, 1}));
    EXPECT_EQ(NameAfter(m_rst.MoveRecID(1)), "v2");
    EXPECT_EQ(m_rst.GetTotalRecordCount(), 3);
    EXPECT_EQ(Number("SELECT count(*) FROM ObjectPar"), 3);

    // Deleting the only row runs the last query again: a row added meanwhile shows up.
    ASSERT_EQ(m_rst.OpenRecord("SELECT * FROM ObjectPar WHERE ObjectParName LIKE 'v0%'"), 1);
    EXPECT_EQ(m_rst.OnMoveNext(), 0);  // the whole result has been read
    Exec("INSERT INTO ObjectPar (ObjectParName, ObjectParType) VALUES ('v0b', 7)");
    EXPECT_EQ(m_rst.OnMovePre(), 1);
    EXPECT_EQ(NameAfter(m_rst.DeleteRecord()), "v0b");
    EXPECT_EQ((Answers{m_rst.DeleteRecord(), m_rst.OnMoveNext()}), (Answers{1, 0}));
    EXPECT_TRUE(m_capture.Texts().empty());
}

TEST_F(RstValuesTest, PendingChangesAreSavedByAMoveAndDroppedByRelease) {
    AddParams(3);
    ASSERT_EQ(m_rst.OpenRecord("SELECT * FROM ObjectPar"), 1);
    EXPECT_EQ(m_rst.AddRecord("ObjectParName", "moved"), 1);
    EXPECT_EQ(Name(m_rst), "moved");  // reads see the edit buffer
    EXPECT_EQ(m_rst.OnMoveNext(), 1);
    EXPECT_EQ(Number("SELECT ObjectParType FROM ObjectPar WHERE ObjectParName='moved'"), 0);

    EXPECT_EQ((Answers{m_rst.AddRecord("ObjectParName", "dropped"), m_rst.Release()}),
              (Answers{1, 1}));
    EXPECT_EQ(NameAfter(m_rst.UpdateRecord()), "v1");  // nothing pending
    EXPECT_EQ(Number("SELECT count(*) FROM ObjectPar WHERE ObjectParName='dropped'"), 0);

    // A new row goes after the rows fetched (here all of them) and stays current.
    EXPECT_EQ(m_rst.GetTotalRecordCount(), 3);
    EXPECT_EQ(NameAfter(SaveNew(m_rst, "ObjectParName", "new", "ObjectParType", 9)), "new");
    EXPECT_EQ(m_rst.GetTotalRecordCount(), 4);
    EXPECT_EQ(NameAfter(m_rst.MoveRecID(3)), "new");

    // Copies share the result, which stays open after they are gone.
    {
        CRstValues copy(m_rst);
        EXPECT_EQ(copy.MoveRecID(1), 1);
        EXPECT_EQ(Name(copy), "v1");
        CRstValues assigned;
        assigned = copy;
        EXPECT_EQ(Name(assigned), "v1");
    }
    EXPECT_EQ(Name(m_rst), "v1");
    EXPECT_EQ(NameAfter(m_rst.ReOpenRecord()), "moved");
    EXPECT_TRUE(m_capture.Texts().empty());
}

TEST_F(RstValuesTest, AttachedFamily) {
    Exec("INSERT INTO SaleTable (SaleName, SaleNumber, SaleMoney) VALUES ('笔记本  ', 12, 3.5)");
    _ConnectionPtr connection = CRstValues::OpenConnection(m_path.c_str());
    _RecordsetPtr recordset = CRstValues::OpenRecordset(connection, "SELECT * FROM SaleTable");
    ASSERT_TRUE(recordset);
    CRstValues rst(&connection, &recordset);

    char buffer[16];
    std::string text;
    long l = 0;
    float f = 0;
    // SaleName cut at 4 bytes, SaleNumber by position, SaleMoney 3.5 to even as a long, the NULL
    // AgreeMent; at the end no row, and no message.
    EXPECT_EQ(
        (Texts{Got(rst.GetValueStr(buffer, "SaleName", 4), buffer),
               Got(rst.GetValueStr(buffer, 7, 0), buffer),
               Got(rst.GetValueStr(buffer, "SaleMoney", 0), buffer),
               Got(rst.GetValueStr(text, "SaleName", 0), text),
               Got(rst.GetValueLong(l, _variant_t("SaleMoney")), l),
               Got(rst.GetValueFloat(f, "SaleMoney"), f),
               Got(rst.GetValText(text, "SaleName"), text),
               Got(rst.GetValText(text, "AgreeMent"), text),
               Got(CRstValues::MoveRecordsetNext(recordset), ""),
               Got(rst.GetValueLong(l, "SaleNumber"), l)}),
        (Texts{"笔", "12", "", "笔记本", "4", "3.5", "笔记本  ", "failed", "failed", "failed"}));
    EXPECT_TRUE(m_capture.Texts().empty());

    _RecordsetPtr none;
    CRstValues detached(&connection, &none);
    EXPECT_EQ(detached.GetValueStr(text, "SaleName", 0), 0);
    ASSERT_EQ(m_capture.Count(), 1u);
    EXPECT_EQ(m_capture.Messages()[0].caption, "连接问题");

    EXPECT_EQ((Answers{CRstValues::VerifyVTData(_variant_t::Null()),
                       CRstValues::VerifyVTData(_variant_t()),
                       CRstValues::VerifyVTData(static_cast<const char*>(nullptr))}),
              (Answers{0, 1, 0}));
    EXPECT_EQ(CRstValues::ClearBeginAndEndSpace("  a b\t "), "a b\t");
    EXPECT_EQ(CRstValues::ClearBeginAndEndSpace("   "), "");
}

TEST(Utf8, BoundariesOfWellFormedText) {
    for (const char* good :
         {"", "abc", "中文", "\xC2\x80", "\xDF\xBF", "\xE0\xA0\x80", "\xED\x9F\xBF", "\xEE\x80\x80",
          "\xF0\x90\x80\x80", "\xF4\x8F\xBF\xBF"})
        EXPECT_TRUE(IsValidUtf8(good)) << good;
    for (const char* bad :
         {"\xC3\x28", "\x80", "\xC0\xAF", "\xC1\xBF", "\xE0\x9F\xBF", "\xED\xA0\x80",
          "\xF0\x8F\xBF\xBF", "\xF4\x90\x80\x80", "\xF5\x80\x80\x80", "\xE4\xB8", "\xFF"})
        EXPECT_FALSE(IsValidUtf8(bad)) << bad;
}

TEST(RowidQuery, OnlySimpleSingleTableQueriesBecomeWritable) {
    std::string table;
    EXPECT_EQ(RowidQuery("SELECT * FROM SaleTable WHERE SaleDate >=1 AND SaleDate<=2", &table),
              "SELECT rowid, * FROM SaleTable WHERE SaleDate >=1 AND SaleDate<=2");
    EXPECT_EQ(table, "SaleTable");
    EXPECT_EQ(RowidQuery("select a, b from [Odd Name] where x='join'", &table),
              "select rowid, a, b from [Odd Name] where x='join'");
    EXPECT_EQ(table, "Odd Name");
    for (const char* sql :
         {"SELECT count(*) FROM T", "SELECT DISTINCT a FROM T", "SELECT a AS b FROM T",
          "SELECT * FROM T, U", "SELECT * FROM T JOIN U ON 1", "SELECT a FROM T GROUP BY a",
          "SELECT * FROM T UNION SELECT * FROM U", "DELETE FROM T"})
        EXPECT_EQ(RowidQuery(sql, &table), "") << sql;
}

// A server returns rows of a query without ORDER BY in no set order; a file by the index the
// first condition uses, then by rowid. Not indexed, or no condition: the key alone; quoted
// words are no keywords; an order or limit of the query's own stays; a closing semicolon goes.
TEST(InFileRowOrder, TheIndexOfTheFirstConditionThenTheKey) {
    const struct {
        const char* sql;
        const char* table;
        const char* order;  // appended, or nullptr for the query as it is
    } cases[] = {
        {"SELECT * FROM SaleTable WHERE ObjectDateTime=5", "SaleTable", "ObjectDateTime, "},
        {"SELECT * FROM SaleTable WHERE  SaleDate >=1 AND SaleDate<=2", "SaleTable", "SaleDate, "},
        {"select * from objectpar where objectpartype=3", "ObjectPar", "objectpartype, "},
        {"SELECT * FROM FeedBackTable WHERE (FeedBackEnd=0 OR FeedBackEnd IS NULL)",
         "FeedBackTable", ""},
        {"SELECT * FROM SaleTable WHERE SaleName LIKE '%order by%'", "SaleTable", ""},
        {"SELECT * FROM ChanceTable", "ChanceTable", ""},
        {"SELECT * FROM SaleTable ORDER BY SaleDate", "SaleTable", nullptr},
        {"SELECT * FROM SaleTable WHERE ObjectDateTime=5 LIMIT 3", "SaleTable", nullptr},
    };
    for (const auto& c : cases)
        EXPECT_EQ(InFileRowOrder(c.sql, c.table, "orvi_rowkey"),
                  c.order ? std::string(c.sql) + " ORDER BY " + c.order + "orvi_rowkey" : c.sql);
    EXPECT_EQ(InFileRowOrder("SELECT * FROM ChanceTable ;", "ChanceTable", "k"),
              "SELECT * FROM ChanceTable ORDER BY k");
}

}  // namespace
