// Exported records as a workbook (.xlsx) through libxlsxwriter in its constant-memory mode,
// so a sheet is streamed to a temporary file row by row. The sheet is named after the title
// and opens with the heading row in bold, frozen in view; cells keep their kind (numbers,
// amounts with two decimals, percentages, calendar times as local dates) and texts stay
// texts, never formulas. Rows beyond a sheet's capacity continue on another sheet that
// starts with the heading row again. The file itself is written by Close; a cancelled
// export leaves it empty.
#pragma once

#include <string>
#include <vector>

#include "export/table_writer.h"

struct lxw_workbook;
struct lxw_worksheet;
struct lxw_format;

// Rows a sheet holds, its heading row included.
constexpr unsigned kXlsxSheetRows = 1048576;

class CXlsxTableWriter : public CTableFileWriter {
public:
    explicit CXlsxTableWriter(unsigned rowsPerSheet = kXlsxSheetRows);
    ~CXlsxTableWriter() override;

    int Open(const std::string& title, const std::string& path) override;
    void WriteRow(std::span<const TableCell> cells) override;
    int Close() override;
    // Drops the workbook at once (zipping it could take seconds); the file stays empty.
    void CloseWithoutTail() override;
    bool IsOpen() const override { return m_book != nullptr; }

private:
    bool AddSheet();
    void WriteCells(std::span<const TableCell> cells, lxw_format* textFormat);
    void Measure(std::span<const TableCell> cells);

    const unsigned m_rowsPerSheet;
    lxw_workbook* m_book = nullptr;
    std::vector<lxw_worksheet*> m_sheets;
    std::vector<lxw_format*> m_formats;  // by CellKind
    lxw_format* m_bold = nullptr;
    std::string m_title;
    std::vector<TableCell> m_heading;
    std::vector<double> m_widths;  // in characters, from the heading and the first rows
    unsigned m_row = 0;            // the next row of the current sheet
    long m_measuredRows = 0;
    bool m_failed = false;
};
