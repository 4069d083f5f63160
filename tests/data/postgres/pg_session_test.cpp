// The PostgreSQL driver against a throwaway server.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "data/postgres/pg_driver.h"
#include "pg_server.h"
#include "support/scratch_database.h"

namespace {

CellValue Text(const std::string& text) {
    return {kCellText, 0, 0, text};
}

}  // namespace

TEST_F(PgServerTest, ConnectionFailuresGiveTheReason) {
    DbError error;
    EXPECT_FALSE(
        OpenPostgres(Conninfo({{"user", "orvi_password"}, {"password", "wrong"}}), &error));
    EXPECT_NE(error.text.find("authentication failed"), std::string::npos) << error.text;
    EXPECT_TRUE(
        OpenPostgres(Conninfo({{"user", "orvi_password"}, {"password", "right-password"}}), &error))
        << error.text;
    error = {};
    EXPECT_FALSE(OpenPostgres(Conninfo({{"host", "/nonexistent/orvi-no-server"}}), &error));
    EXPECT_NE(error.text.find("No such file or directory"), std::string::npos) << error.text;
    EXPECT_NE(error.text.back(), '\n');
}

TEST_F(PgServerTest, CellsByTypeAndNamesInOurSpelling) {
    auto session = Open();
    Exec(*session,
         "CREATE TABLE SaleTable (orvi_rowkey bigserial PRIMARY KEY, SaleName text, "
         "SaleNumber integer, ProductPrice real, Total double precision, Big bigint, "
         "Done boolean, Amount numeric)");
    const std::string tricky = "it's C:\\dir\\ 100% 销售";
    const CellValue values[] = {Text(tricky),
                                {kCellInteger, -7, 0, {}},
                                {kCellFloat, 0, 2.5, {}},
                                {kCellFloat, 0, 0.1, {}},
                                {kCellInteger, 5000000000, 0, {}}};
    WriteResult written;
    DbError error;
    ASSERT_TRUE(
        session->Write("INSERT INTO SaleTable (SaleName, SaleNumber, ProductPrice, Total, "
                       "Big, Done, Amount) VALUES ($1, $2, $3, $4, $5, true, 12.50)"
                       " RETURNING orvi_rowkey",
                       values, &written, &error))
        << error.text;
    EXPECT_EQ(written.newKey, 1);
    EXPECT_EQ(written.changes, 1);
    ASSERT_TRUE(session->Write("INSERT INTO SaleTable (SaleName) VALUES ($1) RETURNING orvi_rowkey",
                               std::span<const CellValue>(values, 1), &written, &error));
    EXPECT_EQ(written.newKey, 2);
    // The server's texts cannot hold a zero byte: refused rather than cut short.
    const CellValue withZero[] = {Text(std::string("a\0b", 3))};
    EXPECT_FALSE(
        session->Write("INSERT INTO SaleTable (SaleName) VALUES ($1)", withZero, &written, &error));
    EXPECT_FALSE(error.text.empty());
    const CellValue invalidUtf8[] = {Text("\xff\xfe")};
    EXPECT_FALSE(session->Write("INSERT INTO SaleTable (SaleName) VALUES ($1)", invalidUtf8,
                                &written, &error));
    EXPECT_NE(error.text.find("invalid byte sequence"), std::string::npos) << error.text;

    auto query = session->Query("SELECT * FROM saletable ORDER BY orvi_rowkey", &error);
    ASSERT_TRUE(query) << error.text;
    std::vector<std::string> names;
    for (int c = 0; c < query->ColumnCount(); ++c) names.push_back(query->ColumnName(c));
    EXPECT_EQ(names, (std::vector<std::string>{"orvi_rowkey", "SaleName", "SaleNumber",
                                               "ProductPrice", "total", "big", "done", "amount"}));
    ASSERT_EQ(query->Next(&error), DbQuery::kRow);
    CellView cell;
    const int types[] = {kCellInteger, kCellText,    kCellInteger, kCellFloat,
                         kCellFloat,   kCellInteger, kCellInteger, kCellFloat};
    for (int c = 0; c < 8; ++c) {
        query->Cell(c, &cell);
        EXPECT_EQ(cell.type, types[c]) << names[c];
    }
    EXPECT_EQ(CellText(*query, 1), tricky);
    query->Cell(4, &cell);
    EXPECT_EQ(cell.d, 0.1);  // exact through the text form
    EXPECT_EQ(CellText(*query, 2) + " " + CellText(*query, 3) + " " + CellText(*query, 5) + " " +
                  CellText(*query, 6) + " " + CellText(*query, 7),
              "-7 f2.500000 5000000000 1 f12.500000");
    ASSERT_EQ(query->Next(&error), DbQuery::kRow);
    EXPECT_EQ(CellText(*query, 2) + CellText(*query, 6), "NULLNULL");
    EXPECT_EQ(query->Next(&error), DbQuery::kDone);

    std::vector<std::string> tables;
    ASSERT_TRUE(session->TableNames(&tables, &error));
    EXPECT_EQ(std::count(tables.begin(), tables.end(), "SaleTable"), 1);
    EXPECT_EQ(std::count(tables.begin(), tables.end(), "saletable"), 0);
}

TEST_F(PgServerTest, TextsMatchAsOnSqlite) {
    auto session = Open();
    Exec(*session,
         "CREATE TABLE words (w text); INSERT INTO words VALUES ('Apple'), ('C:\\dir'), "
         "('it''s'), ('100%'), ('销售额')");
    EXPECT_EQ(Rows(*session, "SELECT w FROM words WHERE w LIKE '%apple%'"), Table{{"Apple"}});
    EXPECT_EQ(Rows(*session, "SELECT w FROM words WHERE w LIKE '%C:\\d%'"), Table{{"C:\\dir"}});
    EXPECT_EQ(Rows(*session, "SELECT w FROM words WHERE w LIKE '%t''s' AND w NOT LIKE 'x'"),
              Table{{"it's"}});
    EXPECT_EQ(Rows(*session, "SELECT w FROM words WHERE w LIKE '%0%%'"), Table{{"100%"}});
    EXPECT_EQ(Rows(*session, "SELECT w FROM words WHERE w LIKE '销售%'"), Table{{"销售额"}});
    EXPECT_EQ(Rows(*session, "SELECT 'a LIKE b' WHERE 'B' NOT LIKE 'b'"), Table{});
    DbError error;
    EXPECT_FALSE(session->Query("SELECT 1; SELECT 2", &error));
    EXPECT_FALSE(error.text.empty());
    EXPECT_FALSE(session->Query("SELECT nothing FROM words", &error));
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
    for (const auto& setting : settings) {
        DbError error;
        auto session = OpenPostgres(Conninfo(setting), &error);
        ASSERT_TRUE(session) << error.text;
        EXPECT_EQ(Rows(*session, "SELECT 'C:\\dir 销售', current_setting('client_encoding')"),
                  (Table{{"C:\\dir 销售", "UTF8"}}));
    }
}
