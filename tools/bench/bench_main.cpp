#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/qt/qt_platform.h"
#include "tools/bench/bench.h"

namespace {

struct Group {
    std::string prefix;
    BenchGroupFn fn;
};

std::vector<Group>& Groups() {
    static std::vector<Group> groups;
    return groups;
}

}  // namespace

BenchGroupRegistrar::BenchGroupRegistrar(const char* prefix, BenchGroupFn fn) {
    Groups().push_back({prefix, fn});
}

bool BenchContext::Wants(const std::string& name) const {
    return only.empty() || name.rfind(only, 0) == 0 || only.rfind(name, 0) == 0;
}

void BenchContext::Print(const std::string& name, double value, const std::string& unit) const {
    if (!only.empty() && name.rfind(only, 0) != 0) return;
    if (value >= 1000 || value == static_cast<long long>(value))
        std::printf("%s %.0f %s\n", name.c_str(), value, unit.c_str());
    else
        std::printf("%s %.3g %s\n", name.c_str(), value, unit.c_str());
    std::fflush(stdout);
}

double PeakRssMiB() {
    FILE* f = std::fopen("/proc/self/status", "r");
    if (!f) return 0;
    char line[256];
    double kib = 0;
    while (std::fgets(line, sizeof line, f))
        if (std::sscanf(line, "VmHWM: %lf kB", &kib) == 1) break;
    std::fclose(f);
    return kib / 1024.0;
}

double ThreadCpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

int main(int argc, char** argv) {
    BenchContext ctx;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--rows" && i + 1 < argc) {
            ctx.rows = std::atoi(argv[++i]);
        } else if (arg == "--only" && i + 1 < argc) {
            ctx.only = argv[++i];
        } else {
            std::fprintf(stderr, "usage: orvicrm-bench [--rows N] [--only PREFIX]\n");
            return 2;
        }
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    InstallQtPlatform();

    std::string pattern =
        (std::filesystem::temp_directory_path() / "orvicrm-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) return 1;
    ctx.folder = pattern + "/";
    for (const Group& group : Groups())
        if (ctx.Wants(group.prefix)) group.fn(ctx);
    std::error_code ec;
    std::filesystem::remove_all(pattern, ec);
    if (ctx.only.empty() || std::string("peak_rss").rfind(ctx.only, 0) == 0)
        std::printf("peak_rss %.0f MiB\n", PeakRssMiB());
    return 0;
}
