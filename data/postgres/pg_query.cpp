#include "data/postgres/pg_query.h"

#include <locale.h>

#include <charconv>
#include <cstdlib>
#include <cstring>

#include "data/postgres/pg_error.h"
#include "data/postgres/pg_session.h"
#include "data/postgres/pg_sql.h"

namespace {

// Type oids of the built-in types (the server's pg_type catalog).
constexpr Oid kOidBool = 16;
constexpr Oid kOidInt8 = 20;
constexpr Oid kOidInt2 = 21;
constexpr Oid kOidInt4 = 23;
constexpr Oid kOidOid = 26;
constexpr Oid kOidFloat4 = 700;
constexpr Oid kOidFloat8 = 701;
constexpr Oid kOidNumeric = 1700;

int64_t ParseInteger(const char* text, int size) {
    int64_t value = 0;
    std::from_chars(text, text + size, value);
    return value;
}

// Independent of the process's locale (the decimal point stays '.'). The server writes
// "Infinity", "-Infinity" and "NaN", which from_chars takes as well; a value past the range
// of a double becomes an infinity as with strtod.
double ParseFloat(const char* text, int size) {
    double value = 0;
    auto [end, error] = std::from_chars(text, text + size, value);
    if (error == std::errc::result_out_of_range) {
        static const locale_t c = newlocale(LC_ALL_MASK, "C", nullptr);
        value = strtod_l(text, nullptr, c);
    }
    (void)end;
    return value;
}

}  // namespace

PgQuery::PgQuery(PgSession* session, PGconn* conn, PGresult* first, bool inTransaction)
    : m_session(session), m_conn(conn), m_inTransaction(inTransaction), m_first(first) {
    const int columns = PQnfields(first);
    for (int c = 0; c < columns; ++c) {
        m_names.push_back(SchemaSpelling(PQfname(first, c)));
        switch (PQftype(first, c)) {
            case kOidInt2:
            case kOidInt4:
            case kOidInt8:
            case kOidOid:
                m_kinds.push_back(ColumnKind::kInteger);
                break;
            case kOidFloat4:
            case kOidFloat8:
            case kOidNumeric:
                m_kinds.push_back(ColumnKind::kFloat);
                break;
            case kOidBool:
                m_kinds.push_back(ColumnKind::kBool);
                break;
            default:
                m_kinds.push_back(ColumnKind::kText);
        }
    }
}

PgQuery::~PgQuery() {
    Stop();
    PQclear(m_row);
}

std::string PgQuery::ColumnName(int column) const {
    return column >= 0 && column < ColumnCount() ? m_names[column] : std::string();
}

DbQuery::Step PgQuery::Next(DbError* error) {
    PQclear(m_row);
    m_row = nullptr;
    m_cells.clear();
    if (m_first) {
        PGresult* first = m_first;
        m_first = nullptr;
        return Take(first, error);
    }
    if (!m_stored.empty()) {
        m_storedRow = std::move(m_stored.front());
        m_stored.pop_front();
        PointAtStored();
        return kRow;
    }
    if (m_conn) return Take(PQgetResult(m_conn), error);
    if (!m_failed) return kDone;
    if (error) *error = m_error;
    return kError;
}

DbQuery::Step PgQuery::Take(PGresult* result, DbError* error) {
    switch (PQresultStatus(result)) {
        case PGRES_SINGLE_TUPLE:
            m_row = result;  // its cells are read where they are asked for
            return kRow;
        case PGRES_TUPLES_OK:
        case PGRES_COMMAND_OK:
        case PGRES_EMPTY_QUERY:
            PQclear(result);
            EndStream();
            return kDone;
        default:
            Fail(result);
            if (error) *error = m_error;
            return kError;
    }
}

// A failed result ends the stream; result may be null (the connection broke). The error
// is read after the stream's end, when libpq has seen whether the server closed the
// connection.
void PgQuery::Fail(PGresult* result) {
    PGconn* conn = m_conn;
    EndStream();
    SetResultError(conn, result, &m_error);
    if (m_error.connectionLost && m_session) m_session->Lost(conn);
    m_failed = true;
    PQclear(result);
}

