#include "export/xlsx_writer.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>

#include "platform/files.h"

namespace {

constexpr size_t kMaxCellBytes = 32767;  // a spreadsheet cell's limit
constexpr long kMeasuredRows = 1000;     // rows the column widths are taken from
constexpr double kMaxWidth = 60;

// Number formats by CellKind (none for texts).
constexpr const char* kNumberFormats[] = {
    nullptr, "0", "0.00", "0%", "0\"分钟\"", "yyyy-mm-dd", "yyyy-mm-dd hh:mm:ss", "hh:mm:ss",
};

// A calendar time as a spreadsheet date: days since 1899-12-30 in local time.
double SpreadsheetDate(double seconds) {
    const time_t t = static_cast<time_t>(seconds);
    struct tm fields = {};
    const long offset = localtime_r(&t, &fields) ? fields.tm_gmtoff : 0;
    return (seconds + static_cast<double>(offset)) / 86400.0 + 25569.0;
}

// Columns a text takes on screen: East Asian characters two, others one.
double DisplayWidth(const std::string& text) {
    double width = 0;
    for (unsigned char c : text) {
        if (c >= 0xE0)
            width += 2;
        else if (c < 0x80 || c >= 0xC0)
            width += 1;
    }
    return width;
}

// A text longer than a cell holds, cut at a character boundary.
std::string CutToCell(const std::string& text) {
    size_t end = kMaxCellBytes;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    return text.substr(0, end);
}

}  // namespace

CXlsxTableWriter::CXlsxTableWriter(unsigned rowsPerSheet)
    : m_rowsPerSheet(std::max(rowsPerSheet, 2u)) {}

CXlsxTableWriter::~CXlsxTableWriter() {
    if (IsOpen()) Close();
}

int CXlsxTableWriter::Open(const std::string& title, const std::string& path) {
    if (m_book) Close();
    m_failed = false;
    m_sheets.clear();
    m_heading.clear();
    m_widths.clear();
    m_measuredRows = 0;
    m_title = title;
    // The workbook reaches its file only when closed; find out now whether it can be made.
    if (!MakeSureDirectoryPathExists(path)) return 0;
    std::FILE* probe = std::fopen(path.c_str(), "wb");
    if (!probe) return 0;
    std::fclose(probe);

    lxw_workbook_options options = {};
    options.constant_memory = LXW_TRUE;
    m_book = workbook_new_opt(path.c_str(), &options);
    if (!m_book) return 0;
    m_bold = workbook_add_format(m_book);
    format_set_bold(m_bold);
    m_formats.clear();
    for (const char* number : kNumberFormats) {
        lxw_format* format = nullptr;
        if (number) {
            format = workbook_add_format(m_book);
            format_set_num_format(format, number);
        }
        m_formats.push_back(format);
    }
    if (!AddSheet()) {
        CloseWithoutTail();
        return 0;
    }
    return 1;
}

bool CXlsxTableWriter::AddSheet() {
    const std::string name =
        m_sheets.empty() ? m_title : m_title + " (" + std::to_string(m_sheets.size() + 1) + ")";
    const bool valid =
        !name.empty() && workbook_validate_sheet_name(m_book, name.c_str()) == LXW_NO_ERROR;
    lxw_worksheet* sheet = workbook_add_worksheet(m_book, valid ? name.c_str() : nullptr);
    if (!sheet) return false;
    worksheet_freeze_panes(sheet, 1, 0);
    m_sheets.push_back(sheet);
    m_row = 0;
    if (!m_heading.empty()) {
        WriteCells(m_heading, m_bold);
        m_row = 1;
    }
    return true;
}

void CXlsxTableWriter::WriteRow(std::span<const TableCell> cells) {
    if (!m_book) return;
    if (m_row == 0) {  // the heading row, repeated on every further sheet
        m_heading.assign(cells.begin(), cells.end());
        WriteCells(cells, m_bold);
    } else {
        if (m_row >= m_rowsPerSheet && !AddSheet()) {
            m_failed = true;
            return;
        }
        WriteCells(cells, nullptr);
    }
    if (m_measuredRows++ < kMeasuredRows) Measure(cells);
    ++m_row;
}

void CXlsxTableWriter::WriteCells(std::span<const TableCell> cells, lxw_format* textFormat) {
    lxw_worksheet* sheet = m_sheets.back();
    for (size_t c = 0; c < cells.size(); ++c) {
        const TableCell& cell = cells[c];
        const auto col = static_cast<lxw_col_t>(c);
        lxw_error error = LXW_NO_ERROR;
        switch (cell.kind) {
            case CellKind::Text:
                if (cell.text.empty()) continue;
                error = worksheet_write_string(sheet, m_row, col,
                                               cell.text.size() <= kMaxCellBytes
                                                   ? cell.text.c_str()
                                                   : CutToCell(cell.text).c_str(),
                                               textFormat);
                break;
            case CellKind::Day:
            case CellKind::DateTime:
            case CellKind::TimeOfDay: {
                double date = SpreadsheetDate(cell.value);
                if (cell.kind == CellKind::Day) date = std::floor(date);
                if (cell.kind == CellKind::TimeOfDay) date -= std::floor(date);
                error = worksheet_write_number(sheet, m_row, col, date,
                                               m_formats[static_cast<size_t>(cell.kind)]);
                break;
            }
            default:
                error = worksheet_write_number(sheet, m_row, col, cell.value,
                                               m_formats[static_cast<size_t>(cell.kind)]);
        }
        if (error != LXW_NO_ERROR) m_failed = true;
    }
}

void CXlsxTableWriter::Measure(std::span<const TableCell> cells) {
    if (m_widths.size() < cells.size()) m_widths.resize(cells.size(), 0);
    for (size_t c = 0; c < cells.size(); ++c)
        m_widths[c] = std::max(m_widths[c], DisplayWidth(cells[c].text));
}

int CXlsxTableWriter::Close() {
    if (!m_book) return 0;
    for (lxw_worksheet* sheet : m_sheets)
        for (size_t c = 0; c < m_widths.size(); ++c)
            worksheet_set_column(sheet, static_cast<lxw_col_t>(c), static_cast<lxw_col_t>(c),
                                 std::min(m_widths[c] + 2, kMaxWidth), nullptr);
    const lxw_error error = workbook_close(m_book);
    m_book = nullptr;
    m_sheets.clear();
    return error == LXW_NO_ERROR && !m_failed ? 1 : 0;
}

void CXlsxTableWriter::CloseWithoutTail() {
    if (!m_book) return;
    // The library leaves the sheets' temporary files open when a workbook is freed unwritten.
    for (lxw_worksheet* sheet : m_sheets) {
        if (sheet->optimize_tmpfile) std::fclose(sheet->optimize_tmpfile);
        sheet->optimize_tmpfile = nullptr;
    }
    lxw_workbook_free(m_book);
    m_book = nullptr;
    m_sheets.clear();
}
