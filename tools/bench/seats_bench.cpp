// seats.*: call-centre seats working at once on one local server, each through the module's
// data layer with a connection of its own, in processes of up to 20 seats: first through a
// PgBouncer in transaction pooling mode (pool of 4, server max_connections 50), then as
// seats.direct.* straight to the server (max_connections 120). Each run starts its own
// server. Minutes long: runs only when asked for, --only seats. ORVICRM_SEATS_BOUNCER and
// ORVICRM_SEATS_DIRECT are the numbers of seats (100 and 40), ORVICRM_SEATS_SECONDS the
// working time of each run (30).
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <future>
#include <latch>
#include <memory>
#include <sstream>
#include <thread>
#include <vector>

#include "tools/bench/bench.h"
#include "tools/bench/bench_server.h"
#include "tools/bench/seat.h"
#include "tools/orvicrm-db/db_init.h"
#include "tools/orvicrm-db/tool_database.h"

namespace {

constexpr int kSeatsPerProcess = 20;
constexpr int kPool = 4;
const char kDatabase[] = "orvi_seats";
const char kSeatName[] = "orvi-seat";
const char kCheckName[] = "orvi-seat-check";

struct Phase {
    std::string prefix;
    int seats;
    int maxConnections;
    bool bouncer;
};

long EnvNumber(const char* name, long fallback) {
    const char* text = std::getenv(name);
    return text && std::atol(text) > 0 ? std::atol(text) : fallback;
}

std::string Script(const char* name) {
    return std::string(ORVI_SOURCE_DIR) + "/scripts/" + name;
}

std::string TempFolder(const char* stem) {
    std::string pattern = (std::filesystem::temp_directory_path() / stem).string() + "-XXXXXX";
    return mkdtemp(pattern.data()) ? pattern : std::string();
}

// A throwaway server with the given max_connections and the tables of the module in
// kDatabase, with a PgBouncer in front when asked for.
class SoakServer {
public:
    SoakServer(int maxConnections, bool bouncer) {
        m_folder = TempFolder("orvi-seats-pg");
        if (m_folder.empty()) return;
        const std::string server = ScriptOutput(Script("pg-test-server") + " start " + m_folder);
        if (server.empty() ||
            !RunOnServer(server,
                         "ALTER SYSTEM SET max_connections = " + std::to_string(maxConnections)) ||
            std::system((Script("pg-test-server") + " halt " + m_folder).c_str()) != 0 ||
            std::system((Script("pg-test-server") + " resume " + m_folder).c_str()) != 0 ||
            !RunOnServer(server, std::string("CREATE DATABASE ") + kDatabase +
                                     " ENCODING 'UTF8' TEMPLATE template0"))
            return;
        m_server = server;
        m_database = WithDatabaseName(server, kDatabase);
        std::string error;
        if (!CreateDatabase(m_database, &error)) {
            std::fprintf(stderr, "seats: %s\n", error.c_str());
            return;
        }
        std::string entry = m_database;
        if (bouncer) {
            m_bouncerFolder = TempFolder("orvi-seats-pgb");
            entry = ScriptOutput(Script("pg-bouncer") + " start " + m_bouncerFolder + " " +
                                 m_folder + " " + std::to_string(kPool) + " 2000");
            if (entry.empty()) return;
            entry = WithDatabaseName(entry, kDatabase);
        }
        m_seats = entry;
    }
    ~SoakServer() {
        if (!m_bouncerFolder.empty())
            std::system((Script("pg-bouncer") + " stop " + m_bouncerFolder).c_str());
        if (!m_folder.empty())
            std::system((Script("pg-test-server") + " stop " + m_folder).c_str());
    }
    SoakServer(const SoakServer&) = delete;
    SoakServer& operator=(const SoakServer&) = delete;

