#include "data/driver.h"

#include "data/postgres/pg_driver.h"
#include "data/sqlite/sqlite_session.h"

std::string DbDialect::QuoteName(std::string_view name) const {
    std::string quoted = "\"";
    for (char c : name) {
        if (foldsNames && c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        quoted += c;
        if (c == '"') quoted += '"';
    }
    return quoted + "\"";
}

bool IsServerLocation(std::string_view location) {
    if (location.starts_with("postgresql://") || location.starts_with("postgres://")) return true;
    // key=value pairs; a file path begins with '/' (a relative one has no '=' in practice)
    return !location.starts_with('/') && location.find('=') != std::string_view::npos;
}

std::unique_ptr<DbSession> OpenDatabase(const std::string& location, DbError* error) {
    if (IsServerLocation(location)) return OpenPostgres(location, error);
    return OpenSqlite(location, error);
}
