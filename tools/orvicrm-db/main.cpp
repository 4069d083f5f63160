// orvicrm-db: creates, fills and copies OrviCrm databases. A location is a file path or a
// PostgreSQL connection string ("postgresql://crm@db.example/orvicrm", "host=... dbname=...").
//   orvicrm-db init LOCATION   every table and index, no rows (a file must not exist yet; a
//                              server database must not have the tables yet)
//   orvicrm-db seed LOCATION   demo data for the demo host's clients (creates what is missing)
//   orvicrm-db seed LOCATION [--sales N] [--chances N] [--consumes N] [--histories N]
//                            [--actives N] [--feedbacks N] [--client KEY]
//                              N generated records of each kind named for client KEY (101)
//   orvicrm-db copy FROM TO    every row of FROM into TO, whose tables must be empty or missing
//   orvicrm-db import FILE.mdb LOCATION [--lenient] [--codepage NAME]
//                              the tables of an Access file into LOCATION (empty or missing)
// Exit status: 0 done, 1 failed (a one-line reason on stderr), 2 wrong arguments.
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "data/driver.h"
#include "tools/orvicrm-db/access_text.h"
#include "tools/orvicrm-db/db_copy.h"
#include "tools/orvicrm-db/db_import.h"
#include "tools/orvicrm-db/db_init.h"
#include "tools/orvicrm-db/db_seed.h"

namespace {

const char kUsage[] =
    "Usage: orvicrm-db init LOCATION\n"
    "  or:  orvicrm-db seed LOCATION [--sales|--chances|--consumes|--histories|--actives|"
    "--feedbacks N]... [--client KEY]\n"
    "  or:  orvicrm-db copy FROM TO\n"
    "  or:  orvicrm-db import FILE.mdb LOCATION [--lenient] [--codepage NAME]\n";

// The --help text; the manual page orvicrm-db.1 is made from it.
const char kHelp[] =
    "Create, fill and copy OrviCrm databases.\n"
    "\n"
    "LOCATION, FROM and TO are a database file or a PostgreSQL connection string\n"
    "(postgresql://USER@HOST/DATABASE or 'host=... dbname=...').\n"
    "\n"
    "Commands:\n"
    "  init LOCATION     make every table and index, no rows; a file must not exist\n"
    "                    yet, a server database must not have the tables yet\n"
    "  seed LOCATION     add the demo data for the demo host's clients (makes what\n"
    "                    is missing)\n"
    "  seed LOCATION --sales N ...\n"
    "                    add N generated records of each kind named (--sales,\n"
    "                    --chances, --consumes, --histories, --actives, --feedbacks)\n"
    "                    for client KEY (--client, 101 when not given)\n"
    "  copy FROM TO      copy every row of FROM into TO, whose tables must be empty or\n"
    "                    missing, in one transaction\n"
    "  import FILE.mdb LOCATION\n"
    "                    the tables of an Access file into an empty or new LOCATION,\n"
    "                    all or nothing; --lenient stores NULL for a value its column\n"
    "                    cannot take (else the import stops), --codepage NAME the\n"
    "                    texts' code page in Access 97 files (GBK when not given)\n"
    "  --help            show this text\n"
    "\n"
    "Exit status:\n"
    "  0 done, 1 failed (a one-line reason on standard error), 2 wrong arguments.\n";

int Usage() {
    std::fputs(kUsage, stderr);
    return 2;
}

int Fail(const std::string& error) {
    std::fprintf(stderr, "orvicrm-db: %s\n", error.c_str());
    return 1;
}

const struct {
    const char* option;
    RecordKind kind;
} kKindOptions[] = {
    {"--sales", RecordKind::Sale},       {"--chances", RecordKind::Chance},
    {"--consumes", RecordKind::Consume}, {"--histories", RecordKind::History},
    {"--actives", RecordKind::Active},   {"--feedbacks", RecordKind::FeedBack},
};

int Seed(const std::string& path, int argc, char** argv) {
    std::vector<std::pair<RecordKind, long>> generated;
    int client = 101;
    for (int i = 3; i < argc; ++i) {
        if (i + 1 >= argc) return Usage();
        char* end = nullptr;
        long n = std::strtol(argv[i + 1], &end, 10);
        if (*end || n < 0) return Usage();
        bool known = false;
        for (const auto& option : kKindOptions) {
            if (std::strcmp(argv[i], option.option) == 0) {
                generated.emplace_back(option.kind, n);
                known = true;
            }
        }
        if (std::strcmp(argv[i], "--client") == 0) {
            client = static_cast<int>(n);
            known = true;
        }
        if (!known) return Usage();
        ++i;
    }
    std::string error;
    if (generated.empty()) {
        if (!SeedDemo(path, &error)) return Fail(error);
        std::printf("seeded demo data into %s\n", ShownLocation(path).c_str());
        return 0;
    }
    for (const auto& [kind, n] : generated) {
        if (!SeedGenerated(path, kind, n, client, &error)) return Fail(error);
        std::printf("added %ld %s records to %s\n", n, KindTable(kind).name,
                    ShownLocation(path).c_str());
    }
    return 0;
}

// The line of the table being written, on a terminal only, rewritten at most ten times a
// second; a finished table's line stays.
class ProgressLine {
public:
    explicit ProgressLine(int fd) : m_fd(fd), m_shown(isatty(fd)) {}
    ~ProgressLine() {
        if (m_table) Write(m_table, m_done, m_total, true);
    }

