// A session on a PostgreSQL server over one libpq connection.
#pragma once

#include <libpq-fe.h>

#include <chrono>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "data/driver.h"

class PgQuery;

class PgSession final : public DbSession {
public:
    // Takes a connection that is made from conninfo; nullptr with the reason when it cannot
    // be set up.
    static std::unique_ptr<PgSession> Start(PGconn* conn, const std::string& conninfo,
                                            DbError* error);
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
    std::unique_ptr<DbQuery> QueryApart(const std::string& sql, DbError* error) override;
    std::chrono::steady_clock::time_point CloseIdleReaders(std::chrono::milliseconds idle) override;

    // The running query has handed the connection back.
    void QueryEnded(const PgQuery* query);
    // A command on conn failed because the connection is gone: the session's own connection
    // is made again at its next command; idle readers (gone with the server) are closed.
    void Lost(PGconn* conn);

private:
    using Clock = std::chrono::steady_clock;
    // Connections of queries that read apart (the loaders of the windows' lists, and a
    // query that starts while another streams): at most this many besides the session's own.
    static constexpr size_t kMaxReaders = 4;

    explicit PgSession(PGconn* conn) : m_conn(conn) {}
    static bool Configure(PGconn* conn, bool* readOnly, DbError* error);
    std::unique_ptr<DbQuery> StartQuery(PGconn* conn, const std::string& sql, bool inTransaction,
                                        DbError* error);
    // An idle or new reader connection, to be handed back with ReaderDone; nullptr: none to
    // be had. Needs no connection lock.
    PGconn* ReaderConnection();
    void ReaderDone(PGconn* conn, bool lost = false);
    // The error of a failed call on conn; whether the connection is gone (then Lost(conn)).
    bool Failed(PGconn* conn, const PGresult* result, DbError* error);
    bool Ready(DbError* error);
    // Runs a command without parameters; the result when it succeeded.
    PGresult* Run(const std::string& sql, DbError* error);

    PGconn* m_conn;
    std::string m_conninfo;
    PgQuery* m_running = nullptr;  // the query that streams its rows on the connection
    // A query apart starts without the connection's lock (its connecting and its wait for
    // the first row hold up no other window): the readers have a lock of their own.
    std::mutex m_readerMutex;
    std::vector<std::pair<PgQuery*, PGconn*>> m_readers;  // queries on reader connections
    std::vector<std::pair<PGconn*, Clock::time_point>> m_idleReaders;  // since when idle
    size_t m_busyReaders = 0;  // taken for a query and not yet handed back
    bool m_runningInTransaction = false;
    bool m_lost = false;  // m_conn failed as a lost connection: reset at the next command
    bool m_readOnly = false;
};
