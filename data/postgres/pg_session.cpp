#include "data/postgres/pg_session.h"

#include <algorithm>
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

// Whether the server takes writes at all (a standby does not).
const char kReadOnly[] = "SHOW transaction_read_only";
// Backslashes in quotes are taken literally. A server set otherwise gets a SET, which a
// pooler in transaction mode keeps for the client as it keeps its encoding.
const char kConformingStrings[] = "SET standard_conforming_strings TO on";

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
                if (error) *error = DbError{kZeroByteText, false, false};
                return false;
            }
            *text = value.text;
            return true;
        default:
            return true;
    }
}

}  // namespace

// A new connection; nullptr with the reason.
PGconn* Connect(const std::string& conninfo, DbError* error) {
    // A window waits for the connection: an unreachable server must not hold it for ever.
    // The operator's string comes after those defaults, so its own settings win, but not
    // over the encoding, which is a startup parameter: a session keeps no state of its own
    // on a server connection, which a pooler in transaction mode hands to other clients.
    const char* const keywords[] = {"connect_timeout", "fallback_application_name", "dbname",
                                    "client_encoding", nullptr};
    const char* const values[] = {"10", "OrviCrm", conninfo.c_str(), "UTF8", nullptr};
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
    return conn;
}

std::unique_ptr<DbSession> OpenPostgres(const std::string& conninfo, DbError* error) {
    PGconn* conn = Connect(conninfo, error);
    if (!conn) return nullptr;
    return PgSession::Start(conn, conninfo, error);
}

std::unique_ptr<PgSession> PgSession::Start(PGconn* conn, const std::string& conninfo,
                                            DbError* error) {
    std::unique_ptr<PgSession> session(new PgSession(conn));
    session->m_conninfo = conninfo;
    if (!Configure(conn, &session->m_readOnly, error)) return nullptr;
    return session;
}

PgSession::~PgSession() {
    if (m_running) m_running->Abandon();
    std::vector<std::pair<PgQuery*, PGconn*>> readers;
    readers.swap(m_readers);  // so that their ends find nothing to hand back
    for (auto& [query, conn] : readers) {
        query->Abandon();
        PQfinish(conn);
    }
    for (auto& [conn, since] : m_idleReaders) PQfinish(conn);
    PQfinish(m_conn);
}

const DbDialect& PgSession::Dialect() const {
    return kPostgresDialect;
}

bool PgSession::Configure(PGconn* conn, bool* readOnly, DbError* error) {
    const char* conforming = PQparameterStatus(conn, "standard_conforming_strings");
    if (!conforming || std::strcmp(conforming, "on") != 0) {
        PGresult* set = PQexec(conn, kConformingStrings);
        const bool done = PQresultStatus(set) == PGRES_COMMAND_OK;
        if (!done) SetResultError(conn, set, error);
        PQclear(set);
        if (!done) return false;
    }
    PGresult* result = PQexec(conn, kReadOnly);
    const bool ok = PQresultStatus(result) == PGRES_TUPLES_OK;
    if (ok)
        *readOnly = PQntuples(result) > 0 && std::strcmp(PQgetvalue(result, 0, 0), "on") == 0;
    else
        SetResultError(conn, result, error);
    PQclear(result);
    return ok;
}

// Before a command: a streaming query moves its rest into memory, and a connection that
// broke (or whose last command failed as a lost connection) is made again.
bool PgSession::Ready(DbError* error) {
    if (m_running) m_running->ReadRest();
    if (!m_lost && PQstatus(m_conn) == CONNECTION_OK) return true;
    m_lost = false;
    PQreset(m_conn);
    if (PQstatus(m_conn) != CONNECTION_OK) {
        if (error) *error = DbError{TrimmedMessage(PQerrorMessage(m_conn)), false, true};
        return false;
    }
    return Configure(m_conn, &m_readOnly, error);
}

PGresult* PgSession::Run(const std::string& sql, DbError* error) {
    if (!Ready(error)) return nullptr;
    PGresult* result = PQexec(m_conn, RewriteLikeForServer(sql).c_str());
    if (Succeeded(result)) return result;
    Failed(m_conn, result, error);
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
    // While another query streams on the connection, a query outside a transaction reads on
    // a connection of its own rather than wait for the other's rows to be read. A short
    // query's rest has mostly arrived already: it is taken first, freeing the connection.
    if (m_running && !InTransaction()) {
        m_running->ReadArrived();
        if (m_running)
            if (PGconn* reader = ReaderConnection()) return StartQuery(reader, sql, false, error);
    }
    if (!Ready(error)) return nullptr;
    return StartQuery(m_conn, sql, InTransaction(), error);
}

