// The PostgreSQL driver against a throwaway server.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "data/postgres/pg_driver.h"
#include "pg_server.h"

TEST_F(PgServerTest, CellsByTypeNamesInOurSpellingAndTheServersReason) {
    auto sql = Open();
    DbSession& session = sql->Session();
    sql->Exec(
        "CREATE TABLE SaleTable (orvi_rowkey bigserial PRIMARY KEY, SaleName text, "
        "SaleNumber integer, ProductPrice real, Total double precision, Big bigint, "
        "Done boolean, Amount numeric)");
    const std::string tricky = "it's C:\\dir\\ 100% 销售";
    const CellValue values[] = {{kCellText, 0, 0, tricky},
                                {kCellInteger, -7, 0, {}},
                                {kCellFloat, 0, 2.5, {}},
                                {kCellFloat, 0, 0.1, {}},
                                {kCellInteger, 5000000000, 0, {}}};
    WriteResult written;
    DbError error;
    ASSERT_TRUE(
        session.Write("INSERT INTO SaleTable (SaleName, SaleNumber, ProductPrice, Total, "
                      "Big, Done, Amount) VALUES ($1, $2, $3, $4, $5, true, 12.50)"
                      " RETURNING orvi_rowkey",
                      values, &written, &error))
        << error.text;
    EXPECT_EQ(written.newKey, 1);
    EXPECT_EQ(written.changes, 1);
    ASSERT_TRUE(session.Write("INSERT INTO SaleTable (SaleName) VALUES ($1) RETURNING orvi_rowkey",
                              std::span<const CellValue>(values, 1), &written, &error));
    EXPECT_EQ(written.newKey, 2);
    // The server's texts hold no zero byte (refused rather than cut short) and only UTF-8.
    for (const auto& [text, why] : {std::pair{std::string("a\0b", 3), kZeroByteText},
                                    std::pair{std::string("\xff\xfe"), "invalid byte sequence"}}) {
        const CellValue bad[] = {{kCellText, 0, 0, text}};
        EXPECT_FALSE(
            session.Write("INSERT INTO SaleTable (SaleName) VALUES ($1)", bad, &written, &error));
        EXPECT_NE(error.text.find(why), std::string::npos) << error.text;
    }
    EXPECT_EQ(sql->Rows("SELECT * FROM saletable ORDER BY orvi_rowkey"),
              (Table{{"1", tricky, "-7", "2.5", "0.1", "5000000000", "1", "12.5"},
                     {"2", tricky, "", "", "", "", "", ""}}));

    auto query = session.Query("SELECT * FROM saletable WHERE orvi_rowkey = 1", &error);
    ASSERT_TRUE(query) << error.text;
    ASSERT_EQ(query->Next(&error), DbQuery::kRow);
    std::vector<std::string> columns;
    CellView cell;
    for (int c = 0; c < query->ColumnCount(); ++c) {
        query->Cell(c, &cell);
        const char* types[] = {"", "integer", "float", "text", "blob", "null"};
        columns.push_back(query->ColumnName(c) + std::string(" ") + types[cell.type]);
    }
    EXPECT_EQ(columns,
              (std::vector<std::string>{"orvi_rowkey integer", "SaleName text",
                                        "SaleNumber integer", "ProductPrice float", "total float",
                                        "big integer", "done integer", "amount float"}));
    query->Cell(4, &cell);
    EXPECT_EQ(cell.d, 0.1);  // exact through the text form

    std::vector<std::string> tables;
    ASSERT_TRUE(session.TableNames(&tables, &error));
    EXPECT_EQ(std::count(tables.begin(), tables.end(), "SaleTable"), 1);
    EXPECT_EQ(std::count(tables.begin(), tables.end(), "saletable"), 0);

    EXPECT_FALSE(sql->Session().Query("SELECT nothing FROM saletable", &error));
    EXPECT_EQ(error.text, "column \"nothing\" does not exist");
    EXPECT_FALSE(error.connectionLost || error.readOnly);
}

// The session's encoding and literal backslashes hold whatever the connection string or the
// server's settings say; they come without a SET kept on the server connection.
TEST_F(PgServerTest, UtfEightAndLiteralBackslashesWhateverTheSettings) {
    SKIP_THROUGH_POOLER();  // a pooler takes no options
    const std::map<std::string, std::string> settings[] = {
        {},
        {{"client_encoding", "LATIN1"}},
        {{"options", "-c standard_conforming_strings=off"}},
    };
    for (const auto& setting : settings)
        EXPECT_EQ(TestSql(Conninfo(setting))
                      .Rows("SELECT 'C:\\dir 销售', current_setting('client_encoding')"),
                  (Table{{"C:\\dir 销售", "UTF8"}}));
}
