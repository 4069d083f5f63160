#include "tools/orvicrm-db/db_init.h"

#include <sqlite3.h>

#include <filesystem>

#include "data/schema.h"
#include "platform/files.h"

namespace {

// Date columns that pages and statistics filter on.
const char* const kDateColumns[][2] = {
    {"SaleTable", "SaleDate"},
    {"ChanceTable", "ChanceDate"},
    {"ConsumeTable", "ConsumeDate"},
    {"HistoryTable", "HistoryBeginDate"},
    {"HistoryTable", "HistoryEndDate"},
    {"ActiveTable", "ActiveBeginDate"},
    {"ActiveTable", "ActiveEndDate"},
    {"FeedBackTable", "FeedBackDate"},
    {"FeedBackTable", "FeedBackEndDate"},
};

const char* SqlType(int type) {
    switch (type) {
        case kFieldFloat:
            return "REAL";
        case kFieldText:
            return "TEXT";
        default:
            return "INTEGER";
    }
}

}  // namespace

std::string SchemaSql() {
    std::string sql;
    for (const TableDef* table : AllTables()) {
        sql += "CREATE TABLE ";
        sql += table->name;
        sql += " (";
        for (size_t i = 0; i < table->fields.size(); ++i) {
            if (i) sql += ", ";
            sql += table->fields[i].name;
            sql += ' ';
            sql += SqlType(table->fields[i].type);
        }
        sql += ");\n";
        if (table->FieldIndex("ObjectDateTime") >= 0) {
            sql += "CREATE INDEX ";
            sql += table->name;
            sql += "_ObjectDateTime ON ";
            sql += table->name;
            sql += " (ObjectDateTime);\n";
        }
    }
    sql += "CREATE INDEX ObjectPar_ObjectParType ON ObjectPar (ObjectParType);\n";
    for (const auto& [table, column] : kDateColumns) {
        sql += "CREATE INDEX ";
        sql += table;
        sql += '_';
        sql += column;
        sql += " ON ";
        sql += table;
        sql += " (";
        sql += column;
        sql += ");\n";
    }
    return sql;
}

bool CreateDatabase(const std::string& path, std::string* error) {
    std::error_code ec;
    if (std::filesystem::exists(path, ec)) {
        *error = "file exists: " + path;
        return false;
    }
    if (!MakeSureDirectoryPathExists(path)) {
        *error = "cannot create the folder of " + path;
        return false;
    }
    sqlite3* db = nullptr;
    int rc =
        sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    char* message = nullptr;
    if (rc == SQLITE_OK) {
        // Write-ahead logging: a window's open result does not block another's writes.
        std::string sql = "PRAGMA journal_mode=WAL;\nBEGIN;\n" + SchemaSql() + "COMMIT;\n";
        rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message);
    }
    if (rc != SQLITE_OK) {
        *error = message ? message : (db ? sqlite3_errmsg(db) : "out of memory");
        sqlite3_free(message);
        sqlite3_close(db);
        std::filesystem::remove(path, ec);
        return false;
    }
    sqlite3_close(db);
    return true;
}
