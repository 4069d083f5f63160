#include "tools/orvicrm-db/db_fill.h"

#include <filesystem>

namespace {

// Progress is reported every this many rows.
constexpr int64_t kProgressStep = 256;

bool Target(std::string* error) {
    *error = "target: " + *error;
    return false;
}

bool RefuseRows(ToolDatabase& to, const FillOptions& options, std::string* error) {
    for (const TableDef* table : AllTables()) {
        int64_t rows = 0;
        if (!to.CountRows(*table, &rows, error)) return Target(error);
        if (rows > 0) {
            *error = std::string("target: the table ") + table->name + " already holds " +
                     std::to_string(rows) + (rows == 1 ? " row" : " rows") + "; nothing " +
                     options.verb;
            return false;
        }
    }
    return true;
}

bool FillTable(FillSource& from, ToolDatabase& to, const TableDef& table, int64_t total,
               const FillOptions& options, std::string* error) {
    std::unique_ptr<TableReader> reader = from.Read(table, error);
    if (!reader) return false;
    auto report = [&](int64_t done) {
        if (options.progress) options.progress(table, done, total);
    };
    report(0);
    std::vector<CellValue> row;
    TableReader::Step step;
    int64_t done = 0;
    while ((step = reader->Next(&row, error)) == TableReader::kRow) {
        if (!to.Append(table, row, error)) return Target(error);
        if (++done % kProgressStep == 0) report(done);
    }
    if (step != TableReader::kDone) return false;
    report(done);
    return true;
}

bool Fill(FillSource& source, std::unique_ptr<ToolDatabase> target, const FillOptions& options,
          std::string* error) {
    if (!target || !target->Begin(error) || !target->LockTables(error)) return Target(error);
    if (!RefuseRows(*target, options, error)) return false;
    std::vector<int64_t> counts;
    for (const TableDef* table : AllTables()) {
        int64_t count = 0;
        if (!source.CountRows(*table, &count, error) ||
            !FillTable(source, *target, *table, count, options, error))
            return false;
        counts.push_back(count);
    }
    for (size_t i = 0; i < counts.size(); ++i) {
        const TableDef& table = *AllTables()[i];
        int64_t written = 0;
        if (!target->CountRows(table, &written, error)) return Target(error);
        if (written != counts[i]) {
            *error = std::string(table.name) + ": " + std::to_string(counts[i]) + " rows in the " +
                     options.source + " but " + std::to_string(written) +
                     " in the target; nothing " + options.verb;
            return false;
        }
    }
    return target->Commit(error) || Target(error);
}

}  // namespace

bool FillEmptyDatabase(FillSource& source, const std::string& location, const FillOptions& options,
                       std::string* error) {
    bool created = false;
    std::unique_ptr<ToolDatabase> target = OpenWithTables(location, error, &created);
    if (Fill(source, std::move(target), options, error)) return true;
    // A file made for this fill goes again with it.
    if (created) {
        std::error_code ec;
        for (const char* suffix : {"", "-wal", "-shm"})
            std::filesystem::remove(location + suffix, ec);
    }
    return false;
}
