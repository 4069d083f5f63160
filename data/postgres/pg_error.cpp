#include "data/postgres/pg_error.h"

#include <cstring>

namespace {

const char kReadOnlyTransaction[] = "25006";

}  // namespace

bool ConnectionLost(PGconn* conn, const PGresult* result) {
    if (!result || PQstatus(conn) == CONNECTION_BAD || PQsocket(conn) < 0) return true;
    // Errors of libpq itself (no SQLSTATE) are failures of the socket.
    const char* state = PQresultErrorField(result, PG_DIAG_SQLSTATE);
    if (!state) return PQresultStatus(result) == PGRES_FATAL_ERROR;
    return (std::strncmp(state, "08", 2) == 0 || std::strcmp(state, "57P01") == 0 ||
            std::strcmp(state, "57P02") == 0 || std::strcmp(state, "57P03") == 0);
}

std::string TrimmedMessage(const char* message) {
    std::string text = message ? message : "";
    const size_t begin = text.find_first_not_of(" \t\r\n");
    if (begin == std::string::npos) return {};
    return text.substr(begin, text.find_last_not_of(" \t\r\n") - begin + 1);
}

void SetResultError(PGconn* conn, const PGresult* result, DbError* error) {
    if (!error) return;
    const char* message = result ? PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY) : nullptr;
    if ((!message || !*message) && result) message = PQresultErrorMessage(result);
    if (!message || !*message) message = PQerrorMessage(conn);
    error->text = TrimmedMessage(message);
    const char* state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
    error->readOnly = state && std::strcmp(state, kReadOnlyTransaction) == 0;
    error->connectionLost = ConnectionLost(conn, result);
}
