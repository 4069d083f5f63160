// Two connections changing one record, texts that are not UTF-8, and where the module finds
// its database.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "data/ado_connection.h"
#include "data/driver.h"
#include "data/recordset.h"
#include "orvicrm/CRstValues.h"
#include "platform/files.h"
#include "support/message_capture.h"
#include "support/temp_dir.h"

namespace {

const char kChanged[] = "这条记录已被其他用户修改，请重新查询后再修改。";
const char kNotUtf8[] = "文本不是有效的 UTF-8 编码。";

class TwoSeatsTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_location = m_temp.CreateDatabase();
        ASSERT_EQ(m_a.ConnectDatabase(m_location), 1);
        ASSERT_EQ(m_b.ConnectDatabase(m_location), 1);
        CRstValues rst(m_a.GetConnection(), "SaleTable");
        rst.OpenRecord("SELECT * FROM SaleTable");  // 0: no row yet
        ASSERT_EQ(rst.AddRecord(), 1);
        ASSERT_EQ(rst.AddRecord("SaleName", "first"), 1);
        ASSERT_EQ(rst.AddRecord("ObjectDateTime", 7L), 1);
        ASSERT_EQ(rst.UpdateRecord(), 1);
    }

    std::string SaleName(CAdoConnection& connection) {
        CRstValues rst(connection.GetConnection(), "SaleTable");
        std::string name = "<none>";
        if (rst.OpenRecord("SELECT * FROM SaleTable WHERE ObjectDateTime=7") == 1)
            rst.GetValue("SaleName", name);
        return name;
    }

    // Seats A and B, each on its connection, read the record.
    void OpenSeats() {
        for (auto [seat, connection] : {std::pair{&m_seatA, &m_a}, std::pair{&m_seatB, &m_b}}) {
            seat->InitConnAndRec(connection->GetConnection(), "SaleTable");
            ASSERT_EQ(seat->OpenRecord("SELECT * FROM SaleTable WHERE ObjectDateTime=7"), 1);
        }
    }

    TempModuleFolder m_temp;
    MessageCapture m_capture;
    std::string m_location;
    CAdoConnection m_a, m_b;
    CRstValues m_seatA, m_seatB;
};

TEST_F(TwoSeatsTest, TheSecondSaveOfOneRecordFailsAndKeepsTheFirst) {
    OpenSeats();

    ASSERT_EQ(m_seatA.AddRecord("SaleName", "seat A"), 1);
    ASSERT_EQ(m_seatA.UpdateRecord(), 1);
    ASSERT_EQ(m_seatB.AddRecord("SaleName", "seat B"), 1);
    EXPECT_EQ(m_seatB.UpdateRecord(), 0);
    ASSERT_EQ(m_capture.Count(), 1u);
    EXPECT_NE(m_capture.Texts()[0].find(kChanged), std::string::npos) << m_capture.Texts()[0];
    EXPECT_EQ(SaleName(m_b), "seat A");

    // B's record now reads as the database holds it, and B's next change is checked against
    // that; the value the database already holds is no conflict for A.
    std::string name;
    ASSERT_EQ(m_seatB.GetValue("SaleName", name), 1);
    EXPECT_EQ(name, "seat A");
    ASSERT_EQ(m_seatB.AddRecord("SaleName", "seat B"), 1);
    EXPECT_EQ(m_seatB.UpdateRecord(), 1);
    ASSERT_EQ(m_seatA.AddRecord("SaleName", "seat B"), 1);
    EXPECT_EQ(m_seatA.UpdateRecord(), 1);
    ASSERT_EQ(m_seatA.AddRecord("SaleName", "seat A again"), 1);
    EXPECT_EQ(m_seatA.UpdateRecord(), 1);
    EXPECT_EQ(m_capture.Count(), 1u);
    EXPECT_EQ(SaleName(m_b), "seat A again");
}

TEST_F(TwoSeatsTest, AChangeOfAnotherColumnOrADeletedRecordIsReportedAsSuch) {
    OpenSeats();
    // Only the columns a seat writes are compared: B's change of another column stands.
    ASSERT_EQ(m_seatA.AddRecord("ProductName", "pen"), 1);
    ASSERT_EQ(m_seatA.UpdateRecord(), 1);
    ASSERT_EQ(m_seatB.AddRecord("SaleName", "renamed"), 1);
    EXPECT_EQ(m_seatB.UpdateRecord(), 1);
    EXPECT_EQ(m_capture.Count(), 0u);

    ASSERT_EQ(m_seatA.DeleteRecord(), 1);
    ASSERT_EQ(m_seatB.AddRecord("SaleName", "too late"), 1);
    EXPECT_EQ(m_seatB.UpdateRecord(), 0);
    ASSERT_EQ(m_capture.Count(), 1u);
    EXPECT_NE(m_capture.Texts()[0].find("这条记录已经不存在"), std::string::npos);
}

TEST_F(TwoSeatsTest, TextThatIsNotUtf8IsRefusedBeforeAnythingIsWritten) {
    CRstValues rst(m_a.GetConnection(), "SaleTable");
    ASSERT_EQ(rst.OpenRecord("SELECT * FROM SaleTable WHERE ObjectDateTime=7"), 1);
    ASSERT_EQ(rst.AddRecord("ProductName", "pen"), 1);
    ASSERT_EQ(rst.AddRecord("SaleName", "bad \xC3\x28 text"), 1);
    EXPECT_EQ(rst.UpdateRecord(), 0);
    ASSERT_EQ(m_capture.Count(), 1u);
    EXPECT_NE(m_capture.Texts()[0].find(kNotUtf8), std::string::npos);

    CRstValues added(m_a.GetConnection(), "SaleTable");
    ASSERT_EQ(added.OpenRecord("SELECT * FROM SaleTable"), 1);  // the one row
    ASSERT_EQ(added.AddRecord(), 1);
    ASSERT_EQ(added.AddRecord("SaleName", "\xED\xA0\x80"), 1);  // a surrogate
    EXPECT_EQ(added.UpdateRecord(), 0);
    EXPECT_EQ(added.GetTotalRecordCount(), 1);
    EXPECT_EQ(SaleName(m_b), "first");
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

TEST(DatabaseLocation, EnvironmentWinsOverTheIniLineWhichWinsOverTheFile) {
    TempModuleFolder temp;
    unsetenv("ORVICRM_DATABASE");
    EXPECT_EQ(GetDatabasePath(), temp.Path() + "OrviMdb/OrviCrm.db");
    MakeSureDirectoryPathExists(temp.Path() + "Ini/Database.Ini");
    std::ofstream(temp.Path() + "Ini/Database.Ini")
        << "[Database]\r\nConnection=postgresql://crm@db.example/orvicrm\r\n";
    EXPECT_EQ(GetDatabasePath(), "postgresql://crm@db.example/orvicrm");
    setenv("ORVICRM_DATABASE", "host=/run/x dbname=crm", 1);
    EXPECT_EQ(GetDatabasePath(), "host=/run/x dbname=crm");
    unsetenv("ORVICRM_DATABASE");

    EXPECT_TRUE(IsServerLocation("postgresql://crm@db.example/orvicrm"));
    EXPECT_TRUE(IsServerLocation("postgres://db/x"));
    EXPECT_TRUE(IsServerLocation("host=/run/x dbname=crm"));
    EXPECT_FALSE(IsServerLocation("/srv/a=b/OrviCrm.db"));
    EXPECT_FALSE(IsServerLocation("OrviMdb/OrviCrm.db"));
}

}  // namespace
