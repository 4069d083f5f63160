// rst.lock_*: several processes inserting into one database file through CRstValues at
// once; counts the inserts that fail (after the busy timeout) and their message boxes.
// Minutes long (every insert is a commit): run only when asked for, --only rst.lock_.
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "data/ado_connection.h"
#include "orvicrm/CRstValues.h"
#include "platform/message_box.h"
#include "tools/bench/bench.h"
#include "tools/orvicrm-db/db_init.h"

namespace {

constexpr int kWriters = 4;

struct WriterResult {
    long failures = 0;
    long messages = 0;
};

// One writer process: waits for the start signal, then inserts count rows one by one.
WriterResult RunWriter(const std::string& path, int writer, long count, int startFd) {
    WriterResult result;
    SetMessageHandler([&result](const MessageInfo&) {
        ++result.messages;
        return IDOK;
    });
    char go;
    if (read(startFd, &go, 1) < 0) return result;
    CAdoConnection connection;
    if (!connection.ConnectDatabase(path)) {
        result.failures = count;
        return result;
    }
    CRstValues rst(connection.GetConnection(), "ConsumeTable");
    std::string name = "writer " + std::to_string(writer);
    for (long i = 0; i < count; ++i) {
        rst.AddRecord();
        rst.AddRecord("ConsumeName", name.c_str());
        rst.AddRecord("ConsumeMoney", static_cast<float>(i));
        rst.AddRecord("ObjectDateTime", static_cast<long>(writer));
        if (!rst.UpdateRecord()) ++result.failures;
    }
    return result;
}

void LockBench(BenchContext& ctx) {
    if (ctx.only.rfind("rst.lock_", 0) != 0) return;
    std::string path = ctx.folder + "lock.db";
    std::string error;
    if (!CreateDatabase(path, &error)) {
        std::fprintf(stderr, "rst.lock: %s\n", error.c_str());
        return;
    }
    long perWriter = std::min<long>(25000, std::max<long>(100, ctx.rows / kWriters));

    int start[2], results[2];
    if (pipe(start) != 0 || pipe(results) != 0) return;
    std::vector<pid_t> children;
    for (int w = 0; w < kWriters; ++w) {
        pid_t pid = fork();
        if (pid == 0) {
            close(start[1]);
            close(results[0]);
            WriterResult result = RunWriter(path, w, perWriter, start[0]);
            ssize_t written = write(results[1], &result, sizeof result);
            _exit(written == sizeof result ? 0 : 1);
        }
        if (pid > 0) children.push_back(pid);
    }
    close(start[0]);
    close(results[1]);
    Stopwatch clock;
    close(start[1]);  // end of file: every writer starts now

    WriterResult total;
    WriterResult one;
    while (read(results[0], &one, sizeof one) == sizeof one) {
        total.failures += one.failures;
        total.messages += one.messages;
    }
    double seconds = clock.Seconds();
    close(results[0]);
    for (pid_t pid : children) waitpid(pid, nullptr, 0);

    long inserts = perWriter * static_cast<long>(children.size());
    ctx.Print("rst.lock_inserts", static_cast<double>(inserts), "rows");
    ctx.Print("rst.lock_failures", static_cast<double>(total.failures), "rows");
    ctx.Print("rst.lock_messages", static_cast<double>(total.messages), "boxes");
    ctx.Print("rst.lock_inserts_per_s", inserts / (seconds > 0 ? seconds : 1e-9), "rows/s");
}

}  // namespace

ORVI_BENCH_GROUP("rst.lock_", LockBench);
