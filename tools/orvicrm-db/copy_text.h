// Rows in the text format of PostgreSQL's COPY: fields separated by tabs, \N for NULL, a
// newline after each row, and backslash escapes for backslash, tab, newline and return.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "data/driver.h"
#include "data/schema.h"

// Appends one row. Reals go out as the single-precision value they are stored as.
void AppendCopyRow(std::span<const CellValue> row, std::string* out);

// Reads one row (its newline may be there or not) into values of the table's column types.
bool ParseCopyRow(std::string_view line, const TableDef& table, std::vector<CellValue>* row,
                  std::string* error);
