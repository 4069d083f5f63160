// Reading a record into the page's texts.
#include <gtest/gtest.h>

#include <memory>

#include "data/ado_connection.h"
#include "orvicrm/CRstValues.h"
#include "records/pages/kind_description.h"
#include "records/pages/record_page.h"
#include "support/message_capture.h"
#include "support/temp_dir.h"
#include "support/test_sql.h"

namespace {

class RecordTextsTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string path = m_temp.CreateDatabase();
        m_sql = std::make_unique<TestSql>(path);
        ASSERT_EQ(m_connection.ConnectDatabase(path), 1);
        ASSERT_EQ(m_rst.InitConnAndRec(m_connection.GetConnection(), "SaleTable"), 1);
    }
    void Exec(const char* sql) { m_sql->Exec(sql); }

    TempModuleFolder m_temp;
    std::unique_ptr<TestSql> m_sql;
    MessageCapture m_capture;
    CAdoConnection m_connection;
    CRstValues m_rst;
};

}  // namespace

TEST_F(RecordTextsTest, FailedReadKeepsTheTextsFromTheFailingFieldOn) {
    // A server keeps a text out of a number column unless the column was changed.
    if (TestOnPostgres()) Exec("ALTER TABLE SaleTable ALTER COLUMN ProductPrice TYPE text");
    Exec(
        "INSERT INTO SaleTable (SaleDate, SaleName, ClientName, ProductPrice, SaleNumber) "
        "VALUES (1172729109, 'n', 'c', 'abc', 3)");
    ASSERT_EQ(m_rst.OpenRecord("SELECT * FROM SaleTable"), 1);
    const KindDescription& kind = DescribeKind(RecordKind::Sale);
    std::vector<std::string> texts(20, "old");
    EXPECT_FALSE(ReadRecordTexts(m_rst, kind, texts, false));
    EXPECT_EQ(texts[0], "1172729109");
    EXPECT_EQ(texts[1], "n");
    EXPECT_EQ(texts[5], "");     // read: an empty ProductCharact
    EXPECT_EQ(texts[6], "old");  // ProductPrice could not be read
    EXPECT_EQ(texts[7], "old");  // nor anything after it
    EXPECT_EQ(texts[19], "old");
    std::vector<std::string> shown(20, "old");
    ASSERT_EQ(m_rst.OpenRecord("SELECT * FROM SaleTable"), 1);
    EXPECT_FALSE(ReadRecordTexts(m_rst, kind, shown, true));
    EXPECT_EQ(shown[0], "2007_03_01");
    EXPECT_EQ(shown[6], "old");
}
