// A query on a PostgreSQL session: rows stream from the server one at a time (libpq's
// single-row mode) until the session needs its connection for another command; then the
// remaining rows are read into the query's own memory and it goes on from its place.
#pragma once

#include <libpq-fe.h>

#include <deque>
#include <string>
#include <vector>

#include "data/driver.h"

class PgSession;

class PgQuery final : public DbQuery {
public:
    // first: the query's first result (its first row or its end), which gives the columns.
    // inTransaction: the query runs inside an open transaction of the session.
    PgQuery(PgSession* session, PGconn* conn, PGresult* first, bool inTransaction);
    ~PgQuery() override;
    PgQuery(const PgQuery&) = delete;
    PgQuery& operator=(const PgQuery&) = delete;

    int ColumnCount() const override { return static_cast<int>(m_names.size()); }
    std::string ColumnName(int column) const override;
    Step Next(DbError* error) override;
    void Cell(int column, CellView* cell) const override;
    // The rows are never given up: the session reads them into memory instead.
    bool YieldToWrite() override { return false; }

    // Reads the rows still on the connection into memory and frees the connection.
    void ReadRest();
    // Reads into memory the rows that have arrived already, without waiting for more; the
    // connection is freed when the query's end was among them.
    void ReadArrived();
    // The session closes: the query stops on the server and its next Next fails.
    void Abandon();

private:
    enum class ColumnKind { kInteger, kFloat, kBool, kText };
    struct RawCell {
        const char* text;  // terminated
        int size;
        bool null;
    };

    Step Take(PGresult* result, DbError* error);
    void Fail(PGresult* result);
    void Stop();
    void EndStream();
    void PointAtStored();
    std::string Pack(const PGresult* row) const;

    PgSession* m_session;
    PGconn* m_conn;  // while rows still come from the server
    const bool m_inTransaction;
    std::vector<std::string> m_names;
    std::vector<ColumnKind> m_kinds;
    PGresult* m_first;                 // not yet delivered by Next
    PGresult* m_row = nullptr;         // the current row as the server sent it
    std::string m_storedRow;           // or as read into memory
    std::vector<RawCell> m_cells;      // of a row read into memory
    std::deque<std::string> m_stored;  // rows read ahead into memory
    bool m_failed = false;
    DbError m_error;  // reported once the rows before it are taken
};
