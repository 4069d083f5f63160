// A module folder with a fresh database, and a direct connection to arrange rows and read
// back what the code under test wrote.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "support/test_sql.h"

using Names = std::vector<std::string>;

class ParamDb {
public:
    void Exec(const std::string& sql) { m_sql.Exec(sql); }
    Names Column(const std::string& sql) { return m_sql.Column(sql); }  // NULL reads as ""
    // The name must not hold an apostrophe.
    void AddParam(int kind, const std::string& name) {
        Exec("INSERT INTO ObjectPar (ObjectParName, ObjectParType) VALUES ('" + name + "', " +
             std::to_string(kind) + ")");
    }
    Names Params(int kind) {  // in the order of their rows
        return Column("SELECT ObjectParName FROM ObjectPar WHERE ObjectParType=" +
                      std::to_string(kind) + " ORDER BY " + m_sql.RowKey());
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
            Names names = Column(std::string("SELECT coalesce(ProductName, '') AS n FROM ") +
                                 table + " ORDER BY n");
            for (size_t i = 0; i < names.size(); ++i) out += (i ? "," : "") + names[i];
        }
        return out;
    }
    TestSql& Sql() { return m_sql; }

private:
    TempModuleFolder m_temp;
    TestSql m_sql{m_temp.CreateDatabase()};
};
