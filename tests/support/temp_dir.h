// A temporary module folder: the module's database and settings paths point into it.
#pragma once

#include <string>

class TempModuleFolder {
public:
    TempModuleFolder();   // makes the folder and points GetModuleFolder() at it
    ~TempModuleFolder();  // removes it and restores the default
    TempModuleFolder(const TempModuleFolder&) = delete;
    TempModuleFolder& operator=(const TempModuleFolder&) = delete;

    const std::string& Path() const { return m_path; }  // with a trailing '/'
    // Creates the module's database (all tables, no rows) at GetDatabasePath() and answers
    // its location. On the test server (TestOnPostgres) the process's own database there,
    // emptied, row keys restarted; ORVICRM_DATABASE points the module at it until the folder
    // goes. ORVICRM_TEST_POSTGRES is a "key=value ..." connection string.
    std::string CreateDatabase() const;

private:
    std::string m_path;
};
