// Files of exported records: one table, a heading row and one row per record, as an HTML
// page (CHtmlTableWriter), as CSV (CCsvTableWriter) or as a workbook (CXlsxTableWriter,
// xlsx_writer.h). Writers are buffered; every failure to reach the file (cannot create, disk
// full) is remembered and reported by Close.
#pragma once

#include <cstdio>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "export/table_cell.h"

// A file of exported rows. The first row written is the heading row.
class CTableFileWriter {
public:
    virtual ~CTableFileWriter() = default;
    CTableFileWriter(const CTableFileWriter&) = delete;
    CTableFileWriter& operator=(const CTableFileWriter&) = delete;

    // Creates or truncates the file at path (and its missing folders) and writes the head: 1 on
    // success, 0 when the file cannot be created (nothing is written then).
    virtual int Open(const std::string& title, const std::string& path) = 0;
    virtual void WriteRow(std::span<const TableCell> cells) = 0;
    // Writes the tail and closes: 1 when everything reached the file.
    virtual int Close() = 0;
    // Closes without the tail (a cancelled export keeps what was written).
    virtual void CloseWithoutTail() = 0;
    virtual bool IsOpen() const = 0;

protected:
    CTableFileWriter() = default;
};

// The text formats: a head, one piece of text per row and a tail.
class CTextTableWriter : public CTableFileWriter {
public:
    // Derived writers close an open file as Close does.
    ~CTextTableWriter() override;

    int Open(const std::string& title, const std::string& path) override;
    void WriteRow(std::span<const TableCell> cells) override;
    int Close() override;
    void CloseWithoutTail() override;
    bool IsOpen() const override { return m_file != nullptr; }

protected:
    CTextTableWriter() = default;
    virtual void AppendHead(std::string& out, std::string_view title) const = 0;
    virtual void AppendRow(std::string& out, std::span<const TableCell> cells) const = 0;
    virtual void AppendTail(std::string& out) const = 0;

private:
    void Flush();
    int Finish(bool tail);

    std::FILE* m_file = nullptr;
    std::string m_buffer;
    bool m_failed = false;
};

class CHtmlTableWriter : public CTextTableWriter {
public:
    CHtmlTableWriter() = default;
    ~CHtmlTableWriter() override;

protected:
    void AppendHead(std::string& out, std::string_view title) const override;
    void AppendRow(std::string& out, std::span<const TableCell> cells) const override;
    void AppendTail(std::string& out) const override;
};

// RFC 4180 with CRLF line ends, UTF-8 after a byte-order mark; the title is not written. A text
// cell that a spreadsheet would take for a formula (starting with =, +, -, @, a tab or a
// carriage return) gets a leading apostrophe.
class CCsvTableWriter : public CTextTableWriter {
public:
    CCsvTableWriter() = default;
    ~CCsvTableWriter() override;

protected:
    void AppendHead(std::string& out, std::string_view title) const override;
    void AppendRow(std::string& out, std::span<const TableCell> cells) const override;
    void AppendTail(std::string& out) const override;
};

// A path ending in ".csv" or ".xlsx" (any letter case).
bool IsCsvPath(std::string_view path);
bool IsXlsxPath(std::string_view path);
// The writer for the path: CSV for a ".csv" path, a workbook for ".xlsx", else HTML.
std::unique_ptr<CTableFileWriter> MakeTableWriter(std::string_view path);

// text with &, <, > and " as character references.
void AppendHtmlEscaped(std::string& out, std::string_view text);
// text as one CSV field, quoted when it holds a comma, a quote or a line break; with
// formulaGuard, an apostrophe goes before a text that starts like a formula.
void AppendCsvField(std::string& out, std::string_view text, bool formulaGuard = false);
