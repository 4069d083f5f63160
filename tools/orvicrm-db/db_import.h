// Bringing the eight tables of an Access database file into one of ours.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "data/schema.h"

struct ImportOptions {
    std::string codePage = "GBK";  // of the texts of a Jet 3 (Access 97) file
    bool lenient = false;          // a value without a form of its column's type becomes NULL
    // Called before anything is written with each line of what the file lacks or has extra.
    std::function<void(const std::string& line)> note;
    std::function<void(const TableDef& table, int64_t done, int64_t total)> progress;
};

struct ImportedTable {
    const TableDef* table;
    int64_t rows;
    int64_t nulled;  // values stored as NULL because they had no form (lenient only)
};

// Writes every row of the file's tables into the database at location (made when it is not
// there), in one transaction, refused when its tables hold rows. False with a one-line reason.
bool ImportAccessFile(const std::string& file, const std::string& location,
                      const ImportOptions& options, std::vector<ImportedTable>* imported,
                      std::string* error);
