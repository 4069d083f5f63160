// Creating a new, empty database with every table of the module.
#pragma once

#include <string>

// The CREATE statements of all tables and their indexes.
std::string SchemaSql();
// Creates the database file at path (its folders too); false with a reason in error.
bool CreateDatabase(const std::string& path, std::string* error);
