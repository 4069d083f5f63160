#include "tools/orvicrm-db/db_import.h"

#include "tools/orvicrm-db/access_file.h"
#include "tools/orvicrm-db/db_fill.h"

namespace {

class AccessSource : public FillSource {
public:
    AccessSource(AccessFile& file, bool lenient) : m_file(file), m_lenient(lenient) {}

    bool CountRows(const TableDef& table, int64_t* count, std::string*) override {
        *count = m_file.RowCount(table);
        return true;
    }
    std::unique_ptr<TableReader> Read(const TableDef& table, std::string* error) override {
        m_imported.push_back({&table, m_file.RowCount(table), 0});
        return m_file.Read(table, m_lenient, &m_imported.back().nulled, error);
    }
    std::vector<ImportedTable>& Imported() { return m_imported; }

private:
    AccessFile& m_file;
    bool m_lenient;
    std::vector<ImportedTable> m_imported;
};

}  // namespace

bool ImportAccessFile(const std::string& file, const std::string& location,
                      const ImportOptions& options, std::vector<ImportedTable>* imported,
                      std::string* error) {
    std::unique_ptr<AccessFile> access = AccessFile::Open(file, options.codePage, error);
    if (!access) return false;
    if (options.note)
        for (const std::string& line : access->Differences()) options.note(line);
    AccessSource source(*access, options.lenient);
    source.Imported().reserve(AllTables().size());
    FillOptions fill;
    fill.source = "file";
    fill.verb = "imported";
    fill.progress = options.progress;
    if (!FillEmptyDatabase(source, location, fill, error)) return false;
    *imported = source.Imported();
    return true;
}
