// The module side of _RecordsetPtr: the result of one query on one connection with a
// current row, fetched from the database only as far as the cursor has gone.
//
// Rows already fetched are kept packed, one buffer per row in large shared blocks, with
// their row key, so the cursor can go back and any seen row can be read, changed or
// deleted. A query of the form "SELECT columns FROM table ..." is run with the table's row
// key in front; other queries give read-only results. The key column is never shown.
//
// A change is written only over the values it was read with: a column another connection
// changed in between is not overwritten, the write fails (a column that already holds the
// value written passes), and the row is read anew so that a later change is checked
// against the database's values.
//
// Before any write on a connection, every query of its recordsets may give up its place
// (SQLite: so that none holds a read snapshot of the database); when such a recordset wants
// more rows afterwards its query runs again and skips the rows it already holds.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "data/db_handles.h"

struct OrviRecordset {
    OrviRecordset() = default;
    ~OrviRecordset();
    OrviRecordset(const OrviRecordset&) = delete;
    OrviRecordset& operator=(const OrviRecordset&) = delete;

    // Runs sql (one statement) with its first row current: false with the database's
    // description when the query is rejected.
    bool Open(const _ConnectionPtr& connection, const std::string& sql, std::string* error);
    // The whole table.
    bool OpenTable(const _ConnectionPtr& connection, const std::string& table, std::string* error);
    void Close();
    bool IsOpen() const { return m_open; }

    // Cursor. Move* return whether a row is current afterwards.
    bool HasCurrent() const { return m_pos >= 0 || m_editMode == kAddRow; }
    bool IsEmpty();  // no rows at all
    bool MoveFirst();
    bool MoveNext();
    bool MovePrevious();
    bool MoveForward(long n);  // from the current row; may end at the end of the result
    long CountAll();           // fetches every row; the cursor stays

    int ColumnCount() const { return static_cast<int>(m_names.size()); }
    const std::string& ColumnName(int column) const { return m_names[column]; }
    // The column's index, -1 when the result has no such column (names ignore case).
    int ColumnIndex(const char* name) const;
    // The current row's cell, seen through the edit buffer: false without a current row.
    bool ReadCell(int column, CellView* cell) const;
    // ReadCell of the column named name (the path every value read takes).
    bool ReadField(const char* name, CellView* cell) const;

    // Edit buffer of the current row.
    bool Editing() const { return m_editMode != kNoEdit; }
    // An empty new row becomes current until Update or CancelUpdate; once written it
    // stands after the rows fetched so far.
    bool AddNew();
    bool SetValue(int column, CellValue value, std::string* error);
    // Writes the pending changes of the current row (nothing pending: nothing to do).
    bool Update(std::string* error);
    void CancelUpdate();
    // Deletes the current row from the table and the result; no row is current afterwards.
    bool Delete(std::string* error);

    // The database's reason when taking further rows failed since the last call (the cursor
    // then stands at the end of the rows taken); empty otherwise.
    std::string TakeFetchError();

    // Rows taken from the database so far (including those skipped on a rerun).
    size_t RowsFetched() const { return m_fetched; }
    bool Updatable() const { return !m_table.empty(); }
    // The last failed write was refused because the database is read-only.
    bool RefusedReadOnly() const { return m_refusedReadOnly; }
    // The last failure (opening, taking rows or writing) was a lost server connection.
    bool LostConnection() const { return m_lostConnection; }
    // The last failed write lost its connection while committing: it may have been saved.
    bool CommitUnknown() const { return m_commitUnknown; }

    // With the connection's lock held (a write of another recordset on the connection): the
    // query gives up its place if its database wants that.
    void PauseLocked();

private:
    enum EditMode { kNoEdit, kEditRow, kAddRow };
    static constexpr long kBof = -1;
    static constexpr long kEof = -2;
    // Rows are packed into a first small block, then into blocks of one huge page each, so
    // that a large result costs few page faults and a small one little memory.
    static constexpr size_t kFirstBlockSize = 256 << 10;
    static constexpr size_t kBlockSize = 2 << 20;
    struct FreeBlock {
        void operator()(unsigned char* block) const;
    };

    struct Row {
        const unsigned char* data;
        int64_t rowid;
    };

    struct NameHash {
        using is_transparent = void;
        size_t operator()(std::string_view s) const { return std::hash<std::string_view>()(s); }
    };

