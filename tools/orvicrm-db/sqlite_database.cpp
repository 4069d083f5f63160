// ToolDatabase on a SQLite file.
#include <sqlite3.h>

#include <fcntl.h>
#include <strings.h>
#include <unistd.h>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <map>

#include "platform/files.h"
#include "tools/orvicrm-db/db_init.h"
#include "tools/orvicrm-db/tool_database.h"

namespace {

bool IsNumberColumn(const FieldDef& field) {
    return field.type != kFieldText;
}

// A file may hold any value in any column; rows are read in the form of the column's type code
// so that they fit a server's typed columns. What has no such form is refused, not altered.
bool ReadCell(sqlite3_stmt* stmt, int column, const FieldDef& field, CellValue* value,
              std::string* why) {
    int stored = sqlite3_column_type(stmt, column);
    value->text.clear();
    if (stored == SQLITE_NULL) {
        value->type = kCellNull;
        return true;
    }
    if (!IsNumberColumn(field)) {
        const char* text = reinterpret_cast<const char*>(stored == SQLITE_BLOB
                                                             ? sqlite3_column_blob(stmt, column)
                                                             : sqlite3_column_text(stmt, column));
        value->type = kCellText;
        value->text.assign(text ? text : "",
                           static_cast<size_t>(sqlite3_column_bytes(stmt, column)));
        return true;
    }
    double number = 0;
    if (stored == SQLITE_INTEGER) {
        value->i = sqlite3_column_int64(stmt, column);
        number = static_cast<double>(value->i);
    } else if (stored == SQLITE_FLOAT) {
        number = sqlite3_column_double(stmt, column);
    } else {
        const char* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
        std::string_view view(text ? text : "",
                              static_cast<size_t>(sqlite3_column_bytes(stmt, column)));
        auto [end, ec] = std::from_chars(view.data(), view.data() + view.size(), number);
        if (view.empty() || ec != std::errc() || end != view.data() + view.size()) {
            *why = std::string(field.name) + " holds \"" + std::string(view) + "\", not a number";
            return false;
        }
    }
    if (field.type == kFieldFloat) {
        value->type = kCellFloat;
        value->d = number;
        return true;
    }
    bool fits = stored == SQLITE_INTEGER ? value->i >= std::numeric_limits<int32_t>::min() &&
                                               value->i <= std::numeric_limits<int32_t>::max()
                                         : number == std::floor(number) &&
                                               number >= std::numeric_limits<int32_t>::min() &&
                                               number <= std::numeric_limits<int32_t>::max();
    if (!fits) {
        char text[32];
        std::snprintf(text, sizeof text, "%.17g", number);
        *why = std::string(field.name) + " holds " + text + ", not a 32-bit integer";
        return false;
    }
    if (stored != SQLITE_INTEGER) value->i = static_cast<int64_t>(number);
    value->type = kCellInteger;
    return true;
}

class SqliteReader : public TableReader {
public:
    SqliteReader(const TableDef& table, sqlite3_stmt* stmt) : m_table(table), m_stmt(stmt) {}
    ~SqliteReader() override { sqlite3_finalize(m_stmt); }

    Step Next(std::vector<CellValue>* row, std::string* error) override {
        int rc = sqlite3_step(m_stmt);
        if (rc == SQLITE_DONE) return kDone;
        if (rc != SQLITE_ROW) {
            *error = std::string(m_table.name) + ": " + sqlite3_errmsg(sqlite3_db_handle(m_stmt));
            return kError;
        }
        ++m_row;
        row->resize(m_table.fields.size());
        std::string why;
        for (size_t i = 0; i < m_table.fields.size(); ++i) {
            if (!ReadCell(m_stmt, static_cast<int>(i), m_table.fields[i], &(*row)[i], &why)) {
                *error = std::string(m_table.name) + " row " + std::to_string(m_row) + ": " + why;
                return kError;
            }
        }
        return kRow;
    }

private:
    const TableDef& m_table;
    sqlite3_stmt* m_stmt;
    long m_row = 0;
};

class SqliteDatabase : public ToolDatabase {
public:
    explicit SqliteDatabase(sqlite3* db) : m_db(db) { sqlite3_busy_timeout(m_db, 5000); }
    ~SqliteDatabase() override {
        for (auto& [table, stmt] : m_inserts) sqlite3_finalize(stmt);
        for (auto& [table, stmt] : m_insertsIfMissing) sqlite3_finalize(stmt);
        if (!sqlite3_get_autocommit(m_db))
            sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(m_db);
    }

    bool HasTables(std::vector<bool>* present, std::string* error) override {
        sqlite3_stmt* stmt = Prepare("SELECT name FROM sqlite_master WHERE type = 'table'", error);
        if (!stmt) return false;
        present->assign(AllTables().size(), false);
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            const char* name = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
            for (size_t i = 0; i < AllTables().size(); ++i)
                if (strcasecmp(name, AllTables()[i]->name) == 0) (*present)[i] = true;
        }
        return sqlite3_finalize(stmt) == SQLITE_OK || Fail(error);
    }

    bool CreateTables(std::string* error) override {
        std::vector<bool> present;
        if (!HasTables(&present, error)) return false;
        for (size_t i = 0; i < present.size(); ++i) {
            if (present[i]) {
                *error = std::string("the database already has the table ") + AllTables()[i]->name;
                return false;
            }
        }
        return Exec("BEGIN IMMEDIATE;\n" + SchemaSql() + "COMMIT;", error);
    }

