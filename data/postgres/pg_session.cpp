#include "data/postgres/pg_session.h"

#include <charconv>
#include <cstring>

#include "data/postgres/pg_driver.h"
#include "data/postgres/pg_error.h"
#include "data/postgres/pg_query.h"
#include "data/postgres/pg_sql.h"

namespace {

constexpr DbDialect kPostgresDialect = {
    kServerRowKey, "IS NOT DISTINCT FROM", "BEGIN", " RETURNING orvi_rowkey", true, true, true,
    false,
};

// Every session speaks UTF-8 and takes backslashes in quotes literally; the last statement
// tells whether the server takes writes at all (a standby does not).
const char kSetUp[] =
    "SET client_encoding TO 'UTF8'; SET standard_conforming_strings TO on; "
    "SHOW transaction_read_only";

const char kTablesOfSchema[] =
    "SELECT tablename FROM pg_catalog.pg_tables WHERE schemaname = current_schema() "
    "ORDER BY tablename";

bool Succeeded(const PGresult* result) {
    switch (PQresultStatus(result)) {
        case PGRES_COMMAND_OK:
        case PGRES_TUPLES_OK:
        case PGRES_EMPTY_QUERY:
            return true;
        default:
            return false;
    }
}

int64_t FirstInteger(const PGresult* result) {
    int64_t value = 0;
    if (PQntuples(result) > 0 && PQnfields(result) > 0) {
        const char* text = PQgetvalue(result, 0, 0);
        std::from_chars(text, text + std::strlen(text), value);
    }
    return value;
}

// A value as a text parameter; false for a text the server cannot hold.
bool ParameterText(const CellValue& value, std::string* text, DbError* error) {
    char buffer[32];
    switch (value.type) {
        case kCellInteger:
            *text = std::to_string(value.i);
            return true;
        case kCellFloat: {
            // %.17g in the C locale: the value comes back exactly
            const auto end = std::to_chars(buffer, buffer + sizeof buffer, value.d,
                                           std::chars_format::general, 17);
            text->assign(buffer, end.ptr);
            return true;
        }
        case kCellBlob:
            *text = value.text;
            return true;
        case kCellText:
            if (value.text.find('\0') != std::string::npos) {
                if (error) *error = DbError{"a text value contains a zero byte", false, false};
                return false;
            }
            *text = value.text;
            return true;
        default:
            return true;
    }
}

}  // namespace

std::unique_ptr<DbSession> OpenPostgres(const std::string& conninfo, DbError* error) {
    // A window waits for the connection: an unreachable server must not hold it for ever.
    // The operator's string comes last, so its own settings win.
    const char* const keywords[] = {"connect_timeout", "fallback_application_name", "dbname",
                                    nullptr};
    const char* const values[] = {"10", "OrviCrm", conninfo.c_str(), nullptr};
    PGconn* conn = PQconnectdbParams(keywords, values, 1);
    if (!conn) {
        if (error) *error = DbError{"out of memory", false, false};
        return nullptr;
    }
    if (PQstatus(conn) != CONNECTION_OK) {
        if (error) *error = DbError{TrimmedMessage(PQerrorMessage(conn)), false, false};
        PQfinish(conn);
        return nullptr;
    }
    // The server's notices are not errors; they would only end up on the host's stderr.
    PQsetNoticeProcessor(
        conn, [](void*, const char*) {}, nullptr);
    return PgSession::Start(conn, error);
}

std::unique_ptr<PgSession> PgSession::Start(PGconn* conn, DbError* error) {
    std::unique_ptr<PgSession> session(new PgSession(conn));
    if (!session->Configure(error)) return nullptr;
    return session;
}

PgSession::~PgSession() {
    if (m_running) m_running->Abandon();
    PQfinish(m_conn);
}

const DbDialect& PgSession::Dialect() const {
    return kPostgresDialect;
}

bool PgSession::Configure(DbError* error) {
    PGresult* result = PQexec(m_conn, kSetUp);
    const bool ok = PQresultStatus(result) == PGRES_TUPLES_OK;
    if (ok)
        m_readOnly = PQntuples(result) > 0 && std::strcmp(PQgetvalue(result, 0, 0), "on") == 0;
    else
        SetResultError(m_conn, result, error);
    PQclear(result);
    return ok;
}

