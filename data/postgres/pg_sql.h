// The texts that pass between the module and a PostgreSQL server.
#pragma once

#include <string>
#include <string_view>

// The module's queries are written for SQLite, whose LIKE ignores the case of letters and
// knows no escape character. Every LIKE outside quotes becomes ILIKE, and a pattern
// literal right after it gets ESCAPE '' (unless it has an ESCAPE of its own) so that a
// backslash in it matches itself.
std::string RewriteLikeForServer(std::string_view sql);

// A table or column name as the server gives it (folded to lower case) in the spelling of
// our tables ("salename" -> "SaleName"); any other name unchanged.
std::string SchemaSpelling(std::string_view name);