    const std::string& Server() const { return m_server; }      // superuser, postgres
    const std::string& Database() const { return m_database; }  // straight to kDatabase
    // A seat's way in. The windows of a process share the session of one connection
    // string: an application name of its own gives every seat a session of its own.
    std::string Seat(int seat) const {
        return m_seats + " application_name=" + kSeatName + "-" + std::to_string(seat);
    }
    bool Ready() const { return !m_seats.empty(); }

private:
    std::string m_folder, m_bouncerFolder, m_server, m_database, m_seats;
};

// One process of seats: connects them, says so on readyFd, starts them when startFd closes,
// checks their records afterwards and writes their tally to resultPath.
int RunSeatProcess(int first, int count, const SoakServer& server, double seconds, int readyFd,
                   int startFd, const std::string& resultPath) {
    CaptureSeatMessages();
    std::vector<std::unique_ptr<Seat>> seats;
    for (int s = 0; s < count; ++s)
        seats.push_back(std::make_unique<Seat>(first + s, server.Seat(first + s)));
    std::latch connected(count);
    std::promise<void> go;
    std::shared_future<void> started = go.get_future().share();
    std::chrono::steady_clock::time_point until;
    std::vector<std::thread> threads;
    for (auto& seat : seats) {
        threads.emplace_back([&, seat = seat.get()] {
            const bool ok = seat->Connect();
            connected.count_down();
            started.wait();
            if (ok) seat->Work(until);
        });
    }
    connected.wait();
    char signal = 'r';
    if (write(readyFd, &signal, 1) != 1) return 1;
    while (read(startFd, &signal, 1) > 0) {
    }
    until = std::chrono::steady_clock::now() +
            std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                std::chrono::duration<double>(seconds));
    go.set_value();
    for (std::thread& thread : threads) thread.join();

    SeatTally total;
    PGconn* check = PQconnectdb((server.Database() + " application_name=" + kCheckName).c_str());
    for (auto& seat : seats) {
        seat->Check(check);
        total.Add(seat->Tally());
    }
    PQfinish(check);
    std::ofstream(resultPath) << total.Text();
    return 0;
}

long CountServerConnections(PGconn* monitor) {
    // Client connections only: an autovacuum worker on the database is listed with it.
    const std::string sql = std::string(
                                "SELECT count(*) FROM pg_stat_activity WHERE backend_type = "
                                "'client backend' AND pid <> pg_backend_pid() AND datname = '") +
                            kDatabase + "' AND application_name IS DISTINCT FROM '" + kCheckName +
                            "'";
    PGresult* result = PQexec(monitor, sql.c_str());
    long count =
        PQresultStatus(result) == PGRES_TUPLES_OK ? std::atol(PQgetvalue(result, 0, 0)) : 0;
    PQclear(result);
    return count;
}

// The shared records' amounts against the edits the seats were told saved.
void CheckShared(const SoakServer& server, SeatTally* total) {
    PGconn* conn = PQconnectdb(server.Database().c_str());
    const std::string sql =
        "SELECT ConsumeName, ConsumeMoney FROM ConsumeTable WHERE ObjectDateTime = " +
        std::to_string(kSharedClient);
    PGresult* result = PQexec(conn, sql.c_str());
    for (int r = 0; PQresultStatus(result) == PGRES_TUPLES_OK && r < PQntuples(result); ++r) {
        const int k = std::atoi(PQgetvalue(result, r, 0) + std::strlen("shared "));
        const long amount = std::atol(PQgetvalue(result, r, 1));
        if (k < 0 || k >= kSharedRecords) continue;
        const long told = total->increments[k];
        if (amount < told) total->lost += told - amount;
        if (amount > told + total->unsureIncrements[k])
            total->wrongRows += amount - told - total->unsureIncrements[k];
    }
    PQclear(result);
    PQfinish(conn);
}

bool AddSharedRecords(const SoakServer& server) {
    for (int k = 0; k < kSharedRecords; ++k) {
        const std::string sql =
            "INSERT INTO ConsumeTable (ConsumeName, ConsumeType, "
            "ObjectDateTime, ConsumeMoney) VALUES ('shared " +
            std::to_string(k) + "', 'soak', " + std::to_string(kSharedClient) + ", 0)";
        if (!RunOnServer(server.Database(), sql)) return false;
    }
    return true;
}

