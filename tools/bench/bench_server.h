// The PostgreSQL server of the server figures: the superuser connection string in
// ORVICRM_BENCH_POSTGRES, or else a throwaway local server started by the project's script
// at the first call and stopped when the program ends.
#pragma once

#include <string>

// The superuser connection string; empty when there is no server to measure on.
const std::string& BenchServer();
// A new, empty database of that name on the server (one that exists is dropped first); its
// connection string, empty on failure.
std::string BenchDatabase(const std::string& name);
// Runs a shell command: the last line it printed, empty when it failed.
std::string ScriptOutput(const std::string& command);
// Runs a command on the server's database given by conninfo; false after printing why not.
bool RunOnServer(const std::string& conninfo, const std::string& sql);
