// orvicrm-db: creates and fills OrviCrm databases.
//   orvicrm-db init PATH    a new database with every table and index, no rows
#include <cstdio>
#include <cstring>
#include <string>

#include "tools/orvicrm-db/db_init.h"

namespace {

int Usage() {
    std::fprintf(stderr, "usage: orvicrm-db init PATH\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return Usage();
    std::string command = argv[1];
    std::string path = argv[2];
    if (command == "init") {
        std::string error;
        if (!CreateDatabase(path, &error)) {
            std::fprintf(stderr, "orvicrm-db: %s\n", error.c_str());
            return 1;
        }
        std::printf("created %s\n", path.c_str());
        return 0;
    }
    return Usage();
}
