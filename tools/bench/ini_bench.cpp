// Figures of the settings file: reading a 1 MB file of many keys in one section and of many
// small sections.
#include <cstdio>
#include <ctime>
#include <string>

#include "tools/bench/bench.h"
#include "ui/main/ini_file.h"

namespace {

// Writes about `bytes` of "[sN]" headers, each followed by keysPerSection "keyN=valueN" lines.
std::string WriteSettings(const BenchContext& ctx, const char* name, int keysPerSection,
                          long bytes) {
    const std::string path = ctx.folder + name;
    FILE* file = std::fopen(path.c_str(), "w");
    if (!file) return path;
    long written = 0;
    for (int section = 0; written < bytes; ++section) {
        written += std::fprintf(file, "[section%d]\n", section);
        for (int key = 0; key < keysPerSection && written < bytes; ++key)
            written += std::fprintf(file, "key%d=value%d\n", key, key);
    }
    std::fclose(file);
    return path;
}

double ThreadCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

void IniBench(BenchContext& ctx) {
    const struct {
        const char* name;
        int keysPerSection;
    } shapes[] = {{"keys", 1 << 30}, {"sections", 1}};
    for (const auto& shape : shapes) {
        const std::string figure = std::string("ini.read_1mb_") + shape.name + "_ms";
        if (!ctx.Wants(figure)) continue;
        CIniFile ini;
        ini.SetPath(WriteSettings(ctx, shape.name, shape.keysPerSection, 1 << 20));
        Stopwatch watch;
        const double cpuBefore = ThreadCpuSeconds();
        ini.ReadFile();
        const double cpu = ThreadCpuSeconds() - cpuBefore;
        ctx.Print(figure, watch.Seconds() * 1000, "ms");
        // On a busy machine the wall clock also counts the waits for a core.
        ctx.Print(figure.substr(0, figure.size() - 3) + "_cpu_ms", cpu * 1000, "ms");
    }
}

}  // namespace

ORVI_BENCH_GROUP("ini.", IniBench);
