// The number rules of the recordset's value reads, for readers that take cells directly.
#pragma once

#include <cstdint>

#include "data/driver.h"

// The cell as a number (NULL is 0): false for a text that is not a number.
bool CellNumber(const CellView& cell, double* d);
// The integer read rule: the value's text form cut to an integer; below 1 reads as 0.
int32_t ReadPositiveInteger(const CellView& cell);