    bool CountRows(const TableDef& table, int64_t* count, std::string* error) override {
        sqlite3_stmt* stmt = Prepare(std::string("SELECT COUNT(*) FROM ") + table.name, error);
        if (!stmt) return false;
        bool ok = sqlite3_step(stmt) == SQLITE_ROW;
        *count = ok ? sqlite3_column_int64(stmt, 0) : 0;
        sqlite3_finalize(stmt);
        return ok || Fail(error);
    }

    std::unique_ptr<TableReader> Read(const TableDef& table, std::string* error) override {
        sqlite3_stmt* stmt = Prepare(SelectAllSql(table, "rowid"), error);
        if (!stmt) return nullptr;
        return std::make_unique<SqliteReader>(table, stmt);
    }

    // A deferred transaction takes its snapshot with its first read.
    bool BeginSnapshot(std::string* error) override { return Exec("BEGIN", error); }
    bool Begin(std::string* error) override { return Exec("BEGIN IMMEDIATE", error); }
    // BEGIN IMMEDIATE has taken the file's write lock already.
    bool LockTables(std::string*) override { return true; }

    bool Append(const TableDef& table, std::span<const CellValue> row,
                std::string* error) override {
        sqlite3_stmt*& stmt = m_inserts[&table];
        return (stmt || (stmt = Prepare(InsertSql(table), error))) && Run(stmt, row, error);
    }

    bool AppendIfMissing(const TableDef& table, std::span<const CellValue> row,
                         std::string* error) override {
        sqlite3_stmt*& stmt = m_insertsIfMissing[&table];
        return (stmt || (stmt = Prepare(InsertIfMissingSql(table, "?"), error))) &&
               Run(stmt, row, error);
    }

    bool Commit(std::string* error) override { return Exec("COMMIT", error); }

private:
    using Statements = std::map<const TableDef*, sqlite3_stmt*>;

    // Binds the row to a prepared statement and runs it.
    bool Run(sqlite3_stmt* stmt, std::span<const CellValue> row, std::string* error) {
        int index = 1;
        for (const CellValue& v : row) {
            switch (v.type) {
                case kCellInteger:
                    sqlite3_bind_int64(stmt, index, v.i);
                    break;
                case kCellFloat:
                    sqlite3_bind_double(stmt, index, v.d);
                    break;
                case kCellText:
                    sqlite3_bind_text(stmt, index, v.text.data(), static_cast<int>(v.text.size()),
                                      SQLITE_TRANSIENT);
                    break;
                default:
                    sqlite3_bind_null(stmt, index);
            }
            ++index;
        }
        bool done = sqlite3_step(stmt) == SQLITE_DONE;
        sqlite3_reset(stmt);
        return done || Fail(error);
    }

    static std::string InsertSql(const TableDef& table) {
        std::string sql =
            std::string("INSERT INTO ") + table.name + " (" + ColumnList(table) + ") VALUES (";
        for (size_t i = 0; i < table.fields.size(); ++i) sql += i ? ", ?" : "?";
        return sql + ")";
    }

    sqlite3_stmt* Prepare(const std::string& sql, std::string* error) {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(m_db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) Fail(error);
        return stmt;
    }

    bool Exec(const std::string& sql, std::string* error) {
        return sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK ||
               Fail(error);
    }

    bool Fail(std::string* error) {
        *error = sqlite3_errmsg(m_db);
        return false;
    }

    sqlite3* m_db;
    Statements m_inserts, m_insertsIfMissing;
};

}  // namespace

std::unique_ptr<ToolDatabase> OpenSqliteFile(const std::string& path, ToolDatabase::Access access,
                                             std::string* error) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        *error = "no database file at " + path;
        return nullptr;
    }
    sqlite3* db = nullptr;
    int flags =
        access == ToolDatabase::Access::kRead ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE;
    if (sqlite3_open_v2(path.c_str(), &db, flags, nullptr) != SQLITE_OK) {
        *error = "cannot open " + path + ": " + (db ? sqlite3_errmsg(db) : "out of memory");
        sqlite3_close(db);
        return nullptr;
    }
    return std::make_unique<SqliteDatabase>(db);
}

bool CreateSqliteFile(const std::string& path, std::string* error) {
    std::error_code ec;
    if (std::filesystem::exists(path, ec)) {
        *error = "file exists: " + path;
        return false;
    }
    if (!MakeSureDirectoryPathExists(path)) {
        *error = "cannot create the folder of " + path;
        return false;
    }
    // Claimed first, so that a failure below never removes a file another process made.
    int claimed = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (claimed < 0) {
        *error = (errno == EEXIST ? "file exists: " : "cannot create ") + path +
                 (errno == EEXIST ? "" : std::string(": ") + std::strerror(errno));
        return false;
    }
    close(claimed);
    sqlite3* db = nullptr;
    int rc =
        sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    // Write-ahead logging: a window's open result does not block another's writes.
    if (rc == SQLITE_OK)
        rc = sqlite3_exec(db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
        *error = db ? sqlite3_errmsg(db) : "out of memory";
        sqlite3_close(db);
        std::filesystem::remove(path, ec);
        return false;
    }
    if (!SqliteDatabase(db).CreateTables(error)) {
        std::filesystem::remove(path, ec);
        return false;
    }
    return true;
}
