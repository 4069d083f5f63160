// The module-side definitions behind _ConnectionPtr and _RecordsetPtr.
#pragma once

#include <sqlite3.h>

#include <string>

#include "orvicrm/ado_types.h"

// One open SQLite database. Serialized mode: a page's worker may use it too.
struct OrviConnection {
    sqlite3* db = nullptr;
    std::string path;

    OrviConnection() = default;
    ~OrviConnection() {
        if (db) sqlite3_close_v2(db);  // deferred until the last statement is finalized
    }
    OrviConnection(const OrviConnection&) = delete;
    OrviConnection& operator=(const OrviConnection&) = delete;
    bool IsOpen() const { return db != nullptr; }
};

// How long a statement waits for another connection's write before it fails.
constexpr int kBusyTimeoutMs = 5000;
