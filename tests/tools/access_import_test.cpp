#include <gtest/gtest.h>

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <filesystem>
#include <map>

#include "data/schema.h"
#include "support/probes.h"
#include "support/temp_dir.h"
#include "support/test_sql.h"
#include "tools/orvicrm-db/db_import.h"

namespace {

std::string Fixture(const std::string& name) {
    return std::filesystem::path(__FILE__).parent_path().string() +
           "/../../../shared/fixtures/access/" + name;
}

using Listing = std::map<std::string, std::vector<QJsonObject>>;  // by table, in file order

Listing ReadListing(const std::string& path) {
    Listing listing;
    QFile file(QString::fromStdString(path));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path;
    while (!file.atEnd()) {
        QJsonObject row = QJsonDocument::fromJson(file.readLine()).object();
        listing[row.value("table").toString().toStdString()].push_back(row);
    }
    return listing;
}

struct Imported {
    bool done = false;
    std::string error;
    std::vector<std::string> notes;
    std::vector<ImportedTable> tables;
};

Imported Import(const std::string& file, const std::string& location, bool lenient = false) {
    Imported result;
    ImportOptions options;
    options.lenient = lenient;
    options.note = [&](const std::string& line) { result.notes.push_back(line); };
    result.done = ImportAccessFile(file, location, options, &result.tables, &result.error);
    return result;
}

// Every column of every row of the database against the listing: texts byte for byte,
// integers exactly, amounts as the 32-bit floats they were written as, NULL as null.
void ExpectAsListed(const std::string& location, Listing& listing) {
    TestSql sql(location);
    for (const TableDef* table : AllTables()) {
        std::string select = "SELECT ''";
        for (const FieldDef& field : table->fields)
            select += std::string(", coalesce(CAST(") + field.name + " AS text), 'NULL!')";
        auto rows = sql.Rows(select + " FROM " + table->name + " ORDER BY " + sql.RowKey());
        const std::vector<QJsonObject>& want = listing[table->name];
        ASSERT_EQ(rows.size(), want.size()) << table->name;
        for (size_t r = 0; r < rows.size(); ++r) {
            for (size_t c = 0; c < table->fields.size(); ++c) {
                const FieldDef& field = table->fields[c];
                const QJsonValue value = want[r].value(field.name);
                const std::string& got = rows[r][c + 1];
                SCOPED_TRACE(std::string(table->name) + " row " + std::to_string(r + 1) + " " +
                             field.name + " " + got);
                if (value.isNull() || value.isUndefined())
                    EXPECT_EQ(got, "NULL!");
                else if (field.type == kFieldText)
                    EXPECT_EQ(got, value.toString().toStdString());
                else if (field.type == kFieldFloat)
                    EXPECT_EQ(static_cast<float>(std::stod(got)),
                              static_cast<float>(value.toDouble()));
                else
                    EXPECT_EQ(std::stoll(got), static_cast<long long>(value.toDouble()));
            }
        }
    }
}

TEST(ImportAccess, EveryRowArrivesAsListedAndWhatTheFileLacksIsNamed) {
    const struct {
        const char* file;
        std::vector<std::string> notes;
    } kFiles[] = {
        {"sample", {}},
        {"sample-missing",
         {"SaleTable: no column ClientDateTime in the file, left NULL",
          "HistoryTable: not in the file, left empty"}},
    };
    for (const auto& f : kFiles) {
        TempModuleFolder temp;
        std::string location = temp.CreateDatabase();
        Imported imported = Import(Fixture(std::string(f.file) + ".mdb"), location);
        ASSERT_TRUE(imported.done) << imported.error;
        EXPECT_EQ(imported.notes, f.notes);
        Listing listing = ReadListing(Fixture(std::string(f.file) + ".jsonl"));
        ASSERT_EQ(imported.tables.size(), AllTables().size());
        for (const ImportedTable& table : imported.tables) {
            EXPECT_EQ(table.rows, static_cast<int64_t>(listing[table.table->name].size()));
            EXPECT_EQ(table.nulled, 0);
        }
        ExpectAsListed(location, listing);
    }
}

TEST(ImportAccess, BadFilesAndTargetsWithRowsAreRefusedAndNothingIsWritten) {
    TempModuleFolder temp;
    std::string location = temp.CreateDatabase();
    std::string sample = Fixture("sample.mdb");
    const std::string bytes = ReadFile(sample);
    auto write = [&](const std::string& name, const std::string& content) {
        WriteFile(temp.Path() + name, content);
        return temp.Path() + name;
    };
    // The emoji of the seventh sale loses the second half of its surrogate pair.
    std::string lone = bytes;
    size_t emoji = lone.find("\x3D\xD8\x00\xDE");
    ASSERT_NE(emoji, std::string::npos);
    lone[emoji + 3] = 0;
    lone[emoji + 2] = 'A';
    const struct {
        std::string file, error;
    } kRefused[] = {
        {write("half.mdb", bytes.substr(0, bytes.size() / 2)),
         temp.Path() + "half.mdb is damaged: it ends in the middle of a page"},
        {write("pages.mdb", bytes.substr(0, bytes.size() / 2 / 4096 * 4096)),
         temp.Path() + "pages.mdb is damaged: SaleTable says it holds 600 rows, "},
        {write("notes.mdb", "Standard Jet DB? no, just notes\n"),
         temp.Path() + "notes.mdb is not an Access database"},
        {write("lone.mdb", lone),
         "SaleTable row 7: SaleName holds a text with a lone surrogate U+D83D"},
        {temp.Path() + "missing.mdb",
         "cannot read " + temp.Path() + "missing.mdb: No such file or directory"},
    };
    TestSql sql(location);
    for (const auto& c : kRefused) {
        Imported imported = Import(c.file, location);
        EXPECT_FALSE(imported.done);
        EXPECT_EQ(imported.error.substr(0, c.error.size()), c.error);
        EXPECT_EQ(imported.error.find('\n'), std::string::npos);
        EXPECT_EQ(sql.Number("SELECT count(*) FROM ObjectPar"), 0) << c.file;
    }

    Imported lenient = Import(temp.Path() + "lone.mdb", location, true);
    ASSERT_TRUE(lenient.done) << lenient.error;
    EXPECT_EQ(lenient.tables[0].nulled, 1);
    EXPECT_EQ(sql.Number("SELECT count(*) FROM SaleTable WHERE SaleName IS NULL"), 2);
    Imported again = Import(sample, location);
    EXPECT_FALSE(again.done);
    EXPECT_EQ(again.error, "target: the table SaleTable already holds 600 rows; nothing imported");
    EXPECT_EQ(sql.Number("SELECT count(*) FROM SaleTable"), 600);
}

}  // namespace
