#include "data/recordset.h"

#include "data/schema.h"

#include <strings.h>
#include <sys/mman.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <new>
#include <thread>

namespace {

// Reasons of refused writes, shown to the user with the write's failure message.
const char kNotChangeable[] = "这个查询结果不能修改";
const char kNoCurrentRow[] = "没有当前记录";
const char kNoSuchColumn[] = "没有这个字段";
const char kNoRow[] = "这条记录已经不存在";
const char kChangedByOther[] = "这条记录已被其他用户修改，请重新查询后再修改。";
const char kInvalidText[] = "文本不是有效的 UTF-8 编码。";

bool IsWordChar(char c) {
    unsigned char u = static_cast<unsigned char>(c);
    return std::isalnum(u) || c == '_' || u >= 0x80;
}

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f';
}

// Index just past a quoted part starting at i ('...', "...", `...` or [...]), npos if open.
size_t SkipQuoted(const std::string& s, size_t i) {
    char close = s[i] == '[' ? ']' : s[i];
    size_t end = s.find(close, i + 1);
    return end == std::string::npos ? end : end + 1;
}

bool SameWord(const std::string& s, size_t begin, size_t end, const char* word) {
    return std::strlen(word) == end - begin &&
           strncasecmp(s.c_str() + begin, word, end - begin) == 0;
}

CellValue ToValue(const CellView& cell) {
    CellValue value;
    value.type = cell.type;
    value.i = cell.i;
    value.d = cell.d;
    if (cell.type == kCellText || cell.type == kCellBlob) value.text.assign(cell.text, cell.size);
    return value;
}

// "SELECT * FROM ...": the column list is the star alone.
bool SelectsAllColumns(const std::string& sql) {
    size_t i = 0, n = sql.size();
    auto skipSpace = [&] {
        while (i < n && IsSpace(sql[i])) ++i;
    };
    auto word = [&](const char* expected) {
        size_t begin = i;
        while (i < n && IsWordChar(sql[i])) ++i;
        return SameWord(sql, begin, i, expected);
    };
    skipSpace();
    if (!word("SELECT")) return false;
    skipSpace();
    if (i >= n || sql[i] != '*') return false;
    ++i;
    skipSpace();
    return word("FROM");
}

}  // namespace

std::string InFileRowOrder(const std::string& sql, const std::string& table, const char* key) {
    size_t i = 0, n = sql.size(), afterWhere = std::string::npos;
    while (i < n) {
        char c = sql[i];
        if (c == '\'' || c == '"' || c == '`' || c == '[') {
            i = SkipQuoted(sql, i);
            if (i == std::string::npos) return sql;
        } else if (IsWordChar(c)) {
            size_t begin = i;
            while (i < n && IsWordChar(sql[i])) ++i;
            for (const char* word : {"ORDER", "LIMIT", "OFFSET"})
                if (SameWord(sql, begin, i, word)) return sql;
            if (afterWhere == std::string::npos && SameWord(sql, begin, i, "WHERE")) afterWhere = i;
        } else {
            ++i;
        }
    }
    std::string order = key;
    if (afterWhere != std::string::npos) {
        size_t p = afterWhere;
        while (p < n && (IsSpace(sql[p]) || sql[p] == '(')) ++p;
        size_t begin = p;
        while (p < n && IsWordChar(sql[p])) ++p;
        std::string column = sql.substr(begin, p - begin);
        if (!column.empty() && IsIndexed(table, column)) order = column + ", " + key;
    }
    size_t end = n;
    while (end > 0 && (IsSpace(sql[end - 1]) || sql[end - 1] == ';')) --end;
    return sql.substr(0, end) + " ORDER BY " + order;
}

bool IsValidUtf8(std::string_view text) {
    size_t i = 0, n = text.size();
    while (i < n) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        int length;
        uint32_t code;
        if (c >= 0xC2 && c <= 0xDF) {
            length = 2;
            code = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            length = 3;
            code = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            length = 4;
            code = c & 0x07;
        } else {
            return false;
        }
        if (n - i < static_cast<size_t>(length)) return false;
        for (int k = 1; k < length; ++k) {
            unsigned char next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            code = (code << 6) | (next & 0x3F);
        }
        if ((length == 3 && code < 0x800) || (length == 4 && code < 0x10000) || code > 0x10FFFF ||
            (code >= 0xD800 && code <= 0xDFFF))
            return false;
        i += static_cast<size_t>(length);
    }
    return true;
}