// Called without the connection's lock: touches only a reader connection and the readers'
// own bookkeeping.
std::unique_ptr<DbQuery> PgSession::QueryApart(const std::string& sql, DbError* error) {
    PGconn* reader = ReaderConnection();
    return reader ? StartQuery(reader, sql, false, error) : nullptr;
}

PgSession::Clock::time_point PgSession::CloseIdleReaders(std::chrono::milliseconds idle) {
    const Clock::time_point now = Clock::now();
    Clock::time_point next = Clock::time_point::max();
    std::lock_guard lock(m_readerMutex);
    std::erase_if(m_idleReaders, [&](const std::pair<PGconn*, Clock::time_point>& reader) {
        if (now - reader.second < idle) {
            next = std::min(next, reader.second + idle);
            return false;
        }
        PQfinish(reader.first);
        return true;
    });
    return next;
}

PGconn* PgSession::ReaderConnection() {
    {
        std::lock_guard lock(m_readerMutex);
        // The one used last is taken first, so that the others stay idle long enough to close.
        while (!m_idleReaders.empty()) {
            PGconn* conn = m_idleReaders.back().first;
            m_idleReaders.pop_back();
            if (PQstatus(conn) == CONNECTION_OK) {
                ++m_busyReaders;
                return conn;
            }
            PQfinish(conn);
        }
        if (m_busyReaders >= kMaxReaders) return nullptr;
        ++m_busyReaders;
    }
    bool readOnly = false;
    DbError ignored;
    PGconn* conn = Connect(m_conninfo, &ignored);
    if (conn && !Configure(conn, &readOnly, &ignored)) {
        PQfinish(conn);
        conn = nullptr;
    }
    if (!conn) {
        std::lock_guard lock(m_readerMutex);
        --m_busyReaders;
    }
    return conn;
}

std::unique_ptr<DbQuery> PgSession::StartQuery(PGconn* conn, const std::string& sql,
                                               bool inTransaction, DbError* error) {
    // With parameters (none) the server refuses more than one statement.
    const bool reader = conn != m_conn;
    if (!PQsendQueryParams(conn, RewriteLikeForServer(sql).c_str(), 0, nullptr, nullptr, nullptr,
                           nullptr, 0)) {
        const bool lost = Failed(conn, nullptr, error);
        if (reader) ReaderDone(conn, lost);
        return nullptr;
    }
    PQsetSingleRowMode(conn);
    PGresult* first = PQgetResult(conn);
    if (!Succeeded(first) && PQresultStatus(first) != PGRES_SINGLE_TUPLE) {
        while (PGresult* rest = PQgetResult(conn)) PQclear(rest);
        const bool lost = Failed(conn, first, error);
        PQclear(first);
        if (reader) ReaderDone(conn, lost);
        return nullptr;
    }
    auto query = std::make_unique<PgQuery>(this, conn, first, inTransaction);
    if (reader) {
        std::lock_guard lock(m_readerMutex);
        m_readers.emplace_back(query.get(), conn);
    } else {
        m_running = query.get();
        m_runningInTransaction = inTransaction;
    }
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
    if (!ok) Failed(m_conn, answer, error);
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
    if (m_running == query) {
        m_running = nullptr;
        return;
    }
    PGconn* conn = nullptr;
    {
        std::lock_guard lock(m_readerMutex);
        for (auto it = m_readers.begin(); it != m_readers.end(); ++it) {
            if (it->first == query) {
                conn = it->second;
                m_readers.erase(it);
                break;
            }
        }
    }
    if (conn) ReaderDone(conn);
}

// A reader connection whose query ended waits for the next one, unless it broke.
void PgSession::ReaderDone(PGconn* conn, bool lost) {
    const bool keep =
        !lost && PQstatus(conn) == CONNECTION_OK && PQtransactionStatus(conn) == PQTRANS_IDLE;
    std::lock_guard lock(m_readerMutex);
    --m_busyReaders;
    if (keep && m_idleReaders.size() < kMaxReaders)
        m_idleReaders.emplace_back(conn, Clock::now());
    else
        PQfinish(conn);
}

bool PgSession::Failed(PGconn* conn, const PGresult* result, DbError* error) {
    SetResultError(conn, result, error);
    const bool lost = ConnectionLost(conn, result);
    if (lost) Lost(conn);
    return lost;
}

void PgSession::Lost(PGconn* conn) {
    if (conn == m_conn) m_lost = true;
    std::lock_guard lock(m_readerMutex);
    for (auto& [idle, since] : m_idleReaders) PQfinish(idle);
    m_idleReaders.clear();
}
