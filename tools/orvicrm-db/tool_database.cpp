#include "tools/orvicrm-db/tool_database.h"

#include <algorithm>
#include <filesystem>

std::unique_ptr<ToolDatabase> ToolDatabase::Open(const std::string& location, Access access,
                                                 std::string* error) {
    if (IsServerLocation(location)) return OpenServerDatabase(location, error);
    return OpenSqliteFile(location, access, error);
}

std::unique_ptr<ToolDatabase> OpenWithTables(const std::string& location, std::string* error,
                                             bool* created) {
    std::error_code ec;
    bool made = false;
    if (!IsServerLocation(location) && !std::filesystem::exists(location, ec)) {
        made = CreateSqliteFile(location, error);
        // Another process may have made it meanwhile: then it is opened as it is.
        if (!made && !std::filesystem::exists(location, ec)) return nullptr;
    }
    if (created) *created = made;
    std::unique_ptr<ToolDatabase> db =
        ToolDatabase::Open(location, ToolDatabase::Access::kWrite, error);
    std::vector<bool> present;
    if (!db || !db->HasTables(&present, error)) return nullptr;
    bool none = std::none_of(present.begin(), present.end(), [](bool p) { return p; });
    if (none && db->CreateTables(error)) return db;
    if (none) {
        // Another process may have made them meanwhile; else the reason stands.
        std::string why = *error;
        db = ToolDatabase::Open(location, ToolDatabase::Access::kWrite, error);
        if (db && db->HasTables(&present, error) &&
            std::all_of(present.begin(), present.end(), [](bool p) { return p; }))
            return db;
        *error = why;
        return nullptr;
    }
    auto missing = std::find(present.begin(), present.end(), false);
    if (missing != present.end()) {
        *error = std::string("the database has only some of the OrviCrm tables (no ") +
                 AllTables()[static_cast<size_t>(missing - present.begin())]->name + ")";
        return nullptr;
    }
    return db;
}

std::string ColumnList(const TableDef& table) {
    std::string list;
    for (const FieldDef& field : table.fields) {
        if (!list.empty()) list += ", ";
        list += field.name;
    }
    return list;
}

std::string InsertIfMissingSql(const TableDef& table, const char* parameter) {
    std::string values, match;
    for (size_t i = 0; i < table.fields.size(); ++i) {
        std::string p = parameter + std::to_string(i + 1);
        values += (i ? ", " : "") + p;
        match += std::string(i ? " AND " : "") + table.fields[i].name + " = " + p;
    }
    return std::string("INSERT INTO ") + table.name + " (" + ColumnList(table) + ") SELECT " +
           values + " WHERE NOT EXISTS (SELECT 1 FROM " + table.name + " WHERE " + match + ")";
}

std::string SelectAllSql(const TableDef& table, const char* key) {
    return "SELECT " + ColumnList(table) + " FROM " + table.name + " ORDER BY " + key;
}
