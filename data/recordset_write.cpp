#include "data/recordset.h"

namespace {

// Reasons of refused writes, shown to the user with the write's failure message.
const char kNotChangeable[] = "这个查询结果不能修改";
const char kNoCurrentRow[] = "没有当前记录";
const char kNoSuchColumn[] = "没有这个字段";
const char kNoRow[] = "这条记录已经不存在";
const char kChangedByOther[] = "这条记录已被其他用户修改，请重新查询后再修改。";
const char kInvalidText[] = "文本不是有效的 UTF-8 编码。";

// A float column holds single-precision values.
bool SameValue(const CellView& cell, const CellValue& value) {
    if (cell.type != value.type) return false;
    switch (value.type) {
        case kCellInteger:
            return cell.i == value.i;
        case kCellFloat:
            return static_cast<float>(cell.d) == static_cast<float>(value.d);
        case kCellText:
        case kCellBlob:
            return std::string_view(cell.text, cell.size) == value.text;
        default:
            return true;
    }
}

CellValue ToValue(const CellView& cell) {
    CellValue value;
    value.type = cell.type;
    value.i = cell.i;
    value.d = cell.d;
    if (cell.type == kCellText || cell.type == kCellBlob) value.text.assign(cell.text, cell.size);
    return value;
}

}  // namespace

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
    m_lostConnection = false;
    m_commitUnknown = false;
    if (m_refusedReadOnly) {
        *error = "attempt to write a readonly database";
        return false;
    }
    SessionLock lock(*m_connection);
    if (!lock.Acquired()) {
        *error = kOtherTransactionOpen;
        return false;
    }
    for (OrviRecordset* reader : m_connection->readers) reader->PauseLocked();
    DbSession& session = *m_connection->session;
    // Taking the write lock up front makes a writer wait for the others instead of failing
    // when a read lock cannot be upgraded.
    bool ownTransaction = !session.InTransaction();
    DbError failure;
    bool committing = false;
    // A transaction of its own that lost its connection before COMMIT wrote nothing: it
    // runs once more on the connection made again.
    for (int attempt = 0; attempt < 2; ++attempt) {
        failure = DbError{};
        committing = false;
        bool done = !ownTransaction || session.Execute(Dialect().beginWrite, &failure);
        m_lastWrite = {};
        if (done) done = session.Write(sql, values, &m_lastWrite, &failure);
        if (ownTransaction && done) {
            committing = true;
            done = session.Execute("COMMIT", &failure);
        }
        if (done) return true;
        DbError ignored;
        if (ownTransaction && session.InTransaction()) session.Execute("ROLLBACK", &ignored);
        if (!ownTransaction || committing || !failure.connectionLost) break;
    }
    *error = failure.text;
    m_refusedReadOnly = failure.readOnly;
    m_lostConnection = failure.connectionLost;
    // The server may have committed before the connection broke.
    m_commitUnknown = committing && failure.connectionLost;
    return false;
}

bool OrviRecordset::PendingTextsValid(std::string* error) const {
    for (const auto& [c, value] : m_pending) {
        (void)c;
        if (value.type == kCellText && value.text.find('\0') != std::string::npos) {
            *error = kZeroByteText;  // as the server refuses it
            return false;
        }
        if (value.type == kCellText && !IsValidUtf8(value.text)) {
            *error = kInvalidText;
            return false;
        }
    }
    return true;
}

// The current row as the table holds it now: its key, then the result's columns.
std::string OrviRecordset::CurrentRowQuery() const {
    const DbDialect& dialect = Dialect();
    std::string sql = std::string("SELECT ") + dialect.rowKey;
    for (const std::string& name : m_names) sql += ", " + dialect.QuoteName(name);
    return sql + " FROM " + dialect.QuoteName(m_table) + " WHERE " + dialect.rowKey + "=" +
           std::to_string(m_rows[m_pos].rowid);
}

// Before a row whose last save had an unknown outcome is written again: when the database
// holds the values of that save, it went through and the row is taken as it is now; else
// the row stays as read, and the write checks it as ever.
bool OrviRecordset::RereadUnsureRow(std::string* error) {
    SessionLock lock(*m_connection);
    if (!lock.Acquired()) {
        *error = kOtherTransactionOpen;
        return false;
    }
    DbError failure;
    std::unique_ptr<DbQuery> query = m_connection->session->Query(CurrentRowQuery(), &failure);
    DbQuery::Step step = query ? query->Next(&failure) : DbQuery::kError;
    if (step == DbQuery::kError || step == DbQuery::kBusy) {
        *error = failure.text;
        m_lostConnection = failure.connectionLost;
        return false;
    }
    m_unsure.reset();
    if (step == DbQuery::kDone) {
        *error = kNoRow;
        return false;
    }
    bool saved = true;
    for (const auto& [c, value] : m_unsureValues) {
        CellView cell;
        query->Cell(c + 1, &cell);
        saved = saved && SameValue(cell, value);
    }
    m_unsureValues.clear();
    if (saved) m_rows[m_pos].data = PackQueryRow(*query, 1);
    while (query->Next(&failure) == DbQuery::kRow) {
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
    if (m_editMode == kEditRow && m_unsure == m_rows[m_pos].rowid && !RereadUnsureRow(error))
        return false;
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
        if (!RunWrite(sql + where, values, error)) {
            if (m_commitUnknown) {
                m_unsure = m_rows[m_pos].rowid;
                m_unsureValues = m_pending;
            }
            return false;
        }
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
    SessionLock lock(*m_connection);
    if (!lock.Acquired()) return false;
    DbError failure;
    std::unique_ptr<DbQuery> query = m_connection->session->Query(CurrentRowQuery(), &failure);
    if (!query || query->Next(&failure) != DbQuery::kRow) return false;
    m_rows[m_pos].data = PackQueryRow(*query, 1);
    while (query->Next(&failure) == DbQuery::kRow) {
    }
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
