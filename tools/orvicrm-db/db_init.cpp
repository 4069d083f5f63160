#include "tools/orvicrm-db/db_init.h"

#include <vector>

#include "data/driver.h"
#include "data/schema.h"
#include "tools/orvicrm-db/tool_database.h"

namespace {

// How one database spells the schema: its column type per type code, and the hidden row key
// column that ends every table on a server.
struct SchemaDialect {
    const char* types[4];
    std::string rowKeyColumn;
};

const SchemaDialect kFileSchema = {{"INTEGER", "REAL", "INTEGER", "TEXT"}, ""};
// Texts compare byte by byte, as in a SQLite file.
const SchemaDialect kServerSchema = {{"integer", "real", "integer", "text COLLATE \"C\""},
                                     std::string(kServerRowKey) + " bigserial PRIMARY KEY"};

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

struct IndexDef {
    std::string table;
    std::string column;
};

std::vector<IndexDef> Indexes() {
    std::vector<IndexDef> indexes;
    for (const TableDef* table : AllTables())
        if (table->FieldIndex("ObjectDateTime") >= 0)
            indexes.push_back({table->name, "ObjectDateTime"});
    indexes.push_back({"ObjectPar", "ObjectParType"});
    for (const auto& [table, column] : kDateColumns) indexes.push_back({table, column});
    return indexes;
}

std::string RenderSchema(const SchemaDialect& dialect) {
    std::string sql;
    for (const TableDef* table : AllTables()) {
        sql += "CREATE TABLE ";
        sql += table->name;
        sql += " (";
        for (size_t i = 0; i < table->fields.size(); ++i) {
            if (i) sql += ", ";
            sql += table->fields[i].name;
            sql += ' ';
            sql += dialect.types[table->fields[i].type];
        }
        if (!dialect.rowKeyColumn.empty()) sql += ", " + dialect.rowKeyColumn;
        sql += ");\n";
    }
    for (const IndexDef& index : Indexes())
        sql += "CREATE INDEX " + index.table + '_' + index.column + " ON " + index.table + " (" +
               index.column + ");\n";
    return sql;
}

}  // namespace

std::string SchemaSql() {
    return RenderSchema(kFileSchema);
}

std::string ServerSchemaSql() {
    return RenderSchema(kServerSchema);
}

bool CreateDatabase(const std::string& location, std::string* error) {
    if (!IsServerLocation(location)) return CreateSqliteFile(location, error);
    std::unique_ptr<ToolDatabase> db = OpenServerDatabase(location, error);
    return db && db->CreateTables(error);
}