// Before a command: a streaming query moves its rest into memory, and a connection that
// broke is made again.
bool PgSession::Ready(DbError* error) {
    if (m_running) m_running->ReadRest();
    if (PQstatus(m_conn) == CONNECTION_OK) return true;
    PQreset(m_conn);
    if (PQstatus(m_conn) != CONNECTION_OK) {
        if (error) *error = DbError{TrimmedMessage(PQerrorMessage(m_conn)), false, true};
        return false;
    }
    return Configure(error);
}

PGresult* PgSession::Run(const std::string& sql, DbError* error) {
    if (!Ready(error)) return nullptr;
    PGresult* result = PQexec(m_conn, RewriteLikeForServer(sql).c_str());
    if (Succeeded(result)) return result;
    SetResultError(m_conn, result, error);
    PQclear(result);
    return nullptr;
}

bool PgSession::Execute(const std::string& sql, DbError* error) {
    PGresult* result = Run(sql, error);
    PQclear(result);
    return result != nullptr;
}

bool PgSession::TableNames(std::vector<std::string>* names, DbError* error) {
    PGresult* result = Run(kTablesOfSchema, error);
    if (!result) return false;
    names->clear();
    for (int r = 0; r < PQntuples(result); ++r)
        names->push_back(SchemaSpelling(PQgetvalue(result, r, 0)));
    PQclear(result);
    return true;
}

std::unique_ptr<DbQuery> PgSession::Query(const std::string& sql, DbError* error) {
    if (!Ready(error)) return nullptr;
    const bool inTransaction = InTransaction();
    // With parameters (none) the server refuses more than one statement.
    if (!PQsendQueryParams(m_conn, RewriteLikeForServer(sql).c_str(), 0, nullptr, nullptr, nullptr,
                           nullptr, 0)) {
        SetResultError(m_conn, nullptr, error);
        return nullptr;
    }
    PQsetSingleRowMode(m_conn);
    PGresult* first = PQgetResult(m_conn);
    if (!Succeeded(first) && PQresultStatus(first) != PGRES_SINGLE_TUPLE) {
        while (PGresult* rest = PQgetResult(m_conn)) PQclear(rest);
        SetResultError(m_conn, first, error);
        PQclear(first);
        return nullptr;
    }
    auto query = std::make_unique<PgQuery>(this, m_conn, first, inTransaction);
    m_running = query.get();
    m_runningInTransaction = inTransaction;
    return query;
}

bool PgSession::Write(const std::string& sql, std::span<const CellValue> values,
                      WriteResult* result, DbError* error) {
    std::vector<std::string> texts(values.size());
    std::vector<const char*> pointers(values.size(), nullptr);
    std::vector<int> lengths(values.size(), 0);
    std::vector<int> formats(values.size(), 0);
    for (size_t k = 0; k < values.size(); ++k) {
        if (!ParameterText(values[k], &texts[k], error)) return false;
        if (values[k].type == kCellNull) continue;
        pointers[k] = texts[k].c_str();
        lengths[k] = static_cast<int>(texts[k].size());
        formats[k] = values[k].type == kCellBlob ? 1 : 0;
    }
    if (!Ready(error)) return false;
    PGresult* answer =
        PQexecParams(m_conn, RewriteLikeForServer(sql).c_str(), static_cast<int>(values.size()),
                     nullptr, pointers.data(), lengths.data(), formats.data(), 0);
    const bool ok = Succeeded(answer);
    if (ok && result) {
        const char* changes = PQcmdTuples(answer);
        result->changes = 0;
        std::from_chars(changes, changes + std::strlen(changes), result->changes);
        result->newKey = PQresultStatus(answer) == PGRES_TUPLES_OK ? FirstInteger(answer) : 0;
    }
    if (!ok) SetResultError(m_conn, answer, error);
    PQclear(answer);
    return ok;
}

bool PgSession::InTransaction() const {
    switch (PQtransactionStatus(m_conn)) {
        case PGTransactionStatusType::PQTRANS_INTRANS:
        case PGTransactionStatusType::PQTRANS_INERROR:
            return true;
        case PGTransactionStatusType::PQTRANS_ACTIVE:  // a query streams its rows
            return m_running ? m_runningInTransaction : true;
        default:
            return false;
    }
}

void PgSession::QueryEnded(const PgQuery* query) {
    if (m_running == query) m_running = nullptr;
}
