// Creating a new, empty database with every table of the module.
#pragma once

#include <string>

// The CREATE statements of all tables and their indexes, for a SQLite file.
std::string SchemaSql();
// The same for a PostgreSQL database: the same columns and indexes, plus the hidden row key.
std::string ServerSchemaSql();
// A file path: creates the database file (its folders too). A server's connection string:
// creates the tables in the existing database, which must not have them yet. False with a
// reason in error.
bool CreateDatabase(const std::string& location, std::string* error);