void RunPhase(BenchContext& ctx, const Phase& phase, double seconds) {
    SoakServer server(phase.maxConnections, phase.bouncer);
    if (!server.Ready() || !AddSharedRecords(server)) {
        std::fprintf(stderr, "%s: no server to run on\n", phase.prefix.c_str());
        return;
    }
    int ready[2], start[2];
    if (pipe(ready) != 0 || pipe(start) != 0) return;
    std::vector<pid_t> children;
    std::vector<std::string> results;
    for (int first = 0; first < phase.seats; first += kSeatsPerProcess) {
        const int count = std::min(kSeatsPerProcess, phase.seats - first);
        results.push_back(ctx.folder + phase.prefix + std::to_string(first) + ".txt");
        pid_t pid = fork();
        if (pid == 0) {
            close(ready[0]);
            close(start[1]);
            _exit(
                RunSeatProcess(first, count, server, seconds, ready[1], start[0], results.back()));
        }
        if (pid > 0) children.push_back(pid);
    }
    close(ready[1]);
    close(start[0]);
    char signal;
    for (size_t n = 0; n < children.size() && read(ready[0], &signal, 1) == 1; ++n) {
    }
    close(ready[0]);

    PGconn* monitor = PQconnectdb(server.Server().c_str());
    long peak = 0;
    Stopwatch clock;
    close(start[1]);  // end of file: every seat starts now
    // Counted while the seats work, not while they check their records at the end.
    while (clock.Seconds() < seconds) {
        peak = std::max(peak, CountServerConnections(monitor));
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    PQfinish(monitor);
    for (pid_t pid : children) waitpid(pid, nullptr, 0);
    const double elapsed = seconds;

    SeatTally total;
    for (const std::string& path : results) {
        std::ifstream in(path);
        std::stringstream text;
        text << in.rdbuf();
        total.AddText(text.str());
    }
    CheckShared(server, &total);
    long failures = 0;
    for (const auto& [reason, count] : total.failures) {
        failures += count;
        std::fprintf(stderr, "%sfailures: %ld x %s\n", phase.prefix.c_str(), count, reason.c_str());
    }
    ctx.Print(phase.prefix + "seats", phase.seats, "seats");
    ctx.Print(phase.prefix + "ops", static_cast<double>(total.ops), "ops");
    ctx.Print(phase.prefix + "ops_per_s", total.ops / (elapsed > 0 ? elapsed : 1e-9), "ops/s");
    ctx.Print(phase.prefix + "failures", static_cast<double>(failures), "ops");
    ctx.Print(phase.prefix + "conflicts_refused", static_cast<double>(total.conflicts), "ops");
    ctx.Print(phase.prefix + "lost", static_cast<double>(total.lost), "records");
    ctx.Print(phase.prefix + "wrong_rows", static_cast<double>(total.wrongRows), "rows");
    ctx.Print(phase.prefix + "server_connections_peak", static_cast<double>(peak), "connections");
}

void SeatsBench(BenchContext& ctx) {
    if (ctx.only.rfind("seats", 0) != 0) return;
    const double seconds = static_cast<double>(EnvNumber("ORVICRM_SEATS_SECONDS", 30));
    const Phase phases[] = {
        {"seats.", static_cast<int>(EnvNumber("ORVICRM_SEATS_BOUNCER", 100)), 50, true},
        {"seats.direct.", static_cast<int>(EnvNumber("ORVICRM_SEATS_DIRECT", 40)), 120, false},
    };
    for (const Phase& phase : phases)
        if (ctx.only.rfind(phase.prefix, 0) == 0 || phase.prefix.rfind(ctx.only, 0) == 0)
            RunPhase(ctx, phase, seconds);
}

}  // namespace

ORVI_BENCH_GROUP("seats.", SeatsBench);
