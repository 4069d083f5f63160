#include "tools/orvicrm-db/db_copy.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "data/schema.h"
#include "support/scratch_database.h"
#include "support/temp_dir.h"
#include "support/test_sql.h"
#include "tools/orvicrm-db/db_init.h"
#include "tools/orvicrm-db/db_seed.h"

namespace {

// Every row of every table of a file as SQLite quotes its cells, in row order.
std::vector<std::string> Dump(const std::string& path) {
    TestSql sql(path);
    std::vector<std::string> rows;
    for (const TableDef* table : AllTables()) {
        std::string select = "SELECT '" + std::string(table->name) + ":'";
        for (const FieldDef& field : table->fields)
            select += std::string(" || '|' || quote(") + field.name + ")";
        for (std::string& row : sql.Column(select + " FROM " + table->name + " ORDER BY rowid"))
            rows.push_back(std::move(row));
    }
    return rows;
}

// The demo data, a sale with awkward texts and extreme numbers (reals as stored floats), a
// sale of NULLs and a finance row with a control character.
std::string MakeAwkwardSource(const TempModuleFolder& temp) {
    std::string path = temp.Path() + "source.db";
    std::string error;
    EXPECT_TRUE(SeedDemo(path, &error)) << error;
    RunOnFile(path, R"(
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

// Every cell of every table arrives unchanged, in a file and through a server and back, also
// when a seat writes into the source during the copy (between its first and second table): the
// copy takes the rows as they were when it began, and its counts agree.
TEST(Copy, EveryCellArrivesUnchangedAsItWasWhenTheCopyBegan) {
    TempModuleFolder temp;
    std::string source = MakeAwkwardSource(temp), error;
    const auto copyWhileWritten = [&](const std::string& from, const std::string& to) {
        TestSql seat(from);
        const std::string late = "INTO ChanceTable (ChanceName) VALUES ('" + to + "')";
        auto progress = [&](const TableDef& table, int64_t done, int64_t) {
            if (&table == &KindTable(RecordKind::Chance) && done == 0)
                seat.Exec("INSERT INTO SaleTable (SaleName) VALUES ('late'); INSERT " + late);
        };
        EXPECT_TRUE(CopyDatabase(from, to, &error, progress)) << from << ": " << error;
        EXPECT_EQ(seat.Number("SELECT count(*) FROM ChanceTable WHERE ChanceName = '" + to + "'"),
                  1);
    };
    const std::vector<std::string> rows = Dump(source);
    EXPECT_EQ(rows.size(), 40u + 20 + 30 + 25 + 20 + 20 + 42 + 2 + 1);
    copyWhileWritten(source, temp.Path() + "new/target.db");
    EXPECT_EQ(Dump(temp.Path() + "new/target.db"), rows);
    if (!TestOnPostgres()) return;

    ScratchDatabase server;
    ASSERT_TRUE(CopyDatabase(source, server.Location(), &error)) << error;
    EXPECT_EQ(server.Sql().Joined("SELECT count(*), min(producttype), min(productprice) = "
                                  "0.1::real, max(orvi_rowkey) FROM saletable WHERE salename IS "
                                  "NULL OR saledate = 0"),
              "2/\\N/1/42");
    copyWhileWritten(server.Location(), temp.Path() + "back.db");
    EXPECT_EQ(Dump(temp.Path() + "back.db"), Dump(source));
}

TEST(Copy, RowsLostTargetsWithRowsOrSomeTablesAndMissingSourcesAreRefused) {
    TempModuleFolder temp;
    std::string source = MakeAwkwardSource(temp), target = temp.Path() + "target.db", error;
    ASSERT_TRUE(CreateDatabase(target, &error));
    // Rows lost on the way are reported by table, and the copy is rolled back.
    RunOnFile(target,
              "CREATE TRIGGER drop_nulls AFTER INSERT ON SaleTable WHEN NEW.SaleName IS NULL "
              "BEGIN DELETE FROM SaleTable WHERE rowid = NEW.rowid; END");
    EXPECT_FALSE(CopyDatabase(source, target, &error));
    EXPECT_EQ(error, "SaleTable: 42 rows in the source but 41 in the target; nothing copied");
    EXPECT_TRUE(Dump(target).empty());
    RunOnFile(target, "INSERT INTO ObjectPar VALUES ('x', 5)");
    EXPECT_FALSE(CopyDatabase(source, target, &error));
    EXPECT_EQ(error, "target: the table ObjectPar already holds 1 row; nothing copied");
    EXPECT_EQ(Dump(target), std::vector<std::string>{"ObjectPar:|'x'|5"});

    EXPECT_FALSE(CopyDatabase(temp.Path() + "missing.db", temp.Path() + "t2.db", &error));
    EXPECT_EQ(error, "source: no database file at " + temp.Path() + "missing.db");
    RunOnFile(temp.Path() + "partial.db", "CREATE TABLE SaleTable (SaleDate INTEGER)");
    EXPECT_FALSE(CopyDatabase(source, temp.Path() + "partial.db", &error));
    EXPECT_EQ(error, "target: the database has only some of the OrviCrm tables (no ChanceTable)");
}

// Numbers stored as text fit their columns; other values are refused before any row is
// written, on a server invalid text too.
TEST(Copy, ValuesThatDoNotFitTheirColumnsAreRefusedAndNothingIsWritten) {
    TempModuleFolder temp;
    std::string source = temp.Path() + "source.db", error;
    ASSERT_TRUE(CreateDatabase(source, &error));
    RunOnFile(
        source,
        "INSERT INTO SaleTable (SaleNumber, DisCount, ProductPrice) VALUES ('12', 3.0, '2.5');"
        "INSERT INTO SaleTable (SaleNumber) VALUES (2147483647)");
    ASSERT_TRUE(CopyDatabase(source, temp.Path() + "ok.db", &error)) << error;
    std::vector<std::string> rows = Dump(temp.Path() + "ok.db");
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
        const std::string bad = temp.Path() + value + ".db", target = bad + ".copy";
        ASSERT_TRUE(CreateDatabase(bad, &error));
        RunOnFile(bad,
                  "INSERT INTO ObjectPar VALUES ('kept out', 5);"
                  "INSERT INTO SaleTable (SaleNumber) VALUES (1), (" +
                      std::string(value) + ")");
        EXPECT_FALSE(CopyDatabase(bad, target, &error));
        EXPECT_EQ(error, std::string("source: SaleTable row 2: ") + why);
        EXPECT_FALSE(std::filesystem::exists(target));  // the file made for it goes again
    }
    if (!TestOnPostgres()) return;

    ScratchDatabase server;
    RunOnFile(source, "UPDATE SaleTable SET SaleName = CAST(x'ff41' AS TEXT) WHERE rowid = 2");
    EXPECT_FALSE(CopyDatabase(source, server.Location(), &error));
    EXPECT_NE(error.find("target: invalid byte sequence for encoding \"UTF8\": 0xff"),
              std::string::npos)
        << error;
    EXPECT_EQ(error.find('\n'), std::string::npos);
    EXPECT_EQ(server.Sql().Joined("SELECT (SELECT count(*) FROM saletable), count(*) FROM "
                                  "objectpar"),
              "0/0");
}

// Two copies into one server started together, into its tables or into a database without
// them: one writes every row once, the other waits for it, finds rows and writes nothing.
TEST(Copy, OfTwoCopiesTogetherOneWinsAndTheOtherChangesNothing) {
    SKIP_WITHOUT_SERVER();
    TempModuleFolder temp;
    std::string source = MakeAwkwardSource(temp), error;
    ASSERT_TRUE(SeedGenerated(source, RecordKind::Sale, 3000, 101, &error)) << error;
    for (bool tablesFirst : {true, false}) {
        ScratchDatabase server;
        ASSERT_TRUE(!tablesFirst || CreateDatabase(server.Location(), &error)) << error;
        bool done[2] = {};
        std::string errors[2];
        std::thread first([&] { done[0] = CopyDatabase(source, server.Location(), &errors[0]); });
        done[1] = CopyDatabase(source, server.Location(), &errors[1]);
        first.join();
        EXPECT_NE(done[0], done[1]) << errors[0] << errors[1];
        EXPECT_EQ(errors[done[0] ? 1 : 0],
                  "target: the table SaleTable already holds 3042 rows; nothing copied");
        EXPECT_EQ(server.Sql().Joined("SELECT (SELECT count(*) FROM saletable), count(*) FROM "
                                      "objectpar"),
                  "3042/42");
    }
}

}  // namespace
