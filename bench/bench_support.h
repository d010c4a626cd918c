#pragma once
// What the benchmarks share beyond the kit (tools/kit): a reporter that keeps each benchmark's
// time so that a program can print ratios against its floor.

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

// Console output as usual, plus the mean real time per iteration of each benchmark run.
class CRecordingReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override;
    // Real time per iteration, in nanoseconds, of the first run whose name starts with `name`;
    // 0 when none ran.
    double NanosecondsOf(const std::string& name) const;

private:
    std::map<std::string, double> m_nanoseconds;
};

// A figure a benchmark program prints after its runs: one run's time against another's.
struct CRatio {
    std::string numerator;  // the start of a benchmark's name, e.g. "BM_DownloadImage/"
    std::string denominator;
    std::string label;  // e.g. "transfer / floor (goal: 1.05 or less)"
};

// The whole main of a benchmark program: runs the benchmarks the command line selects, then
// prints each ratio whose two runs both ran.
int RunBenchmarksAndPrintRatios(int argc, char** argv, const std::vector<CRatio>& ratios);