    void Update(const TableDef& table, int64_t done, int64_t total) {
        if (!m_shown) return;
        if (m_table && m_table != &table) Write(m_table, m_done, m_total, true);
        m_table = &table;
        m_done = done;
        m_total = total;
        auto now = std::chrono::steady_clock::now();
        if (now - m_last < std::chrono::milliseconds(100)) return;
        m_last = now;
        Write(&table, done, total, false);
    }

private:
    void Write(const TableDef* table, int64_t done, int64_t total, bool last) {
        char line[160];
        int n = std::snprintf(line, sizeof line, "\r\033[K%s %lld/%lld%s", table->name,
                              static_cast<long long>(done), static_cast<long long>(total),
                              last ? "\n" : "");
        if (write(m_fd, line, static_cast<size_t>(n)) < 0) m_shown = false;
        if (last) m_table = nullptr;
    }

    int m_fd;
    bool m_shown;
    const TableDef* m_table = nullptr;
    int64_t m_done = 0, m_total = 0;
    std::chrono::steady_clock::time_point m_last;
};

int Import(int argc, char** argv) {
    if (argv[2][0] == '-' || argv[3][0] == '-') return Usage();
    ImportOptions options;
    for (int i = 4; i < argc; ++i) {
        if (std::strcmp(argv[i], "--lenient") == 0) {
            options.lenient = true;
        } else if (std::strcmp(argv[i], "--codepage") == 0 && i + 1 < argc) {
            options.codePage = argv[++i];
            if (!CodePageDecoder(options.codePage).Known()) {
                std::fprintf(stderr, "orvicrm-db: unknown code page %s\n", argv[i]);
                return 2;
            }
        } else {
            return Usage();
        }
    }
    std::string file = argv[2], location = argv[3];
    options.note = [](const std::string& line) { std::printf("%s\n", line.c_str()); };
    // libmdb writes its own complaints to standard error; the one-line reason says it all.
    std::fflush(stderr);
    int terminal = dup(2), quiet = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (terminal >= 0 && quiet >= 0) dup2(quiet, 2);
    std::vector<ImportedTable> imported;
    std::string error;
    bool done;
    {
        ProgressLine progress(terminal >= 0 ? terminal : 2);
        options.progress = [&](const TableDef& table, int64_t rows, int64_t total) {
            progress.Update(table, rows, total);
        };
        std::fflush(stdout);
        done = ImportAccessFile(file, location, options, &imported, &error);
    }
    if (terminal >= 0 && quiet >= 0) dup2(terminal, 2);
    if (terminal >= 0) close(terminal);
    if (quiet >= 0) close(quiet);
    if (!done) return Fail(error);
    for (const ImportedTable& table : imported) {
        std::printf("%s: %lld %s", table.table->name, static_cast<long long>(table.rows),
                    table.rows == 1 ? "row" : "rows");
        if (table.nulled)
            std::printf(", %lld %s stored as NULL", static_cast<long long>(table.nulled),
                        table.nulled == 1 ? "value" : "values");
        std::printf("\n");
    }
    std::printf("imported %s into %s\n", file.c_str(), ShownLocation(location).c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        std::printf("%s\n%s", kUsage, kHelp);
        return 0;
    }
    if (argc < 3) return Usage();
    std::string command = argv[1];
    std::string path = argv[2];
    if (command == "init" && argc == 3) {
        std::string error;
        if (!CreateDatabase(path, &error)) return Fail(error);
        std::printf("created %s\n", ShownLocation(path).c_str());
        return 0;
    }
    if (command == "seed") return Seed(path, argc, argv);
    if (command == "copy" && argc == 4) {
        std::string error;
        if (!CopyDatabase(path, argv[3], &error)) return Fail(error);
        std::printf("copied %s to %s\n", ShownLocation(path).c_str(),
                    ShownLocation(argv[3]).c_str());
        return 0;
    }
    if (command == "import" && argc >= 4) return Import(argc, argv);
    return Usage();
}
