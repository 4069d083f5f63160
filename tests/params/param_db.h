// A module folder with a fresh database, and a direct SQLite connection to arrange rows and
// read back what the code under test wrote.
#pragma once

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>
#include <vector>

#include "support/temp_dir.h"

using Names = std::vector<std::string>;

class ParamDb {
public:
    ParamDb() { EXPECT_EQ(sqlite3_open(m_temp.CreateDatabase().c_str(), &m_db), SQLITE_OK); }
    ~ParamDb() { sqlite3_close(m_db); }

    void Exec(const std::string& sql) {
        EXPECT_EQ(sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sql;
    }
    Names Column(const std::string& sql) {  // the first column of every row
        Names out;
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(m_db, sql.c_str(), -1, &st, nullptr);
        while (st && sqlite3_step(st) == SQLITE_ROW) {
            const unsigned char* text = sqlite3_column_text(st, 0);  // NULL reads as ""
            out.emplace_back(text ? reinterpret_cast<const char*>(text) : "");
        }
        sqlite3_finalize(st);
        return out;
    }
    // The name must not hold an apostrophe.
    void AddParam(int kind, const std::string& name) {
        Exec("INSERT INTO ObjectPar VALUES ('" + name + "', " + std::to_string(kind) + ")");
    }
    Names Params(int kind) {
        return Column("SELECT ObjectParName FROM ObjectPar WHERE ObjectParType=" +
                      std::to_string(kind));
    }
    // One sale, opportunity and feedback holding the product name (an SQL literal).
    void AddProductRecords(const std::string& literal) {
        for (const char* table : {"SaleTable", "ChanceTable", "FeedBackTable"})
            Exec(std::string("INSERT INTO ") + table + " (ProductName) VALUES (" + literal + ")");
    }
    // The product names of the three tables, each sorted: "a,b|a,b|a,b".
    std::string ProductNames() {
        std::string out;
        for (const char* table : {"SaleTable", "ChanceTable", "FeedBackTable"}) {
            if (table[0] != 'S') out += '|';
            Names names =
                Column(std::string("SELECT ProductName FROM ") + table + " ORDER BY ProductName");
            for (size_t i = 0; i < names.size(); ++i) out += (i ? "," : "") + names[i];
        }
        return out;
    }

private:
    TempModuleFolder m_temp;
    sqlite3* m_db = nullptr;
};
