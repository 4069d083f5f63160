#include "tools/orvicrm-db/db_copy.h"

#include "tools/orvicrm-db/db_fill.h"
#include "tools/orvicrm-db/tool_database.h"

namespace {

bool Prefixed(const char* side, std::string* error) {
    *error = std::string(side) + ": " + *error;
    return false;
}

// The source database, read in one snapshot: a seat writing into it meanwhile changes
// neither the rows nor the counts the copy sees.
class DatabaseSource : public FillSource {
public:
    explicit DatabaseSource(std::unique_ptr<ToolDatabase> db) : m_db(std::move(db)) {}

    bool CountRows(const TableDef& table, int64_t* count, std::string* error) override {
        return m_db->CountRows(table, count, error) || Prefixed("source", error);
    }
    std::unique_ptr<TableReader> Read(const TableDef& table, std::string* error) override {
        std::unique_ptr<TableReader> reader = m_db->Read(table, error);
        if (!reader) {
            Prefixed("source", error);
            return nullptr;
        }
        return std::make_unique<Reader>(std::move(reader));
    }

private:
    class Reader : public TableReader {
    public:
        explicit Reader(std::unique_ptr<TableReader> reader) : m_reader(std::move(reader)) {}
        Step Next(std::vector<CellValue>* row, std::string* error) override {
            Step step = m_reader->Next(row, error);
            if (step == kError) Prefixed("source", error);
            return step;
        }

    private:
        std::unique_ptr<TableReader> m_reader;
    };

    std::unique_ptr<ToolDatabase> m_db;
};

}  // namespace

bool CopyDatabase(const std::string& from, const std::string& to, std::string* error,
                  const std::function<void(const TableDef&, int64_t, int64_t)>& progress) {
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
    if (!source->BeginSnapshot(error)) return Prefixed("source", error);
    DatabaseSource rows(std::move(source));
    FillOptions options;
    options.progress = progress;
    return FillEmptyDatabase(rows, to, options, error);
}
