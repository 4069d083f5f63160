// edit.rename*: renaming a product name held by 200,000 sales and 200,000 opportunities
// through RenameParamReferences in its transaction, against the same UPDATE statements run
// bare through SQLite on the same database. The two rename back and forth, several rounds,
// and the best time of each counts.
#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "data/ado_connection.h"
#include "params/param_kinds.h"
#include "params/param_rename.h"
#include "platform/files.h"
#include "tools/bench/bench.h"
#include "tools/orvicrm-db/db_init.h"

namespace {

constexpr int kRecords = 200000;
constexpr int kRounds = 3;

bool Exec(sqlite3* db, const char* sql) {
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

bool FillProducts(sqlite3* db, int rows) {
    bool ok = Exec(db, "BEGIN");
    ok =
        ok && Exec(db, "INSERT INTO ObjectPar (ObjectParName, ObjectParType) VALUES ('产品甲', 5)");
    ok =
        ok && Exec(db, "INSERT INTO ObjectPar (ObjectParName, ObjectParType) VALUES ('产品乙', 5)");
    sqlite3_stmt* sale = nullptr;
    sqlite3_stmt* chance = nullptr;
    sqlite3_prepare_v2(db,
                       "INSERT INTO SaleTable (SaleDate, SaleName, ProductName, ProductType, "
                       "SaleNumber, ObjectDateTime) VALUES (?, ?, '产品甲', '型号', 1, 5)",
                       -1, &sale, nullptr);
    sqlite3_prepare_v2(db,
                       "INSERT INTO ChanceTable (ChanceDate, ChanceName, ProductName, "
                       "ProductType, ObjectDateTime) VALUES (?, ?, '产品甲', '型号', 5)",
                       -1, &chance, nullptr);
    for (int i = 0; ok && i < rows; ++i) {
        const std::string name = "记录 " + std::to_string(i);
        for (sqlite3_stmt* st : {sale, chance}) {
            sqlite3_bind_int64(st, 1, 1172729109 + i * 60L);
            sqlite3_bind_text(st, 2, name.c_str(), -1, SQLITE_TRANSIENT);
            ok = sqlite3_step(st) == SQLITE_DONE;
            sqlite3_reset(st);
        }
    }
    sqlite3_finalize(sale);
    sqlite3_finalize(chance);
    return Exec(db, ok ? "COMMIT" : "ROLLBACK") && ok;
}

// The statements of a product-name rename, written out, each in its own implicit transaction.
bool BareRename(sqlite3* db, const char* from, const char* to) {
    for (const char* table : {"SaleTable", "ChanceTable", "FeedBackTable"}) {
        char sql[256];
        std::snprintf(sql, sizeof sql, "UPDATE %s SET ProductName='%s' WHERE ProductName='%s'",
                      table, to, from);
        if (!Exec(db, sql)) return false;
    }
    return true;
}

long CountProduct(sqlite3* db, const char* name) {
    long n = 0;
    for (const char* table : {"SaleTable", "ChanceTable"}) {
        const std::string sql =
            std::string("SELECT count(*) FROM ") + table + " WHERE ProductName='" + name + "'";
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) == SQLITE_OK &&
            sqlite3_step(st) == SQLITE_ROW)
            n += sqlite3_column_int64(st, 0);
        sqlite3_finalize(st);
    }
    return n;
}

void ParamRenameBench(BenchContext& ctx) {
    SetModuleFolderOverride(ctx.folder + "param/");
    const int rows = std::min(ctx.rows, kRecords);
    std::string error;
    sqlite3* db = nullptr;
    if (!CreateDatabase(GetDatabasePath(), &error) ||
        sqlite3_open(GetDatabasePath().c_str(), &db) != SQLITE_OK || !FillProducts(db, rows)) {
        std::fprintf(stderr, "edit.rename: cannot make the database: %s\n", error.c_str());
        sqlite3_close(db);
        SetModuleFolderOverride("");
        return;
    }
    CAdoConnection connection;
    connection.ConnectDatabase(GetDatabasePath());

    double ours = 1e9, bare = 1e9;
    bool ok = BareRename(db, "产品甲", "产品乙") && BareRename(db, "产品乙", "产品甲");  // warm
    for (int round = 0; ok && round < kRounds; ++round) {
        Stopwatch ourWatch;
        ok = RunInTransaction(connection, [&] {
            return RenameParamReferences(connection, kParamProductName, "产品甲", "产品乙");
        });
        ours = std::min(ours, ourWatch.Seconds());
        ok = ok && CountProduct(db, "产品乙") == 2L * rows;
        Stopwatch bareWatch;
        ok = ok && BareRename(db, "产品乙", "产品甲");
        bare = std::min(bare, bareWatch.Seconds());
        ok = ok && CountProduct(db, "产品甲") == 2L * rows;
    }
    if (!ok) std::fprintf(stderr, "edit.rename: a rename failed or missed records\n");
    ctx.Print("edit.rename_s", ours, "s");
    ctx.Print("edit.rename.bare_s", bare, "s");
    ctx.Print("edit.rename.ratio", bare / std::max(ours, 1e-9), "x");
    sqlite3_close(db);
    SetModuleFolderOverride("");
}

}  // namespace

ORVI_BENCH_GROUP("edit.rename", ParamRenameBench);
