// The database behind a connection: one small interface that the connection and the
// recordset use, with a driver per database (data/sqlite/ for a file, data/postgres/ for a
// server). Nothing above data/ sees a driver.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Types of cells and values (numbered as SQLite numbers its fundamental types).
enum CellType : int {
    kCellInteger = 1,
    kCellFloat = 2,
    kCellText = 3,
    kCellBlob = 4,
    kCellNull = 5,
};

// One cell of a row: a view into storage owned by whoever handed it out.
struct CellView {
    int type = kCellNull;
    int64_t i = 0;
    double d = 0;
    const char* text = nullptr;  // kCellText and kCellBlob, not terminated
    size_t size = 0;
};

// A value to be written.
struct CellValue {
    int type = kCellNull;
    int64_t i = 0;
    double d = 0;
    std::string text;
};

// Why a text with a zero byte is refused (a server cannot hold one).
inline constexpr char kZeroByteText[] = "a text value contains a zero byte";

// A failed call of a driver.
struct DbError {
    std::string text;             // the database's description
    bool readOnly = false;        // refused because the database cannot be written
    bool connectionLost = false;  // the server went away; the next call connects again
};

// The SQL differences between the databases, for the statements built in data/.
struct DbDialect {
    const char* rowKey;         // the hidden key of every row: "rowid" or our key column
    const char* nullSafeEqual;  // "a <op> b" is true for two NULLs and for equal values
    const char* beginWrite;     // starts a transaction that writes
    const char* returningKey;   // appended to an INSERT so that it answers the new key
    bool numberedParameters;    // $1, $2 ... instead of ?1, ?2 ...
    bool foldsNames;            // unquoted names are stored in lower case (QuoteName lowers)
    bool starHasKey;            // "SELECT *" brings the row key along
    bool keyOrderedScans;       // without ORDER BY rows come by the index used, then the key

    std::string Parameter(int n) const {  // the n-th bound value, from 1
        return (numberedParameters ? "$" : "?") + std::to_string(n);
    }
    std::string QuoteName(std::string_view name) const;
};

// The hidden key column of every table on a server (a bigserial primary key).
inline constexpr char kServerRowKey[] = "orvi_rowkey";

// A running query whose rows are taken one at a time.
class DbQuery {
public:
    enum Step { kError = -1, kDone = 0, kRow = 1, kBusy = 2 };

    virtual ~DbQuery() = default;
    virtual int ColumnCount() const = 0;
    virtual std::string ColumnName(int column) const = 0;
    // kRow: a row is current; kDone: no more rows; kError: failed (error set); kBusy:
    // another connection holds a lock and the query went back to its start, to be stepped
    // again later (it delivers its rows from the first one again).
    virtual Step Next(DbError* error) = 0;
    // A cell of the current row, valid until the next call of Next.
    virtual void Cell(int column, CellView* cell) const = 0;
    // A write is about to run on the connection while this query may be between rows.
    // True when the query gave up its place for it: the next Next starts from the first row.
    virtual bool YieldToWrite() = 0;
};

// What a write did.
struct WriteResult {
    int64_t changes = 0;  // rows changed
    int64_t newKey = 0;   // an INSERT's new row key
};

// One open session with a database. Not thread-safe: the connection that owns it holds its
// lock around every call but QueryApart.
class DbSession {
public:
    virtual ~DbSession() = default;
    virtual const DbDialect& Dialect() const = 0;
    // Opened read-only on purpose: every write is refused before it reaches the database.
    virtual bool ReadOnly() const = 0;
    // Statements that return no rows; several may stand in sql, separated by ';'.
    virtual bool Execute(const std::string& sql, DbError* error) = 0;
    // One query, positioned before its first row.
    virtual std::unique_ptr<DbQuery> Query(const std::string& sql, DbError* error) = 0;
    // One statement with values bound to its parameters (Dialect().Parameter(n)).
    virtual bool Write(const std::string& sql, std::span<const CellValue> values,
                       WriteResult* result, DbError* error) = 0;
    virtual bool InTransaction() const = 0;
    // The names of the tables as the database spells them.
    virtual bool TableNames(std::vector<std::string>* names, DbError* error) = 0;

    // One query on a connection apart from the session's own, outside any transaction of
    // the session; nullptr with an empty error when the database has no such connection to
    // give (then Query is the way). The one call made without the connection's lock.
    virtual std::unique_ptr<DbQuery> QueryApart(const std::string&, DbError*) { return nullptr; }
    // Closes the connections apart that have not been used for idle; answers when the next
    // one will have been idle that long (time_point::max() when none is left).
    virtual std::chrono::steady_clock::time_point CloseIdleReaders(std::chrono::milliseconds) {
        return std::chrono::steady_clock::time_point::max();
    }
};

// Whether the calling thread is inside a StreamingLoad (data/ado_connection.h): its queries
// outside a transaction read apart from the session's connection.
bool InStreamingLoad();

// A PostgreSQL connection string or URI ("postgresql://...", "host=... dbname=...") rather
// than the path of a database file.
bool IsServerLocation(std::string_view location);
// A location as it may be shown or logged: a connection string (key=value or URI) as
// key=value pairs without its password; a file path as it is.
std::string ShownLocation(const std::string& location);
// A value as a connection string takes it: quoted when empty or holding blanks or quotes.
std::string ConninfoValue(const std::string& value);
// Opens the database at location, a file path or a server's connection string; nullptr
// with the reason in error (empty text: not even the reason could be had).
std::unique_ptr<DbSession> OpenDatabase(const std::string& location, DbError* error);
