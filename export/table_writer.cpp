#include "export/table_writer.h"

#include <strings.h>

#include <cstring>

#include "export/xlsx_writer.h"
#include "platform/files.h"

namespace {

constexpr size_t kFlushSize = 1 << 20;

}  // namespace

CTextTableWriter::~CTextTableWriter() {
    Finish(false);  // the tail belongs to the derived writer, gone by now
}

CHtmlTableWriter::~CHtmlTableWriter() {
    if (IsOpen()) Close();
}

CCsvTableWriter::~CCsvTableWriter() {
    if (IsOpen()) Close();
}

int CTextTableWriter::Open(const std::string& title, const std::string& path) {
    if (m_file) Close();
    m_failed = false;
    m_buffer.clear();
    if (!MakeSureDirectoryPathExists(path)) return 0;
    m_file = std::fopen(path.c_str(), "wb");
    if (!m_file) return 0;
    m_buffer.reserve(kFlushSize + 4096);
    AppendHead(m_buffer, title);
    return 1;
}

void CTextTableWriter::WriteRow(std::span<const TableCell> cells) {
    if (!m_file) return;
    AppendRow(m_buffer, cells);
    if (m_buffer.size() >= kFlushSize) Flush();
}

void CTextTableWriter::Flush() {
    if (!m_file || m_buffer.empty()) return;
    if (!m_failed && std::fwrite(m_buffer.data(), 1, m_buffer.size(), m_file) != m_buffer.size())
        m_failed = true;
    m_buffer.clear();
}

int CTextTableWriter::Finish(bool tail) {
    if (!m_file) return 0;
    if (tail) AppendTail(m_buffer);
    Flush();
    if (std::fclose(m_file) != 0) m_failed = true;
    m_file = nullptr;
    return m_failed ? 0 : 1;
}

int CTextTableWriter::Close() {
    return Finish(true);
}

void CTextTableWriter::CloseWithoutTail() {
    Finish(false);
}

void AppendHtmlEscaped(std::string& out, std::string_view text) {
    size_t from = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const char* ref;
        switch (text[i]) {
            case '&':
                ref = "&amp;";
                break;
            case '<':
                ref = "&lt;";
                break;
            case '>':
                ref = "&gt;";
                break;
            case '"':
                ref = "&quot;";
                break;
            default:
                continue;
        }
        out.append(text.data() + from, i - from);
        out.append(ref);
        from = i + 1;
    }
    out.append(text.data() + from, text.size() - from);
}

void CHtmlTableWriter::AppendHead(std::string& out, std::string_view title) const {
    out +=
        "<HTML><HEAD><META http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">"
        "<TITLE>";
    AppendHtmlEscaped(out, title);
    out += "</TITLE></HEAD>\n<BODY>\n<TABLE border=1 width=100% cellPadding=0 cellSpacing=0>\n";
}

void CHtmlTableWriter::AppendRow(std::string& out, std::span<const TableCell> cells) const {
    out += "<TR>\n";
    for (const TableCell& cell : cells) {
        out += "<TD>";
        if (cell.text.empty())
            out += "&nbsp";
        else
            AppendHtmlEscaped(out, cell.text);
        out += "</TD>\n";
    }
    out += "</TR>\n";
}

void CHtmlTableWriter::AppendTail(std::string& out) const {
    out += "</TABLE>\n</BODY>\n</HTML>\n";
}

void AppendCsvField(std::string& out, std::string_view text, bool formulaGuard) {
    const bool guard = formulaGuard && !text.empty() && std::strchr("=+-@\t\r", text[0]) != nullptr;
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
        if (guard) out += '\'';
        out.append(text);
        return;
    }
    out += '"';
    if (guard) out += '\'';
    for (char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
}

void CCsvTableWriter::AppendHead(std::string& out, std::string_view) const {
    out += "\xEF\xBB\xBF";
}

void CCsvTableWriter::AppendRow(std::string& out, std::span<const TableCell> cells) const {
    for (size_t i = 0; i < cells.size(); ++i) {
        if (i) out += ',';
        AppendCsvField(out, cells[i].text, cells[i].kind == CellKind::Text);
    }
    out += "\r\n";
}

void CCsvTableWriter::AppendTail(std::string&) const {}

namespace {

bool EndsWithNoCase(std::string_view path, std::string_view tail) {
    return path.size() >= tail.size() &&
           strncasecmp(path.data() + path.size() - tail.size(), tail.data(), tail.size()) == 0;
}

}  // namespace

bool IsCsvPath(std::string_view path) {
    return EndsWithNoCase(path, ".csv");
}

bool IsXlsxPath(std::string_view path) {
    return EndsWithNoCase(path, ".xlsx");
}

std::unique_ptr<CTableFileWriter> MakeTableWriter(std::string_view path) {
    if (IsCsvPath(path)) return std::make_unique<CCsvTableWriter>();
    if (IsXlsxPath(path)) return std::make_unique<CXlsxTableWriter>();
    return std::make_unique<CHtmlTableWriter>();
}
