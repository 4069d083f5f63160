#include "export/table_writer.h"

#include <strings.h>

#include <cstring>

#include "platform/files.h"

namespace {

constexpr size_t kFlushSize = 1 << 20;

}  // namespace

CTableFileWriter::~CTableFileWriter() {
    Finish(false);  // the tail belongs to the derived writer, gone by now
}

CHtmlTableWriter::~CHtmlTableWriter() {
    if (IsOpen()) Close();
}

CCsvTableWriter::~CCsvTableWriter() {
    if (IsOpen()) Close();
}

int CTableFileWriter::Open(const std::string& title, const std::string& path) {
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

void CTableFileWriter::WriteRow(std::span<const std::string> cells) {
    if (!m_file) return;
    AppendRow(m_buffer, cells);
    if (m_buffer.size() >= kFlushSize) Flush();
}

void CTableFileWriter::Flush() {
    if (!m_file || m_buffer.empty()) return;
    if (!m_failed && std::fwrite(m_buffer.data(), 1, m_buffer.size(), m_file) != m_buffer.size())
        m_failed = true;
    m_buffer.clear();
}

int CTableFileWriter::Finish(bool tail) {
    if (!m_file) return 0;
    if (tail) AppendTail(m_buffer);
    Flush();
    if (std::fclose(m_file) != 0) m_failed = true;
    m_file = nullptr;
    return m_failed ? 0 : 1;
}

int CTableFileWriter::Close() {
    return Finish(true);
}

void CTableFileWriter::CloseWithoutTail() {
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

void CHtmlTableWriter::AppendRow(std::string& out, std::span<const std::string> cells) const {
    out += "<TR>\n";
    for (const std::string& cell : cells) {
        out += "<TD>";
        if (cell.empty())
            out += "&nbsp";
        else
            AppendHtmlEscaped(out, cell);
        out += "</TD>\n";
    }
    out += "</TR>\n";
}

void CHtmlTableWriter::AppendTail(std::string& out) const {
    out += "</TABLE>\n</BODY>\n</HTML>\n";
}

void AppendCsvField(std::string& out, std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
        out.append(text);
        return;
    }
    out += '"';
    for (char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
}

void CCsvTableWriter::AppendHead(std::string& out, std::string_view) const {
    out += "\xEF\xBB\xBF";
}

void CCsvTableWriter::AppendRow(std::string& out, std::span<const std::string> cells) const {
    for (size_t i = 0; i < cells.size(); ++i) {
        if (i) out += ',';
        AppendCsvField(out, cells[i]);
    }
    out += "\r\n";
}

void CCsvTableWriter::AppendTail(std::string&) const {}

bool IsCsvPath(std::string_view path) {
    return path.size() >= 4 && strncasecmp(path.data() + path.size() - 4, ".csv", 4) == 0;
}

std::unique_ptr<CTableFileWriter> MakeTableWriter(std::string_view path) {
    if (IsCsvPath(path)) return std::make_unique<CCsvTableWriter>();
    return std::make_unique<CHtmlTableWriter>();
}
