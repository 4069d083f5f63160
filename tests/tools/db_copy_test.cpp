#include "tools/orvicrm-db/db_copy.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <thread>

#include "data/schema.h"
#include "support/scratch_database.h"
#include "support/temp_dir.h"
#include "support/test_sql.h"
#include "tools/orvicrm-db/db_init.h"
#include "tools/orvicrm-db/db_seed.h"

namespace {

class SqliteFile {
public:
    explicit SqliteFile(const std::string& path) {
        EXPECT_EQ(sqlite3_open(path.c_str(), &m_db), SQLITE_OK);
    }
    ~SqliteFile() { sqlite3_close(m_db); }

    void Exec(const std::string& sql) {
        EXPECT_EQ(sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK)
            << sql << ": " << sqlite3_errmsg(m_db);
    }
    // Every row of every table as SQLite quotes its cells, in row order.
    std::vector<std::string> Dump() {
        std::vector<std::string> rows;
        for (const TableDef* table : AllTables()) {
            std::string sql = "SELECT '" + std::string(table->name) + ":'";
            for (const FieldDef& field : table->fields)
                sql += std::string(" || '|' || quote(") + field.name + ")";
            sql += std::string(" FROM ") + table->name + " ORDER BY rowid";
            sqlite3_stmt* stmt = nullptr;
            EXPECT_EQ(sqlite3_prepare_v2(m_db, sql.c_str(), -1, &stmt, nullptr), SQLITE_OK);
            while (sqlite3_step(stmt) == SQLITE_ROW)
                rows.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)),
                                  static_cast<size_t>(sqlite3_column_bytes(stmt, 0)));
            sqlite3_finalize(stmt);
        }
        return rows;
    }

private:
    sqlite3* m_db = nullptr;
};

// The demo data, a sale with awkward texts and extreme numbers (reals as stored floats), a
// sale of NULLs and a finance row with a control character.
std::string MakeAwkwardSource(const TempModuleFolder& temp) {
    std::string path = temp.Path() + "source.db";
    std::string error;
    EXPECT_TRUE(SeedDemo(path, &error)) << error;
    SqliteFile(path).Exec(R"(
        INSERT INTO SaleTable (SaleName, ClientName, AgreeMent, InvoiceType, MoneyType,
            ProductName, ProductType, ProductCharact, ProductPrice, SaleMoney, TotalMoney,
            SaleNumber, DisCount, SaleDate)
        VALUES ('O''Brien''s "deal"; DROP TABLE x; --', '客户 中文', 'C:\dir\file',
            'tab' || char(9) || 'here', 'line' || char(10) || 'break' || char(13, 10) || 'end',
            '100% _x_', '\N', '', 0.10000000149011612, 3.3999999521443642e38, -1234.56005859375,
            2147483647, -2147483648, 0);
        INSERT INTO SaleTable (SaleName) VALUES (NULL);
        INSERT INTO FinanceTable (BankName, ObjectDateTime) VALUES ('bell' || char(7), 101))");
    return path;
}

TEST(CopyFile, EveryCellOfEveryTableArrivesUnchanged) {
    TempModuleFolder temp;
    std::string source = MakeAwkwardSource(temp), target = temp.Path() + "new/target.db";
    std::string error;
    ASSERT_TRUE(CopyDatabase(source, target, &error)) << error;
    std::vector<std::string> rows = SqliteFile(source).Dump();
    EXPECT_EQ(SqliteFile(target).Dump(), rows);
    EXPECT_EQ(rows.size(), 40u + 20 + 30 + 25 + 20 + 20 + 42 + 2 + 1);
}

TEST(CopyFile, TargetWithRowsIsRefusedAndKeepsThem) {
    TempModuleFolder temp;
    std::string source = MakeAwkwardSource(temp), target = temp.Path() + "target.db";
    std::string error;
    ASSERT_TRUE(CreateDatabase(target, &error));
    SqliteFile(target).Exec("INSERT INTO ObjectPar VALUES ('x', 5)");
    EXPECT_FALSE(CopyDatabase(source, target, &error));
    EXPECT_EQ(error, "target: the table ObjectPar already holds 1 row; nothing copied");
    EXPECT_EQ(SqliteFile(target).Dump(), std::vector<std::string>{"ObjectPar:|'x'|5"});

    EXPECT_FALSE(CopyDatabase(temp.Path() + "missing.db", temp.Path() + "t2.db", &error));
    EXPECT_EQ(error, "source: no database file at " + temp.Path() + "missing.db");
    SqliteFile(temp.Path() + "partial.db").Exec("CREATE TABLE SaleTable (SaleDate INTEGER)");
    EXPECT_FALSE(CopyDatabase(source, temp.Path() + "partial.db", &error));
    EXPECT_EQ(error, "target: the database has only some of the OrviCrm tables (no ChanceTable)");
}

