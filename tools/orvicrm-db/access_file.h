// An Access database file (Jet 3, Jet 4 or later) read with libmdb: its tables and columns
// matched with ours by name regardless of case, its rows as values of our columns' types.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "data/schema.h"
#include "tools/orvicrm-db/tool_database.h"

class AccessFile {
public:
    // Refused with a one-line reason when the file cannot be read or locked by another
    // program, is no Access database, or is damaged. Jet 3 texts are read in codePage.
    static std::unique_ptr<AccessFile> Open(const std::string& path, const std::string& codePage,
                                            std::string* error);
    virtual ~AccessFile() = default;

    // What does not match ours: a line per table of either side that lacks a table or
    // columns of the other.
    virtual std::vector<std::string> Differences() const = 0;
    // The number of rows the file's table says it holds; 0 for a table the file lacks.
    virtual int64_t RowCount(const TableDef& table) const = 0;
    // Rows of one of our tables in the file's order; a column the file lacks is NULL. A value
    // without a form of our column's type stops the reading, naming row and column, unless
    // lenient: then it is NULL and counted in nulled.
    virtual std::unique_ptr<TableReader> Read(const TableDef& table, bool lenient, int64_t* nulled,
                                              std::string* error) = 0;
};
