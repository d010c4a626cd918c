#include "bench/bench_support.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>

namespace {
std::vector<std::string> g_createdFiles;

void RemoveCreatedFiles() {
    for (const std::string& path : g_createdFiles) {
        std::remove(path.c_str());
    }
}
}  // namespace

std::vector<unsigned char> SampleBytes(std::size_t bytes) {
    std::mt19937 random(20261208);
    std::vector<unsigned char> data(bytes);
    for (unsigned char& byte : data) {
        byte = static_cast<unsigned char>(random());
    }
    return data;
}

std::string MakeSampleImage(std::size_t bytes) {
    char name[] = "/tmp/zelvane-bench-XXXXXX";
    int fd = ::mkstemp(name);
    if (fd >= 0) {
        ::close(fd);
    }
    std::vector<unsigned char> data = SampleBytes(bytes);
    std::ofstream(name, std::ios::binary)
        .write(reinterpret_cast<const char*>(data.data()),
               static_cast<std::streamsize>(data.size()));
    if (g_createdFiles.empty()) {
        std::atexit(RemoveCreatedFiles);
    }
    g_createdFiles.push_back(name);
    return name;
}

void CRecordingReporter::ReportRuns(const std::vector<Run>& runs) {
    for (const Run& run : runs) {
        if (run.run_type == Run::RT_Iteration && run.iterations > 0) {
            m_nanoseconds[run.benchmark_name()] =
                run.GetAdjustedRealTime() *
                benchmark::GetTimeUnitMultiplier(benchmark::kNanosecond) /
                benchmark::GetTimeUnitMultiplier(run.time_unit);
        }
    }
    ConsoleReporter::ReportRuns(runs);
}

double CRecordingReporter::NanosecondsOf(const std::string& name) const {
    // Benchmark names carry their arguments ("BM_X/4/min_time:2.000"): match the start.
    auto found = m_nanoseconds.lower_bound(name);
    bool matches = found != m_nanoseconds.end() && found->first.compare(0, name.size(), name) == 0;
    return matches ? found->second : 0.0;
}

int RunBenchmarksAndPrintRatios(int argc, char** argv, const std::vector<CRatio>& ratios) {
    benchmark::Initialize(&argc, argv);
    CRecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    for (const CRatio& ratio : ratios) {
        double numerator = reporter.NanosecondsOf(ratio.numerator);
        double denominator = reporter.NanosecondsOf(ratio.denominator);
        if (numerator > 0 && denominator > 0) {
            std::printf("%s = %.3f\n", ratio.label.c_str(), numerator / denominator);
        }
    }
    benchmark::Shutdown();
    return 0;
}
