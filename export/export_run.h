// Writing the ticked records of a listed result to a table file, record by record in the
// result's order. Needs no window: the caller says which records are ticked, whether to
// stop, and where progress goes.
#pragma once

#include <functional>
#include <string>
#include <vector>

class CRstValues;

struct ExportColumn {
    std::string heading;
    std::string field;  // column name in the table
    int type;           // type code of the column
};

struct ExportJob {
    std::string title;
    std::string path;
    std::vector<ExportColumn> columns;  // in the file's order
    CRstValues* records = nullptr;      // the listed result; record i has index i
    long recordCount = 0;
};

enum class ExportOutcome {
    Completed,   // the file holds every ticked record and its tail
    FileFailed,  // the file could not be created or written
    ReadFailed,  // a record could not be read (the recordset has said why)
    Cancelled,   // stopped on request; the file keeps what was written, without its tail
};

struct ExportHooks {
    // Fills ticked[k] with nonzero when record first + k is ticked (k < count).
    std::function<void(long first, long count, std::vector<char>& ticked)> askTicks;
    std::function<bool()> stopRequested;        // read once per record
    std::function<void(int percent)> progress;  // (i + 1) * 100 / n, on every change
};

// Records whose ticks are asked for at a time.
constexpr long kTickBlock = 4096;

ExportOutcome WriteTickedRecords(const ExportJob& job, const ExportHooks& hooks);
