// One cell of an exported row: the text every file shows and, for files that keep types,
// what the value is.
#pragma once

#include <string>

enum class CellKind {
    Text,
    Integer,    // value is the number
    Money,      // value is the amount, shown with two decimals
    Percent,    // value is the fraction (0.85 for 85%)
    Minutes,    // value is a duration in minutes
    Day,        // value is a calendar time (seconds since 1970 UTC); its local day counts
    DateTime,   // as Day; the local day and time count
    TimeOfDay,  // as Day; the local time of day counts
};

struct TableCell {
    TableCell() = default;
    // Implicit, so that a heading or a plain text stands for its cell.
    TableCell(std::string t) : text(std::move(t)) {}
    TableCell(const char* t) : text(t) {}

    std::string text;
    CellKind kind = CellKind::Text;
    double value = 0;
};
