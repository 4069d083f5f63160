#include "data/cell_reading.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>

namespace {

int32_t ClampToInt32(long long v) {
    if (v > INT32_MAX) return INT32_MAX;
    if (v < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(v);
}

// Decimal text to integer: optional blanks and sign, then digits up to the first other byte.
long long LeadingInteger(const char* text, size_t size) {
    size_t i = 0;
    while (i < size && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < size && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    long long v = 0;
    for (; i < size && text[i] >= '0' && text[i] <= '9'; ++i) {
        v = v * 10 + (text[i] - '0');
        if (v > INT32_MAX) v = static_cast<long long>(INT32_MAX) + 1;  // saturate
    }
    return negative ? -v : v;
}

// A whole text as a number; false when it is not one.
bool TextToDouble(const char* text, size_t size, double* value) {
    std::string copy(text, size);
    const char* begin = copy.c_str();
    char* end = nullptr;
    errno = 0;
    *value = std::strtod(begin, &end);
    if (end == begin || errno == ERANGE) return false;
    while (*end == ' ' || *end == '\t') ++end;
    return *end == '\0';
}

}  // namespace

// The cell as a number (NULL is 0): false for a text that is not a number.
bool CellNumber(const CellView& cell, double* d) {
    switch (cell.type) {
        case kCellInteger:
            *d = static_cast<double>(cell.i);
            return true;
        case kCellFloat:
            *d = cell.d;
            return true;
        case kCellText:
        case kCellBlob:
            return TextToDouble(cell.text, cell.size, d);
        default:
            *d = 0;
            return true;
    }
}

// The integer read rule: the value's text form cut to an integer; below 1 reads as 0.
int32_t ReadPositiveInteger(const CellView& cell) {
    long long v = 0;
    switch (cell.type) {
        case kCellInteger:
            v = cell.i;
            break;
        case kCellFloat:
            v = cell.d >= 1 ? (cell.d >= INT32_MAX ? INT32_MAX : static_cast<long long>(cell.d))
                            : 0;
            break;
        case kCellText:
        case kCellBlob:
            v = LeadingInteger(cell.text, cell.size);
            break;
        default:
            break;
    }
    return v < 1 ? 0 : ClampToInt32(v);
}

// Floats in their single-precision text form when they are single-precision values.
std::string RealText(double d) {
    char text[64];
    bool single = static_cast<double>(static_cast<float>(d)) == d;
    std::snprintf(text, sizeof text, single ? "%.7g" : "%.15g", d);
    return text;
}
