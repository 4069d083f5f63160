// How CRstValues reads a cell: as a number (texts that are numbers included) or as text.
#pragma once

#include <cstdint>
#include <string>

#include "data/driver.h"

// The cell as a number (NULL is 0): false for a text that is not a number.
bool CellNumber(const CellView& cell, double* d);
// The integer read rule: the value's text form cut to an integer; below 1 reads as 0.
int32_t ReadPositiveInteger(const CellView& cell);
// Floats in their single-precision text form when they are single-precision values.
std::string RealText(double d);