TEST(CopyFile, RowsLostOnTheWayAreReportedByTable) {
    TempModuleFolder temp;
    std::string source = MakeAwkwardSource(temp), target = temp.Path() + "target.db";
    std::string error;
    ASSERT_TRUE(CreateDatabase(target, &error));
    SqliteFile(target).Exec(
        "CREATE TRIGGER drop_nulls AFTER INSERT ON SaleTable WHEN NEW.SaleName IS NULL "
        "BEGIN DELETE FROM SaleTable WHERE rowid = NEW.rowid; END");
    EXPECT_FALSE(CopyDatabase(source, target, &error));
    EXPECT_EQ(error, "SaleTable: 42 rows in the source but 41 in the target; nothing copied");
    EXPECT_TRUE(SqliteFile(target).Dump().empty());  // rolled back
}

// A seat writes into the source while the copy runs (between its first and second table):
// the copy takes the rows as they were when it began, and its counts agree.
TEST(CopyFile, ASourceWrittenDuringTheCopyIsCopiedAsItWasAtTheStart) {
    TempModuleFolder temp;
    std::unique_ptr<ScratchDatabase> server;
    std::vector<std::pair<std::string, std::string>> routes = {
        {MakeAwkwardSource(temp), temp.Path() + "copy.db"}};
    std::string error;
    if (getenv("ORVICRM_TEST_POSTGRES")) {
        server = std::make_unique<ScratchDatabase>();
        ASSERT_TRUE(CopyDatabase(routes[0].first, server->Location(), &error)) << error;
        routes.emplace_back(server->Location(), temp.Path() + "from-server.db");
    }
    for (const auto& [from, to] : routes) {
        TestSql seat(from);
        const std::string before = seat.Text("SELECT count(*) FROM SaleTable");
        auto progress = [&](const TableDef& table, int64_t done, int64_t) {
            if (&table == &KindTable(RecordKind::Chance) && done == 0)
                seat.Exec(
                    "INSERT INTO SaleTable (SaleName) VALUES ('late');"
                    "INSERT INTO ChanceTable (ChanceName) VALUES ('late')");
        };
        ASSERT_TRUE(CopyDatabase(from, to, &error, progress)) << from << ": " << error;
        TestSql copy(to);
        EXPECT_EQ(copy.Text("SELECT count(*) FROM SaleTable"), before) << from;
        EXPECT_EQ(copy.Number("SELECT count(*) FROM ChanceTable WHERE ChanceName = 'late'"), 0);
        EXPECT_EQ(seat.Number("SELECT count(*) FROM ChanceTable WHERE ChanceName = 'late'"), 1);
    }
}

TEST(CopyFile, NumbersStoredAsTextFitTheirColumnsAndOthersAreRefused) {
    TempModuleFolder temp;
    std::string source = temp.Path() + "source.db", error;
    ASSERT_TRUE(CreateDatabase(source, &error));
    SqliteFile(source).Exec(
        "INSERT INTO SaleTable (SaleNumber, DisCount, ProductPrice) VALUES ('12', 3.0, '2.5');"
        "INSERT INTO SaleTable (SaleNumber) VALUES (2147483647)");
    ASSERT_TRUE(CopyDatabase(source, temp.Path() + "ok.db", &error)) << error;
    std::vector<std::string> rows = SqliteFile(temp.Path() + "ok.db").Dump();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0],
              "SaleTable:|NULL|NULL|NULL|NULL|NULL|NULL|2.5|12|3|NULL|NULL|NULL|NULL|NULL|"
              "NULL|NULL|NULL|NULL|NULL|NULL");
    EXPECT_NE(rows[1].find("|2147483647|"), std::string::npos);

    const char* const kRefused[][2] = {
        {"'abc'", "SaleNumber holds \"abc\", not a number"},
        {"2147483648", "SaleNumber holds 2147483648, not a 32-bit integer"},
        {"2.5", "SaleNumber holds 2.5, not a 32-bit integer"},
    };
    for (const auto& [value, why] : kRefused) {
        std::string bad = temp.Path() + "bad.db", target = temp.Path() + "target.db";
        std::remove(bad.c_str());
        std::remove(target.c_str());
        ASSERT_TRUE(CreateDatabase(bad, &error));
        SqliteFile(bad).Exec(
            "INSERT INTO ObjectPar VALUES ('kept out', 5);"
            "INSERT INTO SaleTable (SaleNumber) VALUES (1), (" +
            std::string(value) + ")");
        EXPECT_FALSE(CopyDatabase(bad, target, &error));
        EXPECT_EQ(error, std::string("source: SaleTable row 2: ") + why);
        EXPECT_FALSE(std::filesystem::exists(target));  // the file made for it goes again
    }
}

