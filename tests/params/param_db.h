// The record windows' arrangement, with the parameters of a kind and the product names of
// the records that hold one.
#pragma once

#include <string>
#include <vector>

#include "support/record_windows.h"

using Names = std::vector<std::string>;

class ParamTest : public RecordWindowsTest {
protected:
    Names Params(int kind) {  // in the order of their rows
        return m_sql->Column("SELECT ObjectParName FROM ObjectPar WHERE ObjectParType=" +
                             std::to_string(kind) + " ORDER BY " + m_sql->RowKey());
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
            Names names = m_sql->Column(std::string("SELECT coalesce(ProductName, '') AS n FROM ") +
                                        table + " ORDER BY n");
            for (size_t i = 0; i < names.size(); ++i) out += (i ? "," : "") + names[i];
        }
        return out;
    }
};
