// orvicrm-bench: one program for every performance figure of the project. Each group of
// figures registers itself with ORVI_BENCH_GROUP and prints one line per figure:
// NAME VALUE UNIT.
#pragma once

#include <chrono>
#include <string>

class BenchContext {
public:
    int rows = 1000000;  // --rows N: size of the generated data
    std::string only;    // --only PREFIX: run only figures whose names start with it
    std::string folder;  // a temporary folder of this run, removed at the end

    // Whether a group or figure named name is wanted under --only.
    bool Wants(const std::string& name) const;
    void Print(const std::string& name, double value, const std::string& unit) const;
};

using BenchGroupFn = void (*)(BenchContext&);

struct BenchGroupRegistrar {
    BenchGroupRegistrar(const char* prefix, BenchGroupFn fn);
};

#define ORVI_BENCH_GROUP(prefix, fn) static BenchGroupRegistrar orvi_bench_group_##fn(prefix, fn)

// Seconds since a start point.
class Stopwatch {
public:
    Stopwatch() : m_start(std::chrono::steady_clock::now()) {}
    double Seconds() const {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count();
    }

private:
    std::chrono::steady_clock::time_point m_start;
};

// The process's peak resident memory in MiB.
double PeakRssMiB();
// The processor time the calling thread has used, in ms.
double ThreadCpuMs();

class CRstValues;
struct TableDef;
// Reads every field of the current row by its type code, as the pages do: a checksum.
double ReadRowByType(CRstValues& rst, const TableDef& table, std::string& text);
