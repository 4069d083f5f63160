// The databases orvicrm-db creates, fills and copies: a SQLite file or a PostgreSQL database on
// a server, reached directly (sqlite3, libpq) so that bulk writes can use each one's fastest
// path. Rows travel as CellValues in the column order of the table's TableDef; the server's
// hidden row key is never read and is assigned anew on every write.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "data/driver.h"
#include "data/schema.h"

// The rows of one table, in the order they were written.
class TableReader {
public:
    enum Step { kError = -1, kDone = 0, kRow = 1 };
    virtual ~TableReader() = default;
    // kRow: row holds the next row, one value per column of the table.
    virtual Step Next(std::vector<CellValue>* row, std::string* error) = 0;
};

class ToolDatabase {
public:
    enum class Access { kRead, kWrite };

    virtual ~ToolDatabase() = default;  // rolls back a transaction still open
    // A file must exist; a server database is reached with the connection string.
    static std::unique_ptr<ToolDatabase> Open(const std::string& location, Access access,
                                              std::string* error);

    // Which of our tables the database has (by AllTables() order).
    virtual bool HasTables(std::vector<bool>* present, std::string* error) = 0;
    // Creates every table and index in one transaction; refused when any of them exists.
    virtual bool CreateTables(std::string* error) = 0;
    virtual bool CountRows(const TableDef& table, int64_t* count, std::string* error) = 0;
    virtual std::unique_ptr<TableReader> Read(const TableDef& table, std::string* error) = 0;

    // Reads after this see the database as it was at the first of them, whatever others
    // write meanwhile.
    virtual bool BeginSnapshot(std::string* error) = 0;
    // Writes happen between Begin and Commit, in one transaction.
    virtual bool Begin(std::string* error) = 0;
    // Inside the transaction: other writers of our tables wait until it ends; readers do not.
    virtual bool LockTables(std::string* error) = 0;
    virtual bool Append(const TableDef& table, std::span<const CellValue> row,
                        std::string* error) = 0;
    // Adds the row unless an equal one (NULLs aside) is there already.
    virtual bool AppendIfMissing(const TableDef& table, std::span<const CellValue> row,
                                 std::string* error) = 0;
    virtual bool Commit(std::string* error) = 0;
};

std::unique_ptr<ToolDatabase> OpenSqliteFile(const std::string& path, ToolDatabase::Access access,
                                             std::string* error);
// Opens the database at location for writing, making the file or the tables first when there
// are none; refused when only some of the tables are there. created: whether this call made
// the file.
std::unique_ptr<ToolDatabase> OpenWithTables(const std::string& location, std::string* error,
                                             bool* created = nullptr);

// A new database file (its folders too) with every table; refused when the file exists, also
// when another process makes it at the same moment.
bool CreateSqliteFile(const std::string& path, std::string* error);
std::unique_ptr<ToolDatabase> OpenServerDatabase(const std::string& connection, std::string* error);

// The same server connection string (URI or key=value form) for another database; empty when
// it cannot be read.
std::string WithDatabaseName(const std::string& connection, const std::string& name);

// Statements shared by both databases; parameter is "?" or "$" (numbered from 1).
std::string ColumnList(const TableDef& table);
std::string InsertIfMissingSql(const TableDef& table, const char* parameter);
// Every row of the table in the order it was written; key is the database's row key.
std::string SelectAllSql(const TableDef& table, const char* key);