    static constexpr int kNoKey = -1;
    static constexpr int kKeyByName = -2;
    bool Attach(const _ConnectionPtr& connection, std::string* error);  // closed, then bound
    bool OpenQuery(const _ConnectionPtr& connection, const std::string& sql, std::string* error);
    bool OpenWholeTable(const _ConnectionPtr& connection, const std::string& table,
                        std::string* error);
    // Runs sql; keyColumn: the query's column holding the row key, kNoKey, or kKeyByName
    // (the first column named as the key, if any).
    bool Prepare(const std::string& sql, int keyColumn, std::string* error);
    int64_t QueryKey() const;        // the key of the query's current row
    bool Start(std::string* error);  // fetches the first row
    bool Fetch(size_t index);        // whether row index exists, fetching rows up to it
    int StepOne();       // fetches one more row into m_rows: 1, 0 at the end, -1 on an error
    void BeginRerun();   // the statement was reset: skip the rows held when it runs again
    bool HeldAlready();  // on a rerun: the statement's row is one of the rows held
    void FinishStatement();
    // Runs one write statement with values bound, in a transaction of its own unless the
    // connection is in one.
    bool RunWrite(const std::string& sql, const std::vector<CellValue>& values, std::string* error);
    bool PendingTextsValid(std::string* error) const;
    std::string CurrentRowQuery() const;
    bool RereadUnsureRow(std::string* error);
    // Whether the current row's key is still in the table; if so its cells are read anew.
    bool RereadRow();
    const DbDialect& Dialect() const { return m_connection->session->Dialect(); }
    unsigned char* Allocate(size_t size);  // room for a packed row
    template <typename CellAt>
    const unsigned char* PackRow(CellAt cellAt);
    const unsigned char* PackStatementRow();
    // The row of query with the result's columns from its column firstColumn on.
    const unsigned char* PackQueryRow(const DbQuery& query, int firstColumn);
    const unsigned char* PackMerged(const unsigned char* row);  // row + pending changes
    static void ReadPacked(const unsigned char* row, int column, CellView* cell);
    const CellValue* Pending(int column) const;

    _ConnectionPtr m_connection;
    std::unique_ptr<DbQuery> m_query;
    bool m_open = false;
    bool m_done = true;     // the statement has delivered every row
    bool m_paused = false;  // gave up its place for a write; guarded by the connection's lock
    bool m_rerun = false;   // a rerun: skip the rows held
    std::unordered_set<int64_t> m_held;  // by row key
    size_t m_skip = 0;                   // without keys: the first m_skip rows
    size_t m_skipped = 0;
    int m_keyColumn = kNoKey;    // the query's column holding the row key
    std::vector<int> m_columns;  // the query's column of each column of the result
    std::string m_table;         // the table written to; empty for a read-only result
    std::vector<std::string> m_names;
    std::unordered_map<std::string, int, NameHash, std::equal_to<>> m_index;
    mutable int m_lastColumn = -1;

    std::vector<Row> m_rows;
    std::vector<std::unique_ptr<unsigned char[], FreeBlock>> m_blocks;
    unsigned char* m_block = nullptr;  // the block new rows go to
    size_t m_blockSize = 0;            // of m_block
    size_t m_blockUsed = 0;
    size_t m_fetched = 0;
    long m_pos = kBof;
    std::vector<CellView> m_cells;  // the row being packed
    std::vector<size_t> m_sizes;
    std::string m_stepError;

    WriteResult m_lastWrite;
    bool m_refusedReadOnly = false;
    bool m_lostConnection = false;
    bool m_commitUnknown = false;  // the last write lost its connection in its COMMIT
    // The row of the last save with an unknown outcome and the values it saved.
    std::optional<int64_t> m_unsure;
    std::vector<std::pair<int, CellValue>> m_unsureValues;

    EditMode m_editMode = kNoEdit;
    long m_posBeforeAdd = kBof;
    std::vector<std::pair<int, CellValue>> m_pending;
};

// "SELECT <key>, ..." for a simple single-table query, with its table; empty when the query
// is not of that form.
std::string RowidQuery(const std::string& sql, std::string* table, const char* key = "rowid");

// A simple single-table query with the order of rows a SQLite file gives without ORDER BY:
// by the indexed column of its first condition, if it has one, then by the row key. Queries
// with ORDER BY, LIMIT or OFFSET stay as they are.
std::string InFileRowOrder(const std::string& sql, const std::string& table, const char* key);

// "SELECT * FROM ...": the column list is the star alone.
bool SelectsAllColumns(const std::string& sql);

// Whether text is well-formed UTF-8 (no overlong forms, surrogates or values past U+10FFFF).
bool IsValidUtf8(std::string_view text);
