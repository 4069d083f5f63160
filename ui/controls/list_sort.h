// Ordering of list cells: the pairwise comparison rules, a sort key that carries every form
// a cell text can be read in, and the quicksort the list sorts its rows with. No widgets.
//
// Two texts compare by the first rule that both of them satisfy:
//   1. non-empty and wholly a 32-bit unsigned number in base 16 (leading white space, a
//      sign and a 0x prefix allowed; overflow reads as 0xFFFFFFFF, a minus sign negates
//      modulo 2^32): unsigned comparison;
//   2. non-empty and wholly a C-locale double, optionally followed by one "%": comparison
//      of the doubles;
//   3. a date, a date and time or a time of day (see ParseCellDateTime): chronological;
//   4. otherwise the GB18030 bytes of the two texts, unsigned, so Chinese words fall in the
//      order of the GBK code page; when either text is not valid UTF-8 the UTF-8 bytes.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Rule 1. text must be followed by a NUL at text[len] or be exactly len bytes long.
bool ParseCellHex32(std::string_view text, uint32_t* value);
// Rule 2. text.data()[text.size()] must be a NUL (strtod reads to the terminator).
bool ParseCellNumber(std::string_view text, double* value);
// Rule 3. Accepted forms, with optional spaces around the whole text:
//   YYYY-M-D, YYYY/M/D, YYYY_M_D   (month and day one or two digits)
//   any of those followed by one or more spaces and a time of day
//   H:MM or H:MM:SS                (hour one or two digits; ':' or the full-width '：')
// A time alone falls on day 0 (1899-12-30), before every date. The value is seconds since
// 1899-12-30 00:00:00; dates and times out of their calendar ranges are rejected.
bool ParseCellDateTime(std::string_view text, int64_t* value);
// The GB18030 form of a UTF-8 text; false when the text is not valid UTF-8.
bool ToGb18030(std::string_view utf8, std::string* out);

// Compares two cell texts by the rules above; both must be NUL-terminated.
int CompareCellTexts(const std::string& a, const std::string& b);

enum CellForm : uint8_t { kCellHex = 1, kCellNumber = 2, kCellDateTime = 4 };

// The numeric forms of a text (rules 1 to 3).
struct CellNumbers {
    uint8_t forms = 0;  // CellForm bits the text satisfies
    uint32_t hex = 0;
    double number = 0;
    int64_t dateTime = 0;
};
// text.data()[text.size()] must be a NUL.
CellNumbers ReadCellNumbers(std::string_view text);

// Everything a text can be compared by, so that one sort reads every cell once.
struct CellKey {
    CellNumbers num;
    bool gbValid = true;    // text holds the GB18030 bytes; else raw only
    std::string_view text;  // GB18030 bytes (the raw bytes when the text is ASCII)
    std::string_view raw;   // the UTF-8 text
};

// Builds keys; keeps the converted GB18030 texts alive for as long as the keys are used.
class CellKeyBuilder {
public:
    CellKeyBuilder();
    ~CellKeyBuilder();
    CellKeyBuilder(const CellKeyBuilder&) = delete;
    CellKeyBuilder& operator=(const CellKeyBuilder&) = delete;

    // text must stay alive and be followed by a NUL.
    CellKey Build(std::string_view text);

private:
    std::string_view Store(const std::string& bytes);
    std::vector<std::unique_ptr<char[]>> m_blocks;
    size_t m_used = 0;
    size_t m_capacity = 0;
    std::string m_scratch;
};

// Same result as CompareCellTexts of the texts the keys were built from.
inline int CompareCellKeys(const CellKey& a, const CellKey& b) {
    const CellNumbers& x = a.num;
    const CellNumbers& y = b.num;
    const unsigned both = x.forms & y.forms;
    if (both & kCellHex) return x.hex < y.hex ? -1 : (x.hex > y.hex ? 1 : 0);
    if (both & kCellNumber) return x.number < y.number ? -1 : (x.number > y.number ? 1 : 0);
    if (both & kCellDateTime)
        return x.dateTime < y.dateTime ? -1 : (x.dateTime > y.dateTime ? 1 : 0);
    const int c = (a.gbValid && b.gbValid) ? a.text.compare(b.text) : a.raw.compare(b.raw);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

// The list's quicksort of a[lo..hi]: before(x, pivot) and after(x, pivot) tell whether x
// belongs before or after the pivot. The middle element's value is the pivot of each
// partition; the order of equal elements is the one this partitioning leaves. The scans are
// bounded by the range, so a comparison that is not a consistent order (cells of mixed forms
// can make one) cannot run past it, and the smaller part is sorted by recursion, the larger
// one in the loop, to bound the stack.
template <class T, class Before, class After>
void ListQuickSortBy(T* a, long lo, long hi, Before before, After after) {
    while (lo < hi) {
        long i = lo;
        long j = hi;
        const T pivot = a[lo + (hi - lo) / 2];
        do {
            while (i < hi && before(a[i], pivot)) ++i;
            while (j > lo && after(a[j], pivot)) --j;
            if (j < i) break;
            if (j > i) std::swap(a[i], a[j]);
            ++i;
            --j;
        } while (i <= j);
        if (j - lo < hi - i) {
            if (lo < j) ListQuickSortBy(a, lo, j, before, after);
            lo = i;
        } else {
            if (i < hi) ListQuickSortBy(a, i, hi, before, after);
            hi = j;
        }
    }
}

// The same with cmp(x, y) returning negative, zero or positive.
template <class T, class Cmp>
void ListQuickSort(T* a, long lo, long hi, bool ascending, Cmp cmp) {
    const int toward = ascending ? 1 : -1;
    ListQuickSortBy(
        a, lo, hi, [&](const T& x, const T& p) { return cmp(x, p) * toward < 0; },
        [&](const T& x, const T& p) { return cmp(x, p) * toward > 0; });
}
