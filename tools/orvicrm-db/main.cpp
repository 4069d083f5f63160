// orvicrm-db: creates, fills and copies OrviCrm databases. A location is a file path or a
// PostgreSQL connection string ("postgresql://crm@db.example/orvicrm", "host=... dbname=...").
//   orvicrm-db init LOCATION   every table and index, no rows (a file must not exist yet; a
//                              server database must not have the tables yet)
//   orvicrm-db seed LOCATION   demo data for the demo host's clients (creates what is missing)
//   orvicrm-db seed LOCATION [--sales N] [--chances N] [--consumes N] [--histories N]
//                            [--actives N] [--feedbacks N] [--client KEY]
//                              N generated records of each kind named for client KEY (101)
//   orvicrm-db copy FROM TO    every row of FROM into TO, whose tables must be empty or missing
// Exit status: 0 done, 1 failed (a one-line reason on stderr), 2 wrong arguments.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tools/orvicrm-db/db_copy.h"
#include "tools/orvicrm-db/db_init.h"
#include "tools/orvicrm-db/db_seed.h"

namespace {

const char kUsage[] =
    "Usage: orvicrm-db init LOCATION\n"
    "  or:  orvicrm-db seed LOCATION [--sales|--chances|--consumes|--histories|--actives|"
    "--feedbacks N]... [--client KEY]\n"
    "  or:  orvicrm-db copy FROM TO\n";

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
        std::printf("seeded demo data into %s\n", path.c_str());
        return 0;
    }
    for (const auto& [kind, n] : generated) {
        if (!SeedGenerated(path, kind, n, client, &error)) return Fail(error);
        std::printf("added %ld %s records to %s\n", n, KindTable(kind).name, path.c_str());
    }
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
        std::printf("created %s\n", path.c_str());
        return 0;
    }
    if (command == "seed") return Seed(path, argc, argv);
    if (command == "copy" && argc == 4) {
        std::string error;
        if (!CopyDatabase(path, argv[3], &error)) return Fail(error);
        std::printf("copied %s to %s\n", path.c_str(), argv[3]);
        return 0;
    }
    return Usage();
}