void PgQuery::ReadRest() {
    if (!m_conn) return;
    PGresult* result = m_first ? m_first : PQgetResult(m_conn);
    m_first = nullptr;
    for (; result; result = PQgetResult(m_conn)) {
        const ExecStatusType status = PQresultStatus(result);
        if (status == PGRES_FATAL_ERROR || status == PGRES_NONFATAL_ERROR ||
            status == PGRES_BAD_RESPONSE) {
            Fail(result);
            return;
        }
        if (status == PGRES_SINGLE_TUPLE) m_stored.push_back(Pack(result));
        PQclear(result);
    }
    EndStream();
}

void PgQuery::ReadArrived() {
    if (!m_conn || !PQconsumeInput(m_conn)) return;  // a broken connection: Next reports it
    while (m_conn && (m_first || !PQisBusy(m_conn))) {
        PGresult* result = m_first ? m_first : PQgetResult(m_conn);
        m_first = nullptr;
        const ExecStatusType status = PQresultStatus(result);
        if (status == PGRES_SINGLE_TUPLE) {
            m_stored.push_back(Pack(result));
            PQclear(result);
        } else if (result && (status == PGRES_TUPLES_OK || status == PGRES_COMMAND_OK ||
                              status == PGRES_EMPTY_QUERY)) {
            PQclear(result);
            EndStream();
        } else {
            Fail(result);
        }
    }
}

void PgQuery::Abandon() {
    Stop();
    m_session = nullptr;
    if (!m_failed) {
        m_failed = true;
        m_error = DbError{"the connection is closed", false, true};
    }
}

// Stops a query that has not delivered all its rows. Outside a transaction the server is
// asked to cancel it so that a large rest is not read only to be thrown away; inside one a
// cancel would abort the transaction, so the rest is read and dropped.
void PgQuery::Stop() {
    if (!m_conn) return;
    if (!m_inTransaction) {
        if (PGcancel* cancel = PQgetCancel(m_conn)) {
            char message[256];
            PQcancel(cancel, message, sizeof message);
            PQfreeCancel(cancel);
        }
    }
    PQclear(m_first);
    m_first = nullptr;
    EndStream();
}

// Discards what is left of the command's results and hands the connection back.
void PgQuery::EndStream() {
    while (PGresult* rest = PQgetResult(m_conn)) PQclear(rest);
    m_conn = nullptr;
    if (m_session) m_session->QueryEnded(this);
}

// A stored row: per cell its size (-1 for NULL), its bytes and a terminating zero.
std::string PgQuery::Pack(const PGresult* row) const {
    std::string packed;
    for (int c = 0; c < ColumnCount(); ++c) {
        const int size = PQgetisnull(row, 0, c) ? -1 : PQgetlength(row, 0, c);
        packed.append(reinterpret_cast<const char*>(&size), sizeof size);
        if (size >= 0) packed.append(PQgetvalue(row, 0, c), static_cast<size_t>(size) + 1);
    }
    return packed;
}

void PgQuery::PointAtStored() {
    const char* p = m_storedRow.data();
    for (int c = 0; c < ColumnCount(); ++c) {
        int size;
        std::memcpy(&size, p, sizeof size);
        p += sizeof size;
        m_cells.push_back({size < 0 ? "" : p, size < 0 ? 0 : size, size < 0});
        if (size >= 0) p += size + 1;
    }
}

void PgQuery::Cell(int column, CellView* cell) const {
    *cell = CellView{};
    if (column < 0 || column >= ColumnCount()) return;
    RawCell raw;
    if (m_row) {
        raw.size = PQgetlength(m_row, 0, column);
        raw.null = raw.size == 0 && PQgetisnull(m_row, 0, column);
        raw.text = PQgetvalue(m_row, 0, column);
    } else if (static_cast<size_t>(column) < m_cells.size()) {
        raw = m_cells[column];
    } else {
        return;
    }
    if (raw.null) return;
    switch (m_kinds[column]) {
        case ColumnKind::kInteger:
            cell->type = kCellInteger;
            cell->i = ParseInteger(raw.text, raw.size);
            break;
        case ColumnKind::kFloat:
            cell->type = kCellFloat;
            cell->d = ParseFloat(raw.text, raw.size);
            break;
        case ColumnKind::kBool:
            cell->type = kCellInteger;
            cell->i = raw.size > 0 && raw.text[0] == 't' ? 1 : 0;
            break;
        case ColumnKind::kText:
            cell->type = kCellText;
            cell->text = raw.text;
            cell->size = static_cast<size_t>(raw.size);
            break;
    }
}
