// A session on a PostgreSQL server over one libpq connection.
#pragma once

#include <libpq-fe.h>

#include <memory>
#include <span>
#include <string>
#include <vector>

#include "data/driver.h"

class PgQuery;

class PgSession final : public DbSession {
public:
    // Takes a connection that is made; false with the reason when it cannot be set up.
    static std::unique_ptr<PgSession> Start(PGconn* conn, DbError* error);
    ~PgSession() override;
    PgSession(const PgSession&) = delete;
    PgSession& operator=(const PgSession&) = delete;

    const DbDialect& Dialect() const override;
    bool ReadOnly() const override { return m_readOnly; }
    bool Execute(const std::string& sql, DbError* error) override;
    std::unique_ptr<DbQuery> Query(const std::string& sql, DbError* error) override;
    bool Write(const std::string& sql, std::span<const CellValue> values, WriteResult* result,
               DbError* error) override;
    bool InTransaction() const override;
    bool TableNames(std::vector<std::string>* names, DbError* error) override;

    // The running query has handed the connection back.
    void QueryEnded(const PgQuery* query);

private:
    explicit PgSession(PGconn* conn) : m_conn(conn) {}
    bool Configure(DbError* error);
    bool Ready(DbError* error);
    // Runs a command without parameters; the result when it succeeded.
    PGresult* Run(const std::string& sql, DbError* error);

    PGconn* m_conn;
    PgQuery* m_running = nullptr;  // the query that streams its rows on the connection
    bool m_runningInTransaction = false;
    bool m_readOnly = false;
};
