// Files of exported records: one table, a heading row and one row per record, as an HTML
// page (CHtmlTableWriter) or as CSV (CCsvTableWriter). Writers are buffered; every failure
// to reach the file (cannot create, disk full) is remembered and reported by Close.
#pragma once

#include <cstdio>
#include <memory>
#include <span>
#include <string>
#include <string_view>

class CTableFileWriter {
public:
    // Derived writers close an open file as Close does.
    virtual ~CTableFileWriter();
    CTableFileWriter(const CTableFileWriter&) = delete;
    CTableFileWriter& operator=(const CTableFileWriter&) = delete;

    // Creates or truncates the file at path (and its missing folders) and writes the head: 1 on
    // success, 0 when the file cannot be created (nothing is written then).
    int Open(const std::string& title, const std::string& path);
    void WriteRow(std::span<const std::string> cells);
    // Writes the tail and closes: 1 when everything reached the file.
    int Close();
    // Closes without the tail (a cancelled export keeps what was written).
    void CloseWithoutTail();
    bool IsOpen() const { return m_file != nullptr; }

protected:
    CTableFileWriter() = default;
    virtual void AppendHead(std::string& out, std::string_view title) const = 0;
    virtual void AppendRow(std::string& out, std::span<const std::string> cells) const = 0;
    virtual void AppendTail(std::string& out) const = 0;

private:
    void Flush();
    int Finish(bool tail);

    std::FILE* m_file = nullptr;
    std::string m_buffer;
    bool m_failed = false;
};

class CHtmlTableWriter : public CTableFileWriter {
public:
    CHtmlTableWriter() = default;
    ~CHtmlTableWriter() override;

protected:
    void AppendHead(std::string& out, std::string_view title) const override;
    void AppendRow(std::string& out, std::span<const std::string> cells) const override;
    void AppendTail(std::string& out) const override;
};

// RFC 4180 with CRLF line ends, UTF-8 after a byte-order mark; the title is not written.
class CCsvTableWriter : public CTableFileWriter {
public:
    CCsvTableWriter() = default;
    ~CCsvTableWriter() override;

protected:
    void AppendHead(std::string& out, std::string_view title) const override;
    void AppendRow(std::string& out, std::span<const std::string> cells) const override;
    void AppendTail(std::string& out) const override;
};

// A path ending in ".csv" (any letter case).
bool IsCsvPath(std::string_view path);
// The writer for the path: CSV for a ".csv" path, else HTML.
std::unique_ptr<CTableFileWriter> MakeTableWriter(std::string_view path);

// text with &, <, > and " as character references.
void AppendHtmlEscaped(std::string& out, std::string_view text);
// text as one CSV field, quoted when it holds a comma, a quote or a line break.
void AppendCsvField(std::string& out, std::string_view text);
