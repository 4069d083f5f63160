// ToolDatabase on a PostgreSQL server: rows are written and read with COPY in its text format.
#include <libpq-fe.h>
#include <strings.h>

#include <cstdlib>

#include "data/driver.h"
#include "tools/orvicrm-db/copy_text.h"
#include "tools/orvicrm-db/db_init.h"
#include "tools/orvicrm-db/tool_database.h"

namespace {

// Type of a bound value by the column's type code: int4, float4, text.
const Oid kParameterTypes[] = {23, 700, 23, 25};
// Rows are handed to libpq in pieces of about this size.
constexpr size_t kCopyChunk = 256 * 1024;

// The server's messages span several lines ("ERROR:  ...", "CONTEXT:  ..."); ours are one.
std::string OneLine(const char* message) {
    std::string line;
    std::string_view text = message ? message : "";
    while (!text.empty()) {
        size_t end = text.find('\n');
        std::string_view part = text.substr(0, end);
        while (!part.empty() && (part.front() == ' ' || part.front() == '\t'))
            part.remove_prefix(1);
        if (part.starts_with("ERROR:")) part.remove_prefix(6);
        while (!part.empty() && part.front() == ' ') part.remove_prefix(1);
        if (!part.empty()) line += (line.empty() ? "" : "; ") + std::string(part);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    }
    return line.empty() ? "the server gave no reason" : line;
}

void IgnoreNotice(void*, const char*) {}

class Result {
public:
    explicit Result(PGresult* result) : m_result(result) {}
    ~Result() { PQclear(m_result); }
    Result(const Result&) = delete;
    Result& operator=(const Result&) = delete;
    ExecStatusType Status() const { return PQresultStatus(m_result); }
    PGresult* get() const { return m_result; }

private:
    PGresult* m_result;
};

class ServerReader : public TableReader {
public:
    ServerReader(PGconn* conn, const TableDef& table) : m_conn(conn), m_table(table) {}
    ~ServerReader() override {
        PQfreemem(m_line);
        m_line = nullptr;
        // A reader left early: drain the rest so that the connection can be used again.
        while (!m_done && PQgetCopyData(m_conn, &m_line, 0) > 0)
            PQfreemem(m_line), m_line = nullptr;
        while (PGresult* result = PQgetResult(m_conn)) PQclear(result);
    }

    Step Next(std::vector<CellValue>* row, std::string* error) override {
        PQfreemem(m_line);
        m_line = nullptr;
        int size = PQgetCopyData(m_conn, &m_line, 0);
        if (size > 0)
            return ParseCopyRow({m_line, static_cast<size_t>(size)}, m_table, row, error) ? kRow
                                                                                          : kError;
        m_done = true;
        Result result(PQgetResult(m_conn));
        if (size == -1 && result.Status() == PGRES_COMMAND_OK) return kDone;
        *error = std::string(m_table.name) + ": " + OneLine(PQerrorMessage(m_conn));
        return kError;
    }

private:
    PGconn* m_conn;
    const TableDef& m_table;
    char* m_line = nullptr;
    bool m_done = false;
};

class ServerDatabase : public ToolDatabase {
public:
    explicit ServerDatabase(PGconn* conn) : m_conn(conn) {
        PQsetNoticeProcessor(m_conn, IgnoreNotice, nullptr);
    }
    // Closing the connection rolls back whatever was not committed.
    ~ServerDatabase() override { PQfinish(m_conn); }

    bool HasTables(std::vector<bool>* present, std::string* error) override {
        if (!EndCopy(error)) return false;
        Result result(
            PQexec(m_conn, "SELECT tablename FROM pg_tables WHERE schemaname = current_schema()"));
        if (result.Status() != PGRES_TUPLES_OK) return Fail(result, error);
        present->assign(AllTables().size(), false);
        for (int row = 0; row < PQntuples(result.get()); ++row)
            for (size_t i = 0; i < AllTables().size(); ++i)
                if (strcasecmp(PQgetvalue(result.get(), row, 0), AllTables()[i]->name) == 0)
                    (*present)[i] = true;
        return true;
    }

    bool CreateTables(std::string* error) override {
        const char* encoding = PQparameterStatus(m_conn, "server_encoding");
        if (!encoding || strcasecmp(encoding, "UTF8") != 0) {
            *error = std::string("the database's encoding is ") +
                     (encoding ? encoding : "unknown") + "; OrviCrm needs a UTF8 database";
            return false;
        }
        std::vector<bool> present;
        if (!HasTables(&present, error)) return false;
        for (size_t i = 0; i < present.size(); ++i) {
            if (present[i]) {
                *error = std::string("the database already has the table ") + AllTables()[i]->name;
                return false;
            }
        }
        return Begin(error) && Exec(ServerSchemaSql(), error) && Commit(error);
    }

    bool CountRows(const TableDef& table, int64_t* count, std::string* error) override {
        if (!EndCopy(error)) return false;
        Result result(PQexec(m_conn, (std::string("SELECT COUNT(*) FROM ") + table.name).c_str()));
        if (result.Status() != PGRES_TUPLES_OK) return Fail(result, error);
        *count = std::strtoll(PQgetvalue(result.get(), 0, 0), nullptr, 10);
        return true;
    }

    std::unique_ptr<TableReader> Read(const TableDef& table, std::string* error) override {
        if (!EndCopy(error)) return nullptr;
        std::string sql = "COPY (" + SelectAllSql(table, kServerRowKey) + ") TO STDOUT";
        Result result(PQexec(m_conn, sql.c_str()));
        if (result.Status() != PGRES_COPY_OUT) {
            Fail(result, error);
            return nullptr;
        }
        return std::make_unique<ServerReader>(m_conn, table);
    }

