// A record's texts: read from the table, in the list's display forms and the raw forms an
// editor gets.
#include "data/ado_connection.h"
#include "orvicrm/CRstValues.h"
#include "platform/files.h"
#include "records/pages/row_display.h"
#include "support/record_windows.h"

namespace {

constexpr long kStamp = 1172729109;  // 2007-03-01 14:05:09 in Shanghai

FieldValue Num(long n) {
    return {n, 0, {}};
}

}  // namespace

using RecordTextsTest = RecordWindowsTest;

TEST_F(RecordTextsTest, FailedReadKeepsTheTextsFromTheFailingFieldOn) {
    CAdoConnection connection;
    ASSERT_EQ(connection.ConnectDatabase(GetDatabasePath()), 1);
    CRstValues rst;
    ASSERT_EQ(rst.InitConnAndRec(connection.GetConnection(), "SaleTable"), 1);
    // A server keeps a text out of a number column unless the column was changed.
    if (TestOnPostgres()) Exec("ALTER TABLE SaleTable ALTER COLUMN ProductPrice TYPE text");
    Exec(
        "INSERT INTO SaleTable (SaleDate, SaleName, ClientName, ProductPrice, SaleNumber) "
        "VALUES (1172729109, 'n', 'c', 'abc', 3)");
    ASSERT_EQ(rst.OpenRecord("SELECT * FROM SaleTable"), 1);
    const KindDescription& kind = DescribeKind(RecordKind::Sale);
    std::vector<std::string> texts(20, "old");
    EXPECT_FALSE(ReadRecordTexts(rst, kind, texts, false));
    // Read up to an empty ProductCharact; ProductPrice could not be read, nor anything after.
    EXPECT_EQ(texts[0] + "/" + texts[1] + "/" + texts[5] + "/" + texts[6] + "/" + texts[7] + "/" +
                  texts[19],
              "1172729109/n//old/old/old");
    std::vector<std::string> shown(20, "old");
    ASSERT_EQ(rst.OpenRecord("SELECT * FROM SaleTable"), 1);
    EXPECT_FALSE(ReadRecordTexts(rst, kind, shown, true));
    EXPECT_EQ(shown[0] + "/" + shown[6], "2007_03_01/old");
}

// The list forms the window tests do not reach, and the raw forms an editor gets.
TEST(RowDisplay, DisplayAndRawForms) {
    const KindDescription& sale = DescribeKind(RecordKind::Sale);
    EXPECT_EQ(RawText(sale, 0, Num(kStamp)), "1172729109");
    EXPECT_EQ(RawText(sale, 6, FieldValue{0, 12.5, {}}), "12.50");

    const KindDescription& chance = DescribeKind(RecordKind::Chance);
    const int rate = chance.table.FieldIndex("ChanceRate");
    EXPECT_EQ(RawText(chance, rate, Num(1)), "95%");
    EXPECT_EQ(ValueFromRaw(chance, rate, "95%").number, 1);
    EXPECT_EQ(ValueFromRaw(chance, rate, "0").number, 0);  // an editor's stored step

    // The reminder fields have no column but are shown in their own forms.
    const KindDescription& active = DescribeKind(RecordKind::Active);
    std::vector<FieldValue> a(active.FieldCount());
    EXPECT_EQ(RowCells(active, a).size(), 8u);
    EXPECT_EQ(DisplayText(active, 9, Num(1500)), "1天1小时0分");
}

// The streaming formatter gives every record the same cells as formatting it alone.
TEST(RowDisplay, FormatterReusesOnlyEqualTexts) {
    for (RecordKind k : {RecordKind::Sale, RecordKind::FeedBack, RecordKind::Consume}) {
        const KindDescription& kind = DescribeKind(k);
        CRowFormatter formatter(kind);
        std::vector<FieldValue> v(kind.FieldCount());
        unsigned seed = 7;
        for (int i = 0; i < 3000; ++i) {
            seed = seed * 1103515245 + 12345;
            for (int f = 0; f < kind.FieldCount(); ++f) {
                const long r = (seed >> (f % 16)) % 4;
                v[f].number = r == 0 ? v[f].number : kStamp + i * 3000L * static_cast<long>(r);
                v[f].real = r == 1 ? v[f].real : r * 0.125;
                if (kind.Rule(f).show == ShowForm::YesNoEnd) v[f].number = r & 1;
            }
            ASSERT_EQ(formatter.Cells(v), RowCells(kind, v)) << kind.pageClass << i;
        }
    }
}
