#include "bench/bench_support.h"

#include <cstdio>

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
