// Filling a database with demo data or with many generated records. The location is a file path
// or a server's connection string; a missing file is created first, and a server database
// without our tables gets them first.
#pragma once

#include <string>

#include "data/schema.h"

// The demo host's clients: 张三 101, 李四 102, 王五 103, 赵六 104, 钱七 105.
struct DemoClient {
    int key;
    const char* name;
};
extern const DemoClient kDemoClients[5];

// Lookup values for the parameter kinds 5 to 13 (a value already there is not added again)
// and records of all six kinds for every demo client, dated 2006 to 2010.
bool SeedDemo(const std::string& location, std::string* error);

// n generated records of one kind for the client (its name when it is a demo client),
// written in one transaction.
bool SeedGenerated(const std::string& location, RecordKind kind, long n, int clientKey,
                   std::string* error);