    bool BeginSnapshot(std::string* error) override {
        return Exec("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY", error);
    }
    bool Begin(std::string* error) override { return Exec("BEGIN", error); }
    // Plain reads go on; every writer, another copy's lock included, waits for the commit.
    bool LockTables(std::string* error) override {
        std::string sql = "LOCK TABLE ";
        for (const TableDef* table : AllTables())
            sql += std::string(table == AllTables().front() ? "" : ", ") + table->name;
        return Exec(sql + " IN EXCLUSIVE MODE", error);
    }

    bool Append(const TableDef& table, std::span<const CellValue> row,
                std::string* error) override {
        if (m_copyTable != &table) {
            if (!EndCopy(error)) return false;
            std::string sql =
                std::string("COPY ") + table.name + " (" + ColumnList(table) + ") FROM STDIN";
            Result result(PQexec(m_conn, sql.c_str()));
            if (result.Status() != PGRES_COPY_IN) return Fail(result, error);
            m_copyTable = &table;
        }
        AppendCopyRow(row, &m_buffer);
        return m_buffer.size() < kCopyChunk || Flush(error);
    }

    bool AppendIfMissing(const TableDef& table, std::span<const CellValue> row,
                         std::string* error) override {
        if (!EndCopy(error)) return false;
        std::vector<std::string> texts(row.size());
        std::vector<const char*> values(row.size());
        std::vector<Oid> types(row.size());
        for (size_t i = 0; i < row.size(); ++i) {
            types[i] = kParameterTypes[table.fields[i].type];
            if (row[i].type == kCellNull) continue;
            std::string line;
            AppendCopyRow(row.subspan(i, 1), &line);  // the text form of one value
            texts[i] = row[i].type == kCellText ? row[i].text : line.substr(0, line.size() - 1);
            values[i] = texts[i].c_str();
        }
        std::string sql = InsertIfMissingSql(table, "$");
        Result result(PQexecParams(m_conn, sql.c_str(), static_cast<int>(row.size()), types.data(),
                                   values.data(), nullptr, nullptr, 0));
        return result.Status() == PGRES_COMMAND_OK || Fail(result, error);
    }

    bool Commit(std::string* error) override {
        if (!EndCopy(error)) return false;
        Result result(PQexec(m_conn, "COMMIT"));
        if (result.Status() != PGRES_COMMAND_OK) return Fail(result, error);
        // A transaction that failed earlier answers COMMIT with ROLLBACK.
        if (std::string_view(PQcmdStatus(result.get())) == "COMMIT") return true;
        *error = "the server rolled the transaction back";
        return false;
    }

private:
    bool Exec(const std::string& sql, std::string* error) {
        if (!EndCopy(error)) return false;
        Result result(PQexec(m_conn, sql.c_str()));
        return result.Status() == PGRES_COMMAND_OK || Fail(result, error);
    }

    bool Flush(std::string* error) {
        if (!m_buffer.empty() &&
            PQputCopyData(m_conn, m_buffer.data(), static_cast<int>(m_buffer.size())) != 1) {
            *error = OneLine(PQerrorMessage(m_conn));
            return false;
        }
        m_buffer.clear();
        return true;
    }

    bool EndCopy(std::string* error) {
        if (!m_copyTable) return true;
        m_copyTable = nullptr;
        bool sent = Flush(error);
        if (PQputCopyEnd(m_conn, sent ? nullptr : "cancelled") != 1 && sent) {
            *error = OneLine(PQerrorMessage(m_conn));
            sent = false;
        }
        bool ok = sent;
        while (PGresult* raw = PQgetResult(m_conn)) {
            Result result(raw);
            if (ok && result.Status() != PGRES_COMMAND_OK) ok = Fail(result, error);
        }
        return ok;
    }

    bool Fail(const Result& result, std::string* error) {
        const char* message = PQresultErrorMessage(result.get());
        *error = OneLine(message && *message ? message : PQerrorMessage(m_conn));
        return false;
    }

    PGconn* m_conn;
    const TableDef* m_copyTable = nullptr;  // the table a COPY FROM STDIN is open for
    std::string m_buffer;
};

}  // namespace

std::unique_ptr<ToolDatabase> OpenServerDatabase(const std::string& connection,
                                                 std::string* error) {
    PGconn* conn = PQconnectdb(connection.c_str());
    if (PQstatus(conn) != CONNECTION_OK || PQsetClientEncoding(conn, "UTF8") != 0) {
        *error = "cannot connect: " + OneLine(conn ? PQerrorMessage(conn) : "out of memory");
        PQfinish(conn);
        return nullptr;
    }
    return std::make_unique<ServerDatabase>(conn);
}

std::string WithDatabaseName(const std::string& connection, const std::string& name) {
    PQconninfoOption* options = PQconninfoParse(connection.c_str(), nullptr);
    if (!options) return "";
    std::string result;
    for (PQconninfoOption* o = options; o->keyword; ++o) {
        std::string_view keyword = o->keyword;
        std::string value = keyword == "dbname" ? name : (o->val ? o->val : "");
        if (value.empty()) continue;
        result += (result.empty() ? "" : " ") + std::string(keyword) + "=" + ConninfoValue(value);
    }
    PQconninfoFree(options);
    return result;
}
