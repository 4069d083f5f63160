#include "data/recordset.h"

#include <strings.h>

#include <chrono>
#include <cstring>
#include <thread>

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
    m_unsure.reset();
    m_unsureValues.clear();
}

// A connection to a server that broke connects again at its next command: a query that
// failed with it runs once more.
bool OrviRecordset::Open(const _ConnectionPtr& connection, const std::string& sql,
                         std::string* error) {
    return OpenQuery(connection, sql, error) ||
           (m_lostConnection && OpenQuery(connection, sql, error));
}

bool OrviRecordset::OpenTable(const _ConnectionPtr& connection, const std::string& table,
                              std::string* error) {
    return OpenWholeTable(connection, table, error) ||
           (m_lostConnection && OpenWholeTable(connection, table, error));
}

bool OrviRecordset::Attach(const _ConnectionPtr& connection, std::string* error) {
    Close();
    m_lostConnection = false;
    if (!connection || !connection->session) {
        *error = "no open connection";
        return false;
    }
    m_connection = connection;
    return true;
}

bool OrviRecordset::OpenQuery(const _ConnectionPtr& connection, const std::string& sql,
                              std::string* error) {
    if (!Attach(connection, error)) return false;
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
    // The query as it stands (read-only) only when the one with the key was refused, not
    // when the connection broke.
    if (!prepared && (m_lostConnection || !Prepare(sql, kNoKey, error))) {
        Close();
        return false;
    }
    return Start(error);
}

bool OrviRecordset::OpenWholeTable(const _ConnectionPtr& connection, const std::string& table,
                                   std::string* error) {
    if (!Attach(connection, error)) return false;
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
    OrviConnection& connection = *m_connection;
    std::unique_lock lock(connection.mutex);
    DbError failure;
    std::unique_ptr<DbQuery> query;
    // A load, and any query while another thread's transaction is open, reads apart; it
    // connects and waits for its first row without the lock, holding up no other window.
    if (connection.OtherThreadsTransaction() ||
        (InStreamingLoad() && !connection.session->InTransaction())) {
        lock.unlock();
        query = connection.session->QueryApart(sql, &failure);
        lock.lock();
    }
    if (!query && failure.text.empty()) {
        if (!connection.WaitForOtherTransaction(lock))
            failure.text = kOtherTransactionOpen;
        else
            query = connection.session->Query(sql, &failure);
    }
    if (!query) {
        *error = failure.text;
        m_lostConnection = failure.connectionLost;
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
                m_lostConnection = failure.connectionLost;
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
