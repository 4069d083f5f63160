#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <unistd.h>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <filesystem>

#include "data/schema.h"
#include "platform/files.h"
#include "support/test_sql.h"
#include "tools/orvicrm-db/db_init.h"

namespace {

const char kDatabaseVariable[] = "ORVICRM_DATABASE";

std::string g_serverDatabase;  // "orvi_<program>_<pid>" once made
std::string g_serverLocation;  // its connection string
std::string g_schemaShape;     // SchemaShape of the database as made

// At exit, quietly: the server is removed after the run anyway.
void DropServerDatabase() {
    DbError error;
    if (auto server = OpenDatabase(std::getenv("ORVICRM_TEST_POSTGRES"), &error))
        server->Execute("DROP DATABASE IF EXISTS " + g_serverDatabase + " WITH (FORCE)", &error);
}

// The tables, columns, types and triggers of the current schema: a test that dropped or
// changed a table or left a trigger changes it.
std::string SchemaShape(TestSql& sql) {
    return sql.Text(
        "SELECT (SELECT string_agg(table_name || '.' || column_name || ' ' || data_type, ',' "
        "ORDER BY table_name, column_name) FROM information_schema.columns WHERE table_schema = "
        "current_schema()) || ' ' || (SELECT count(*) FROM information_schema.triggers WHERE "
        "trigger_schema = current_schema())");
}

bool MakeTables(const std::string& location) {
    std::string error;
    const bool made = ::CreateDatabase(location, &error);
    EXPECT_TRUE(made) << error;
    return made;
}

// The test server's database of this process, made with every table on the first call.
const std::string& ServerDatabase() {
    if (!g_serverLocation.empty()) return g_serverLocation;
    std::string name =
        std::string("orvi_") + program_invocation_short_name + "_" + std::to_string(getpid());
    for (char& c : name) c = std::isalnum(static_cast<unsigned char>(c)) ? std::tolower(c) : '_';
    const std::string server = std::getenv("ORVICRM_TEST_POSTGRES");
    // Byte order as SQLite compares texts, and letters folded as its LIKE folds them.
    if (!TestSql(server).Exec("CREATE DATABASE " + name +
                              " TEMPLATE template0 ENCODING 'UTF8' LOCALE 'C'"))
        return g_serverLocation;
    g_serverDatabase = name;
    std::atexit(DropServerDatabase);
    const std::string location = server + " dbname=" + name;  // the last dbname counts
    if (!MakeTables(location)) return g_serverLocation;
    TestSql sql(location);
    g_schemaShape = SchemaShape(sql);
    g_serverLocation = location;
    return g_serverLocation;
}

// Empties the module's tables, restarting their row keys; drops the tables a test made and
// makes the module's tables again when a test changed them.
void EmptyServerDatabase(const std::string& location) {
    TestSql sql(location);
    std::vector<std::string> names;
    DbError error;
    EXPECT_TRUE(sql.Session().TableNames(&names, &error)) << error.text;
    std::string ours;
    for (const TableDef* table : AllTables()) ours += ", " + std::string(table->name);
    for (const std::string& name : names)
        if ((ours + ",").find(", " + name + ",") == std::string::npos)
            sql.Exec("DROP TABLE " + sql.Session().Dialect().QuoteName(name) + " CASCADE");
    ours.erase(0, 2);
    if (SchemaShape(sql) == g_schemaShape) {
        sql.Exec("TRUNCATE " + ours + " RESTART IDENTITY");
    } else {
        sql.Exec("DROP TABLE IF EXISTS " + ours + " CASCADE");
        MakeTables(location);
    }
}

}  // namespace

TempModuleFolder::TempModuleFolder() {
    unsetenv(kDatabaseVariable);
    std::string pattern = (std::filesystem::temp_directory_path() / "orvicrm-test-XXXXXX").string();
    char* made = mkdtemp(pattern.data());
    m_path = std::string(made ? made : "/tmp") + "/";
    SetModuleFolderOverride(m_path);
}

TempModuleFolder::~TempModuleFolder() {
    unsetenv(kDatabaseVariable);
    SetModuleFolderOverride("");
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
}

std::string TempModuleFolder::CreateDatabase() const {
    if (TestOnPostgres()) {
        const std::string& location = ServerDatabase();
        if (location.empty()) return location;
        EmptyServerDatabase(location);
        setenv(kDatabaseVariable, location.c_str(), 1);
        return location;
    }
    const std::string path = GetDatabasePath();
    MakeTables(path);
    return path;
}
