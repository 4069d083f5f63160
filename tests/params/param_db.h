// A module folder with a fresh database and a direct SQLite connection beside the module's,
// to arrange rows and read back what the code under test wrote.
#pragma once

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>
#include <vector>

#include "support/temp_dir.h"

class ParamDb {
public:
    ParamDb() { EXPECT_EQ(sqlite3_open(m_temp.CreateDatabase().c_str(), &m_db), SQLITE_OK); }
    ~ParamDb() { sqlite3_close(m_db); }
    ParamDb(const ParamDb&) = delete;
    ParamDb& operator=(const ParamDb&) = delete;

    void Exec(const std::string& sql) {
        char* error = nullptr;
        EXPECT_EQ(sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, &error), SQLITE_OK)
            << sql << ": " << (error ? error : "");
        sqlite3_free(error);
    }
    // The first column of every row of the query, as text.
    std::vector<std::string> Column(const std::string& sql) {
        std::vector<std::string> out;
        sqlite3_stmt* st = nullptr;
        EXPECT_EQ(sqlite3_prepare_v2(m_db, sql.c_str(), -1, &st, nullptr), SQLITE_OK) << sql;
        while (st && sqlite3_step(st) == SQLITE_ROW) {
            const unsigned char* text = sqlite3_column_text(st, 0);
            out.emplace_back(text ? reinterpret_cast<const char*>(text) : "");
        }
        sqlite3_finalize(st);
        return out;
    }
    void AddParam(int kind, const std::string& name) {
        Exec("INSERT INTO ObjectPar (ObjectParName, ObjectParType) VALUES ('" + Quote(name) +
             "', " + std::to_string(kind) + ")");
    }
    std::vector<std::string> Params(int kind) {
        return Column("SELECT ObjectParName FROM ObjectPar WHERE ObjectParType=" +
                      std::to_string(kind) + " ORDER BY rowid");
    }
    // One sale, opportunity and feedback holding this product name.
    void AddProductRecords(const std::string& product) {
        const std::string v = "'" + Quote(product) + "'";
        Exec("INSERT INTO SaleTable (SaleName, ProductName) VALUES ('s', " + v + ")");
        Exec("INSERT INTO ChanceTable (ChanceName, ProductName) VALUES ('c', " + v + ")");
        Exec("INSERT INTO FeedBackTable (FeedBackName, ProductName) VALUES ('f', " + v + ")");
    }
    // The product names of the three tables, sorted per table, joined "sale|chance|feedback".
    std::string ProductNames() {
        std::string out;
        for (const char* table : {"SaleTable", "ChanceTable", "FeedBackTable"}) {
            if (table[0] != 'S') out += '|';
            bool first = true;
            for (const std::string& name : Column(std::string("SELECT ProductName FROM ") + table +
                                                  " ORDER BY ProductName")) {
                out += (first ? "" : ",") + name;
                first = false;
            }
        }
        return out;
    }
    static std::string Quote(const std::string& text) {
        std::string out;
        for (char c : text) out += c == '\'' ? std::string("''") : std::string(1, c);
        return out;
    }

private:
    TempModuleFolder m_temp;
    sqlite3* m_db = nullptr;
};
