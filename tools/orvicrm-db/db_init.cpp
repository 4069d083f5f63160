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
    std::string indexTail;  // after an index's column
};

const SchemaDialect kFileSchema = {{"INTEGER", "REAL", "INTEGER", "TEXT"}, "", ""};
// Texts compare byte by byte, as in a SQLite file. An index ends with the row key, as a
// SQLite index ends with the rowid, so that rows found by it come in the same order.
const SchemaDialect kServerSchema = {{"integer", "real", "integer", "text COLLATE \"C\""},
                                     std::string(kServerRowKey) + " bigserial PRIMARY KEY",
                                     std::string(", ") + kServerRowKey};

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
    for (const IndexDef& index : AllIndexes())
        sql += std::string("CREATE INDEX ") + index.table + '_' + index.column + " ON " +
               index.table + " (" + index.column + dialect.indexTail + ");\n";
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
