// Writing every table into a database whose tables are empty, all or nothing: the path that
// copy and import share.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "tools/orvicrm-db/tool_database.h"

// Where the rows come from.
class FillSource {
public:
    virtual ~FillSource() = default;
    // How many rows the table gives; the target must hold as many before it commits.
    virtual bool CountRows(const TableDef& table, int64_t* count, std::string* error) = 0;
    virtual std::unique_ptr<TableReader> Read(const TableDef& table, std::string* error) = 0;
};

struct FillOptions {
    const char* source = "source";  // how the messages name the source
    const char* verb = "copied";    // "nothing copied"
    // Called as rows of a table go in (done of total), at least at its start and its end.
    std::function<void(const TableDef& table, int64_t done, int64_t total)> progress;
};

// Makes the database at location (a file, or the tables on a server) when it is not there,
// takes its tables for itself (writers wait), refuses it when a table holds rows, writes
// every table in one transaction and commits only when each holds as many rows as the
// source gave. False with a one-line reason, nothing written.
bool FillEmptyDatabase(FillSource& source, const std::string& location, const FillOptions& options,
                       std::string* error);
