// The PostgreSQL driver: a session on a server through libpq.
#pragma once

#include <memory>
#include <string>

#include "data/driver.h"

// Connects with a libpq connection string or URI (passwords the libpq ways: ~/.pgpass,
// PGPASSFILE, a service file). nullptr with the server's or libpq's message in error.
std::unique_ptr<DbSession> OpenPostgres(const std::string& conninfo, DbError* error);
