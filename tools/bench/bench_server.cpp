#include "tools/bench/bench_server.h"

#include <libpq-fe.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "tools/orvicrm-db/tool_database.h"

namespace {

class ThrowawayServer {
public:
    ThrowawayServer() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "orvicrm-bench-pg-XXXXXX").string();
        if (!mkdtemp(pattern.data())) return;
        m_folder = pattern;
        m_conninfo = ScriptOutput(Script() + " start " + m_folder);
    }
    ~ThrowawayServer() {
        if (m_folder.empty()) return;
        std::string command = Script() + " stop " + m_folder + " >/dev/null 2>&1";
        if (std::system(command.c_str()) != 0) std::fprintf(stderr, "bench: server not stopped\n");
        std::error_code ec;
        std::filesystem::remove_all(m_folder, ec);
    }
    const std::string& Conninfo() const { return m_conninfo; }

private:
    static std::string Script() { return std::string(ORVI_SOURCE_DIR) + "/scripts/pg-test-server"; }

    std::string m_folder;
    std::string m_conninfo;
};

}  // namespace

std::string ScriptOutput(const std::string& command) {
    std::string last;
    if (FILE* out = popen((command + " 2>/dev/null").c_str(), "r")) {
        char line[1024];
        while (std::fgets(line, sizeof line, out)) last = line;
        if (pclose(out) != 0) last.clear();
    }
    while (!last.empty() && (last.back() == '\n' || last.back() == '\r')) last.pop_back();
    return last;
}

const std::string& BenchServer() {
    static const std::string given = [] {
        const char* text = std::getenv("ORVICRM_BENCH_POSTGRES");
        return std::string(text ? text : "");
    }();
    if (!given.empty()) return given;
    static ThrowawayServer server;
    return server.Conninfo();
}

bool RunOnServer(const std::string& conninfo, const std::string& sql) {
    PGconn* conn = PQconnectdb(conninfo.c_str());
    PQsetNoticeProcessor(
        conn, [](void*, const char*) {}, nullptr);
    PGresult* result = PQexec(conn, sql.c_str());
    bool ok = PQresultStatus(result) == PGRES_COMMAND_OK;
    if (!ok) std::fprintf(stderr, "bench: %s", PQerrorMessage(conn));
    PQclear(result);
    PQfinish(conn);
    return ok;
}

std::string BenchDatabase(const std::string& name) {
    const std::string& server = BenchServer();
    if (server.empty()) return {};
    if (!RunOnServer(server, "DROP DATABASE IF EXISTS " + name + " WITH (FORCE)") ||
        !RunOnServer(server, "CREATE DATABASE " + name + " ENCODING 'UTF8' TEMPLATE template0"))
        return {};
    return WithDatabaseName(server, name);
}
