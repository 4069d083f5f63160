#include "tools/orvicrm-db/db_copy.h"

#include "tools/orvicrm-db/tool_database.h"

namespace {

bool Prefixed(const char* side, std::string* error) {
    *error = std::string(side) + ": " + *error;
    return false;
}

bool RefuseRows(ToolDatabase& to, std::string* error) {
    for (const TableDef* table : AllTables()) {
        int64_t rows = 0;
        if (!to.CountRows(*table, &rows, error)) return false;
        if (rows > 0) {
            *error = std::string("the table ") + table->name + " already holds " +
                     std::to_string(rows) + (rows == 1 ? " row" : " rows") + "; nothing copied";
            return false;
        }
    }
    return true;
}

bool CopyRows(ToolDatabase& from, ToolDatabase& to, const TableDef& table, std::string* error) {
    std::unique_ptr<TableReader> reader = from.Read(table, error);
    if (!reader) return Prefixed("source", error);
    std::vector<CellValue> row;
    TableReader::Step step;
    while ((step = reader->Next(&row, error)) == TableReader::kRow)
        if (!to.Append(table, row, error)) return Prefixed("target", error);
    return step == TableReader::kDone || Prefixed("source", error);
}

bool CompareCounts(ToolDatabase& from, ToolDatabase& to, std::string* error) {
    for (const TableDef* table : AllTables()) {
        int64_t source = 0, target = 0;
        if (!from.CountRows(*table, &source, error)) return Prefixed("source", error);
        if (!to.CountRows(*table, &target, error)) return Prefixed("target", error);
        if (source != target) {
            *error = std::string(table->name) + ": " + std::to_string(source) +
                     " rows in the source but " + std::to_string(target) + " in the target";
            return false;
        }
    }
    return true;
}

}  // namespace

bool CopyDatabase(const std::string& from, const std::string& to, std::string* error) {
    std::unique_ptr<ToolDatabase> source =
        ToolDatabase::Open(from, ToolDatabase::Access::kRead, error);
    if (!source) return Prefixed("source", error);
    std::vector<bool> present;
    if (!source->HasTables(&present, error)) return Prefixed("source", error);
    for (size_t i = 0; i < present.size(); ++i) {
        if (!present[i]) {
            *error = std::string("not an OrviCrm database (no table ") + AllTables()[i]->name + ")";
            return Prefixed("source", error);
        }
    }
    std::unique_ptr<ToolDatabase> target = OpenWithTables(to, error);
    if (!target || !target->Begin(error)) return Prefixed("target", error);
    if (!RefuseRows(*target, error)) return Prefixed("target", error);
    for (const TableDef* table : AllTables())
        if (!CopyRows(*source, *target, *table, error)) return false;
    if (!target->Commit(error)) return Prefixed("target", error);
    return CompareCounts(*source, *target, error);
}