TEST(CopyServer, AFileThroughAServerAndBackArrivesUnchanged) {
    SKIP_WITHOUT_SERVER();
    TempModuleFolder temp;
    ScratchDatabase server;
    std::string source = MakeAwkwardSource(temp), back = temp.Path() + "back.db", error;
    ASSERT_TRUE(CopyDatabase(source, server.Location(), &error)) << error;
    EXPECT_EQ(server.Text("SELECT count(*) FROM saletable WHERE salename IS NULL"), "1");
    EXPECT_EQ(server.Text("SELECT producttype FROM saletable WHERE saledate = 0"), "\\N");
    EXPECT_EQ(server.Text("SELECT productprice = 0.1::real FROM saletable WHERE saledate = 0"),
              "t");
    EXPECT_EQ(server.Text("SELECT max(orvi_rowkey) FROM saletable"), "42");
    ASSERT_TRUE(CopyDatabase(server.Location(), back, &error)) << error;
    EXPECT_EQ(SqliteFile(back).Dump(), SqliteFile(source).Dump());
}

TEST(CopyServer, ServerWithRowsIsRefusedAndInvalidTextRollsBack) {
    SKIP_WITHOUT_SERVER();
    TempModuleFolder temp;
    ScratchDatabase server;
    std::string source = MakeAwkwardSource(temp), error;
    ASSERT_TRUE(SeedGenerated(server.Location(), RecordKind::Chance, 3, 101, &error)) << error;
    EXPECT_FALSE(CopyDatabase(source, server.Location(), &error));
    EXPECT_EQ(error, "target: the table ChanceTable already holds 3 rows; nothing copied");
    EXPECT_EQ(server.Text("SELECT count(*) FROM saletable"), "0");

    ScratchDatabase empty;
    SqliteFile(source).Exec(
        "UPDATE SaleTable SET SaleName = CAST(x'ff41' AS TEXT) WHERE rowid = 40");
    EXPECT_FALSE(CopyDatabase(source, empty.Location(), &error));
    EXPECT_NE(error.find("target: invalid byte sequence for encoding \"UTF8\": 0xff"),
              std::string::npos)
        << error;
    EXPECT_EQ(error.find('\n'), std::string::npos);
    EXPECT_EQ(empty.Text("SELECT count(*) FROM saletable"), "0");
    EXPECT_EQ(empty.Text("SELECT count(*) FROM objectpar"), "0");
}

// Two copies into one server started together, into its tables or into a database without
// them: one writes every row once, the other waits for it, finds rows and writes nothing.
TEST(CopyServer, OfTwoCopiesTogetherOneWinsAndTheOtherChangesNothing) {
    SKIP_WITHOUT_SERVER();
    TempModuleFolder temp;
    std::string source = MakeAwkwardSource(temp), error;
    ASSERT_TRUE(SeedGenerated(source, RecordKind::Sale, 3000, 101, &error)) << error;
    for (bool tablesFirst : {true, false}) {
        ScratchDatabase server;
        if (tablesFirst) {
            ASSERT_TRUE(CreateDatabase(server.Location(), &error)) << error;
        }
        bool done[2] = {};
        std::string errors[2];
        {
            std::thread first(
                [&] { done[0] = CopyDatabase(source, server.Location(), &errors[0]); });
            done[1] = CopyDatabase(source, server.Location(), &errors[1]);
            first.join();
        }
        EXPECT_NE(done[0], done[1]) << errors[0] << errors[1];
        EXPECT_EQ(errors[done[0] ? 1 : 0],
                  "target: the table SaleTable already holds 3042 rows; nothing copied");
        EXPECT_EQ(server.Text("SELECT count(*) FROM saletable"), "3042");
        EXPECT_EQ(server.Text("SELECT count(*) FROM objectpar"), "42");
    }
}

}  // namespace