std::string RowidQuery(const std::string& sql, std::string* table, const char* key) {
    size_t i = 0, n = sql.size();
    while (i < n && IsSpace(sql[i])) ++i;
    size_t word = i;
    while (i < n && IsWordChar(sql[i])) ++i;
    if (!SameWord(sql, word, i, "SELECT")) return {};
    size_t listBegin = i, from = std::string::npos;
    // The column list: names, '*', commas and dots only.
    while (i < n && from == std::string::npos) {
        char c = sql[i];
        if (c == '"' || c == '`' || c == '[') {
            i = SkipQuoted(sql, i);
            if (i == std::string::npos) return {};
        } else if (IsWordChar(c)) {
            size_t begin = i;
            while (i < n && IsWordChar(sql[i])) ++i;
            if (SameWord(sql, begin, i, "FROM"))
                from = begin;
            else if (SameWord(sql, begin, i, "DISTINCT") || SameWord(sql, begin, i, "ALL") ||
                     SameWord(sql, begin, i, "AS"))
                return {};
        } else if (IsSpace(c) || c == ',' || c == '.' || c == '*') {
            ++i;
        } else {
            return {};
        }
    }
    if (from == std::string::npos) return {};
    while (i < n && IsSpace(sql[i])) ++i;
    size_t nameBegin = i;
    std::string name;
    if (i < n && (sql[i] == '"' || sql[i] == '`' || sql[i] == '[')) {
        i = SkipQuoted(sql, i);
        if (i == std::string::npos) return {};
        name = sql.substr(nameBegin + 1, i - nameBegin - 2);
    } else {
        while (i < n && IsWordChar(sql[i])) ++i;
        name = sql.substr(nameBegin, i - nameBegin);
    }
    if (name.empty() || (i < n && sql[i] == '.')) return {};
    // The rest: no further tables and no grouping or compound selects.
    size_t rest = i;
    while (rest < n && IsSpace(sql[rest])) ++rest;
    if (rest < n && sql[rest] == ',') return {};
    while (i < n) {
        char c = sql[i];
        if (c == '\'' || c == '"' || c == '`' || c == '[') {
            i = SkipQuoted(sql, i);
            if (i == std::string::npos) return {};
        } else if (IsWordChar(c)) {
            size_t begin = i;
            while (i < n && IsWordChar(sql[i])) ++i;
            for (const char* keyword :
                 {"JOIN", "UNION", "INTERSECT", "EXCEPT", "GROUP", "HAVING", "WINDOW"})
                if (SameWord(sql, begin, i, keyword)) return {};
        } else {
            ++i;
        }
    }
    *table = name;
    return sql.substr(0, listBegin) + " " + key + "," + sql.substr(listBegin);
}

OrviRecordset::~OrviRecordset() {
    Close();
}

void OrviRecordset::Close() {
    FinishStatement();
    m_connection.reset();
    m_open = false;
    m_done = true;
    m_paused = false;
    m_keyColumn = kNoKey;
    m_columns.clear();
    m_table.clear();
    m_names.clear();
    m_index.clear();
    m_lastColumn = -1;
    m_rows.clear();
    m_blocks.clear();
    m_block = nullptr;
    m_blockSize = 0;
    m_blockUsed = 0;
    m_fetched = 0;
    m_pos = kBof;
    m_editMode = kNoEdit;
    m_pending.clear();
}

bool OrviRecordset::Open(const _ConnectionPtr& connection, const std::string& sql,
                         std::string* error) {
    Close();
    if (!connection || !connection->session) {
        *error = "no open connection";
        return false;
    }
    m_connection = connection;
    const DbDialect& dialect = Dialect();
    std::string table;
    std::string withKey = RowidQuery(sql, &table, dialect.rowKey);
    bool prepared = false;
    if (!withKey.empty()) {
        // Where "*" brings the key along, the query runs as it stands.
        bool star = dialect.starHasKey && SelectsAllColumns(sql);
        std::string keyed = star ? sql : withKey;
        if (!dialect.keyOrderedScans) keyed = InFileRowOrder(keyed, table, dialect.rowKey);
        prepared = Prepare(keyed, star ? kKeyByName : 0, error);
        if (prepared && m_keyColumn >= 0) m_table = table;
    }
    if (!prepared && !Prepare(sql, kNoKey, error)) {
        Close();
        return false;
    }
    return Start(error);
}

bool OrviRecordset::OpenTable(const _ConnectionPtr& connection, const std::string& table,
                              std::string* error) {
    Close();
    if (!connection || !connection->session) {
        *error = "no open connection";
        return false;
    }
    m_connection = connection;
    const DbDialect& dialect = Dialect();
    if (!Prepare(std::string("SELECT ") + dialect.rowKey + ", * FROM " + dialect.QuoteName(table),
                 0, error)) {
        Close();
        return false;
    }
    m_table = table;
    return Start(error);
}

bool OrviRecordset::Prepare(const std::string& sql, int keyColumn, std::string* error) {
    DbLock lock(*m_connection);
    DbError failure;
    std::unique_ptr<DbQuery> query = m_connection->session->Query(sql, &failure);
    if (!query) {
        *error = failure.text;
        return false;
    }
    m_query = std::move(query);
    m_connection->readers.push_back(this);
    m_keyColumn = keyColumn;
    const char* key = Dialect().rowKey;
    int count = m_query->ColumnCount();
    for (int c = keyColumn == 0 ? 1 : 0; c < count; ++c) {
        std::string name = m_query->ColumnName(c);
        if (strcasecmp(name.c_str(), key) == 0) {  // never shown
            if (m_keyColumn == kKeyByName) m_keyColumn = c;
            continue;
        }
        m_names.push_back(std::move(name));
        m_columns.push_back(c);
        m_index.emplace(m_names.back(), static_cast<int>(m_names.size()) - 1);  // first wins
    }
    if (m_keyColumn == kKeyByName) m_keyColumn = kNoKey;
    return true;
}

int64_t OrviRecordset::QueryKey() const {
    CellView cell;
    m_query->Cell(m_keyColumn, &cell);
    return cell.i;
}

bool OrviRecordset::Start(std::string* error) {
    m_open = true;
    m_done = false;
    int got = StepOne();
    if (got < 0) {
        *error = TakeFetchError();
        Close();
        return false;
    }
    m_pos = got ? 0 : kEof;
    return true;
}

int OrviRecordset::StepOne() {
    if (m_done) return 0;
    int waitedMs = 0;
    for (;;) {
        {
            // One hold of the connection's lock for the step and the reads of the row.
            DbLock lock(*m_connection);
            if (m_paused) BeginRerun();  // the query gave up its place for a write
            DbError failure;
            DbQuery::Step step;
            while ((step = m_query->Next(&failure)) == DbQuery::kRow) {
                ++m_fetched;
                if (m_rerun && HeldAlready()) continue;
                int64_t key = m_keyColumn >= 0 ? QueryKey() : 0;
                m_rows.push_back({PackStatementRow(), key});
                return 1;
            }
            if (step == DbQuery::kDone) {
                FinishStatement();
                return 0;
            }
            if (step == DbQuery::kError || waitedMs >= kBusyTimeoutMs) {
                m_stepError = failure.text;
                FinishStatement();
                return -1;
            }
            // Another connection's write holds the database: start over after a pause
            // (without the lock, so the writer can finish).
            BeginRerun();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        waitedMs += 20;
    }
}

void OrviRecordset::BeginRerun() {
    m_paused = false;
    m_rerun = true;
    m_held.clear();
    m_skip = 0;
    m_skipped = 0;
    if (m_keyColumn >= 0) {
        for (const Row& row : m_rows) m_held.insert(row.rowid);
    } else {
        m_skip = m_rows.size();  // without rowids the rows held are the first ones
    }
}

bool OrviRecordset::HeldAlready() {
    if (m_keyColumn >= 0) return m_held.count(QueryKey()) != 0;
    if (m_skipped >= m_skip) return false;
    ++m_skipped;
    return true;
}

void OrviRecordset::FinishStatement() {
    if (m_query) {
        DbLock lock(*m_connection);
        auto& readers = m_connection->readers;
        std::erase(readers, this);
        m_query.reset();
        m_paused = false;
    }
    m_done = true;
    m_rerun = false;
    m_held.clear();
}

void OrviRecordset::PauseLocked() {
    if (m_query && !m_paused && m_query->YieldToWrite()) m_paused = true;
}

std::string OrviRecordset::TakeFetchError() {
    std::string error;
    error.swap(m_stepError);
    return error;
}

bool OrviRecordset::Fetch(size_t index) {
    while (m_rows.size() <= index)
        if (StepOne() <= 0) return false;
    return true;
}

bool OrviRecordset::IsEmpty() {
    return !Fetch(0);
}

bool OrviRecordset::MoveFirst() {
    m_pos = Fetch(0) ? 0 : kEof;
    return m_pos >= 0;
}

bool OrviRecordset::MoveNext() {
    if (m_pos == kEof) return false;
    size_t next = m_pos == kBof ? 0 : static_cast<size_t>(m_pos) + 1;
    m_pos = Fetch(next) ? static_cast<long>(next) : kEof;
    return m_pos >= 0;
}

bool OrviRecordset::MovePrevious() {
    if (m_pos == kBof) return false;
    if (m_pos == kEof) {
        while (StepOne() > 0) {
        }
        m_pos = m_rows.empty() ? kBof : static_cast<long>(m_rows.size()) - 1;
    } else {
        m_pos = m_pos == 0 ? kBof : m_pos - 1;
    }
    return m_pos >= 0;
}

bool OrviRecordset::MoveForward(long n) {
    if (m_pos < 0) return false;
    size_t target = static_cast<size_t>(m_pos) + static_cast<size_t>(n);
    m_pos = Fetch(target) ? static_cast<long>(target) : kEof;
    return m_pos >= 0;
}

long OrviRecordset::CountAll() {
    while (StepOne() > 0) {
    }
    return static_cast<long>(m_rows.size());
}

int OrviRecordset::ColumnIndex(const char* name) const {
    int count = static_cast<int>(m_names.size());
    if (!name || count == 0) return -1;
    // Readers mostly walk the columns in order: try the one after the last hit first.
    int guess = m_lastColumn + 1 < count ? m_lastColumn + 1 : 0;
    if (std::strcmp(m_names[guess].c_str(), name) == 0) return m_lastColumn = guess;
    if (m_lastColumn >= 0 && std::strcmp(m_names[m_lastColumn].c_str(), name) == 0)
        return m_lastColumn;
    auto it = m_index.find(std::string_view(name));
    if (it != m_index.end()) return m_lastColumn = it->second;
    for (int c = 0; c < count; ++c)
        if (strcasecmp(m_names[c].c_str(), name) == 0) return m_lastColumn = c;
    return -1;
}

const CellValue* OrviRecordset::Pending(int column) const {
    for (const auto& [c, value] : m_pending)
        if (c == column) return &value;
    return nullptr;
}

bool OrviRecordset::ReadCell(int column, CellView* cell) const {
    if (column < 0 || column >= ColumnCount()) return false;
    if (m_editMode == kNoEdit) {
        if (m_pos < 0) return false;
        ReadPacked(m_rows[m_pos].data, column, cell);
        return true;
    }
    if (const CellValue* value = Pending(column)) {
        cell->type = value->type;
        cell->i = value->i;
        cell->d = value->d;
        cell->text = value->text.data();
        cell->size = value->text.size();
        return true;
    }
    if (m_editMode == kAddRow) {
        *cell = CellView{};
        return true;
    }
    if (m_pos < 0) return false;
    ReadPacked(m_rows[m_pos].data, column, cell);
    return true;
}

bool OrviRecordset::ReadField(const char* name, CellView* cell) const {
    return ReadCell(ColumnIndex(name), cell);
}

// A packed row: byte 0 says whether the offsets are 32-bit (1) or 16-bit (0); then
// column count + 1 offsets from the row's start; then per cell a tag and its bytes.
enum CellTag : unsigned char {
    kTagNull,
    kTagInt32,
    kTagInt64,
    kTagFloat32,
    kTagDouble,
    kTagText,
    kTagBlob,
};

static size_t PackedSize(const CellView& cell) {
    switch (cell.type) {
        case kCellInteger:
            return cell.i >= INT32_MIN && cell.i <= INT32_MAX ? 5 : 9;
        case kCellFloat:
            return static_cast<double>(static_cast<float>(cell.d)) == cell.d ? 5 : 9;
        case kCellText:
        case kCellBlob:
            return 1 + cell.size;
        default:
            return 1;
    }
}

static void WriteCell(unsigned char* p, const CellView& cell, size_t size) {
    switch (cell.type) {
        case kCellInteger:
            if (size == 5) {
                int32_t v = static_cast<int32_t>(cell.i);
                p[0] = kTagInt32;
                std::memcpy(p + 1, &v, sizeof v);
            } else {
                p[0] = kTagInt64;
                std::memcpy(p + 1, &cell.i, sizeof cell.i);
            }
            return;
        case kCellFloat:
            if (size == 5) {
                float f = static_cast<float>(cell.d);
                p[0] = kTagFloat32;
                std::memcpy(p + 1, &f, sizeof f);
            } else {
                p[0] = kTagDouble;
                std::memcpy(p + 1, &cell.d, sizeof cell.d);
            }
            return;
        case kCellText:
        case kCellBlob:
            p[0] = cell.type == kCellText ? kTagText : kTagBlob;
            if (cell.size) std::memcpy(p + 1, cell.text, cell.size);
            return;
        default:
            p[0] = kTagNull;
    }
}

template <typename CellAt>
const unsigned char* OrviRecordset::PackRow(CellAt cellAt) {
    int count = ColumnCount();
    m_cells.resize(static_cast<size_t>(count));
    m_sizes.resize(static_cast<size_t>(count));
    size_t body = 0;
    for (int c = 0; c < count; ++c) {
        m_cells[c] = cellAt(c);
        m_sizes[c] = PackedSize(m_cells[c]);
        body += m_sizes[c];
    }
    size_t offsets = static_cast<size_t>(count) + 1;
    bool wide = 1 + offsets * 2 + body > 0xFFFF;
    size_t header = 1 + offsets * (wide ? 4 : 2);
    unsigned char* row = Allocate(header + body);
    row[0] = wide ? 1 : 0;
    size_t offset = header;
    for (int c = 0; c <= count; ++c) {
        if (wide) {
            uint32_t v = static_cast<uint32_t>(offset);
            std::memcpy(row + 1 + 4 * c, &v, 4);
        } else {
            uint16_t v = static_cast<uint16_t>(offset);
            std::memcpy(row + 1 + 2 * c, &v, 2);
        }
        if (c < count) {
            WriteCell(row + offset, m_cells[c], m_sizes[c]);
            offset += m_sizes[c];
        }
    }
    return row;
}

void OrviRecordset::ReadPacked(const unsigned char* row, int column, CellView* cell) {
    uint32_t begin, end;
    if (row[0]) {
        uint32_t offsets[2];
        std::memcpy(offsets, row + 1 + 4 * column, sizeof offsets);
        begin = offsets[0];
        end = offsets[1];
    } else {
        uint16_t offsets[2];
        std::memcpy(offsets, row + 1 + 2 * column, sizeof offsets);
        begin = offsets[0];
        end = offsets[1];
    }
    const unsigned char* p = row + begin;
    switch (p[0]) {
        case kTagInt32: {
            int32_t v;
            std::memcpy(&v, p + 1, sizeof v);
            cell->type = kCellInteger;
            cell->i = v;
            return;
        }
        case kTagInt64:
            cell->type = kCellInteger;
            std::memcpy(&cell->i, p + 1, sizeof cell->i);
            return;
        case kTagFloat32: {
            float f;
            std::memcpy(&f, p + 1, sizeof f);
            cell->type = kCellFloat;
            cell->d = f;
            return;
        }
        case kTagDouble:
            cell->type = kCellFloat;
            std::memcpy(&cell->d, p + 1, sizeof cell->d);
            return;
        case kTagText:
        case kTagBlob:
            cell->type = p[0] == kTagText ? kCellText : kCellBlob;
            cell->text = reinterpret_cast<const char*>(p + 1);
            cell->size = end - begin - 1;
            return;
        default:
            cell->type = kCellNull;
    }
}

const unsigned char* OrviRecordset::PackStatementRow() {
    auto cellAt = [this](int c) {
        CellView cell;
        m_query->Cell(m_columns[c], &cell);
        return cell;
    };
    return PackRow(cellAt);
}

const unsigned char* OrviRecordset::PackMerged(const unsigned char* row) {
    auto cellAt = [this, row](int c) {
        CellView cell;
        if (const CellValue* value = Pending(c)) {
            cell.type = value->type;
            cell.i = value->i;
            cell.d = value->d;
            cell.text = value->text.data();
            cell.size = value->text.size();
        } else if (row) {
            ReadPacked(row, c, &cell);
        }
        return cell;
    };
    return PackRow(cellAt);
}

void OrviRecordset::FreeBlock::operator()(unsigned char* block) const {
    std::free(block);
}

unsigned char* OrviRecordset::Allocate(size_t size) {
    auto newBlock = [this](size_t bytes, bool huge) {
        void* block = huge ? std::aligned_alloc(kBlockSize, bytes) : std::malloc(bytes);
        if (!block) throw std::bad_alloc();
        if (huge) madvise(block, bytes, MADV_HUGEPAGE);
        m_blocks.emplace_back(static_cast<unsigned char*>(block));
        return m_blocks.back().get();
    };
    if (size > kFirstBlockSize / 4) return newBlock(size, false);
    if (m_blockUsed + size > m_blockSize) {
        bool first = m_blockSize == 0;
        m_blockSize = first ? kFirstBlockSize : kBlockSize;
        m_block = newBlock(m_blockSize, !first);
        m_blockUsed = 0;
    }
    unsigned char* target = m_block + m_blockUsed;
    m_blockUsed += size;
    return target;
}

bool OrviRecordset::AddNew() {
    if (!m_open) return false;
    if (m_editMode != kAddRow) m_posBeforeAdd = m_pos;
    m_editMode = kAddRow;
    m_pending.clear();
    return true;
}

bool OrviRecordset::SetValue(int column, CellValue value, std::string* error) {
    if (column < 0 || column >= ColumnCount()) {
        *error = kNoSuchColumn;
        return false;
    }
    if (m_table.empty()) {
        *error = kNotChangeable;
        return false;
    }
    if (m_editMode == kNoEdit) {
        if (m_pos < 0) {
            *error = kNoCurrentRow;
            return false;
        }
        m_editMode = kEditRow;
    }
    for (auto& [c, pending] : m_pending) {
        if (c == column) {
            pending = std::move(value);
            return true;
        }
    }
    m_pending.emplace_back(column, std::move(value));
    return true;
}

bool OrviRecordset::RunWrite(const std::string& sql, const std::vector<CellValue>& values,
                             std::string* error) {
    m_refusedReadOnly = m_connection->readOnly;
    if (m_refusedReadOnly) {
        *error = "attempt to write a readonly database";
        return false;
    }
    DbLock lock(*m_connection);
    for (OrviRecordset* reader : m_connection->readers) reader->PauseLocked();
    DbSession& session = *m_connection->session;
    // Taking the write lock up front makes a writer wait for the others instead of failing
    // when a read lock cannot be upgraded.
    bool ownTransaction = !session.InTransaction();
    DbError failure;
    bool done = !ownTransaction || session.Execute(Dialect().beginWrite, &failure);
    m_lastWrite = {};
    if (done) done = session.Write(sql, values, &m_lastWrite, &failure);
    if (ownTransaction && done) done = session.Execute("COMMIT", &failure);
    if (!done) {
        *error = failure.text;
        m_refusedReadOnly = failure.readOnly;
        DbError ignored;
        if (ownTransaction && session.InTransaction()) session.Execute("ROLLBACK", &ignored);
    }
    return done;
}

bool OrviRecordset::PendingTextsValid(std::string* error) const {
    for (const auto& [c, value] : m_pending) {
        (void)c;
        if (value.type == kCellText && !IsValidUtf8(value.text)) {
            *error = kInvalidText;
            return false;
        }
    }
    return true;
}

bool OrviRecordset::Update(std::string* error) {
    if (m_editMode == kNoEdit) return true;
    if (m_table.empty()) {
        *error = kNotChangeable;
        return false;
    }
    if (m_editMode == kEditRow && m_pending.empty()) {
        m_editMode = kNoEdit;
        return true;
    }
    if (!PendingTextsValid(error)) return false;
    const DbDialect& dialect = Dialect();
    std::vector<CellValue> values;
    for (const auto& [c, value] : m_pending) {
        (void)c;
        values.push_back(value);
    }
    std::string sql;
    if (m_editMode == kEditRow) {
        // Only over the values the row was read with: another seat's change is not
        // overwritten.
        std::string where = std::string(" WHERE ") + dialect.rowKey + "=";
        sql = "UPDATE " + dialect.QuoteName(m_table) + " SET ";
        for (size_t k = 0; k < m_pending.size(); ++k) {
            if (k) sql += ", ";
            sql += dialect.QuoteName(m_names[m_pending[k].first]) + "=" +
                   dialect.Parameter(static_cast<int>(k + 1));
        }
        values.push_back(CellValue{kCellInteger, m_rows[m_pos].rowid, 0, {}});
        where += dialect.Parameter(static_cast<int>(values.size()));
        // A column that already holds the value written (a rename this seat carried into
        // every record, another seat's identical change) is no conflict.
        for (const auto& [c, value] : m_pending) {
            CellView original;
            ReadPacked(m_rows[m_pos].data, c, &original);
            const std::string column = dialect.QuoteName(m_names[c]) + " " + dialect.nullSafeEqual;
            values.push_back(ToValue(original));
            where += " AND (" + column + " " + dialect.Parameter(static_cast<int>(values.size()));
            values.push_back(value);
            where +=
                " OR " + column + " " + dialect.Parameter(static_cast<int>(values.size())) + ")";
        }
        if (!RunWrite(sql + where, values, error)) return false;
        if (m_lastWrite.changes == 0) {
            // The row now holds what the database holds: a change made after this is checked
            // against those values.
            *error = RereadRow() ? kChangedByOther : kNoRow;
            return false;
        }
        m_rows[m_pos].data = PackMerged(m_rows[m_pos].data);
    } else {
        sql = "INSERT INTO " + dialect.QuoteName(m_table);
        if (m_pending.empty()) {
            sql += " DEFAULT VALUES";
        } else {
            std::string list;
            for (size_t k = 0; k < m_pending.size(); ++k) {
                sql += k ? ", " : " (";
                list += (k ? ", " : "") + dialect.Parameter(static_cast<int>(k + 1));
                sql += dialect.QuoteName(m_names[m_pending[k].first]);
            }
            sql += ") VALUES (" + list + ")";
        }
        sql += dialect.returningKey;
        if (!RunWrite(sql, values, error)) return false;
        m_rows.push_back({PackMerged(nullptr), m_lastWrite.newKey});
        m_pos = static_cast<long>(m_rows.size()) - 1;
    }
    m_editMode = kNoEdit;
    m_pending.clear();
    return true;
}

bool OrviRecordset::RereadRow() {
    const DbDialect& dialect = Dialect();
    std::string sql = std::string("SELECT * FROM ") + dialect.QuoteName(m_table) + " WHERE " +
                      dialect.rowKey + "=" + std::to_string(m_rows[m_pos].rowid);
    DbLock lock(*m_connection);
    DbError failure;
    std::unique_ptr<DbQuery> query = m_connection->session->Query(sql, &failure);
    if (!query || query->Next(&failure) != DbQuery::kRow) return false;
    // Each column of the result by its name; a result with a column the table lacks keeps
    // its row as it was read.
    std::vector<int> source(m_names.size(), -1);
    for (int c = 0; c < query->ColumnCount(); ++c) {
        const std::string name = query->ColumnName(c);
        for (size_t k = 0; k < m_names.size(); ++k)
            if (source[k] < 0 && strcasecmp(m_names[k].c_str(), name.c_str()) == 0) source[k] = c;
    }
    if (std::find(source.begin(), source.end(), -1) != source.end()) return true;
    m_rows[m_pos].data = PackRow([&](int c) {
        CellView cell;
        query->Cell(source[c], &cell);
        return cell;
    });
    return true;
}

void OrviRecordset::CancelUpdate() {
    if (m_editMode == kAddRow) m_pos = m_posBeforeAdd;
    m_editMode = kNoEdit;
    m_pending.clear();
}

bool OrviRecordset::Delete(std::string* error) {
    if (m_editMode == kAddRow) {
        CancelUpdate();
        return true;
    }
    CancelUpdate();
    if (m_pos < 0) {
        *error = kNoCurrentRow;
        return false;
    }
    if (m_table.empty()) {
        *error = kNotChangeable;
        return false;
    }
    // A row another connection removed already counts as deleted.
    const DbDialect& dialect = Dialect();
    std::vector<CellValue> key{CellValue{kCellInteger, m_rows[m_pos].rowid, 0, {}}};
    if (!RunWrite("DELETE FROM " + dialect.QuoteName(m_table) + " WHERE " + dialect.rowKey + "=" +
                      dialect.Parameter(1),
                  key, error))
        return false;
    m_rows.erase(m_rows.begin() + m_pos);
    m_pos = kBof;
    return true;
}
