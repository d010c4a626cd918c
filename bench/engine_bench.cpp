// The update engine end to end over simulated devices:
// - detection: from the plug to the first write command, against the bound of one scan + 500 ms;
// - idle cost: the monitor's CPU time with no device, over the simulator and over the Linux
//   backend (on a machine without SCSI generic nodes every open fails at once);
// - four devices at once against one, each device taking a fixed time per command.

#include <benchmark/benchmark.h>
#include <pthread.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <random>
#include <thread>

#include "bench/bench_support.h"
#include "device/drive_channel.h"
#include "platform/drive_backend_override.h"
#include "platform/files/executable_path_override.h"
#include "platform/sleep_override.h"
#include "sim/sim_drive_backend.h"
#include "tools/kit/sample_image.h"
#include "tools/kit/temp_dir.h"
#include "tools/kit/wait.h"
#include "update/device_monitor_control.h"
#include "update/update_worker.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::size_t kImageBytes = 64 * 1024;
const std::size_t kImageBlocks = ImageBlockCount(kImageBytes);

// A monitor thread over a simulated backend, with the image beside a pretended executable.
class CRunningMonitor {
public:
    explicit CRunningMonitor(CDriveBackend* backend) : m_backendInPlace(backend) {
        m_folder.Write(kSampleImageName, MakeSampleImage(kImageBytes));
        m_thread = std::thread([this] { RunDeviceMonitor(m_stop); });
    }
    ~CRunningMonitor() {
        m_stop = true;
        m_thread.join();
    }
    // CPU time the monitor thread has used so far.
    std::chrono::nanoseconds CpuTime() {
        clockid_t clock;
        timespec used{};
        if (pthread_getcpuclockid(m_thread.native_handle(), &clock) == 0) {
            clock_gettime(clock, &used);
        }
        return std::chrono::seconds(used.tv_sec) + std::chrono::nanoseconds(used.tv_nsec);
    }

private:
    CTempDir m_folder{"zelvane-bench"};
    CScopedExecutablePath m_pretendedExecutable{m_folder.PathOf("zelvane")};
    CScopedDriveBackend m_backendInPlace;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

// Where a wait's end is what is timed: polled often, so the poll hardly adds to the figure.
constexpr std::chrono::microseconds kTimingPoll{200};

bool AllSlotsFree() {
    // Through the table's lock: workers change it meanwhile.
    for (int drive = 0; drive < CSimDriveBackend::kDriveCount; ++drive) {
        if (CDriveChannel::FindSlot(drive) >= 0) {
            return false;
        }
    }
    return RunningWorkerCount() == 0;
}

// One run plugs a device kSamples times, each at a random point of the scan cycle, against one
// monitor that keeps running, and reports the median and the maximum.
void BM_DetectionLatency(benchmark::State& state) {
    constexpr int kSamples = 15;
    CSimDriveBackend backend;
    backend.SetLogging(false);
    CRunningMonitor monitor(&backend);
    std::mt19937 random(7);
    std::vector<double> samples;
    for (auto _ : state) {
        for (int sample = 0; sample < kSamples; ++sample) {
            std::this_thread::sleep_for(std::chrono::milliseconds(random() % 700));
            auto device = CSimulatedDevice::UpdateMode();
            auto plugged = Clock::now();
            backend.Plug(4, device);
            if (!WaitUntil([&] { return device->WriteCount() > 0; }, std::chrono::seconds(10),
                           kTimingPoll)) {
                state.SkipWithError("device never written");
                return;
            }
            samples.push_back(
                std::chrono::duration<double, std::milli>(Clock::now() - plugged).count());
            WaitUntil([&] { return device->BlocksVerified() == kImageBlocks; },
                      std::chrono::seconds(30));
            backend.Unplug(4);
            WaitUntil(AllSlotsFree, std::chrono::seconds(10));
        }
    }
    std::sort(samples.begin(), samples.end());
    state.counters["median_ms"] = samples[samples.size() / 2];
    state.counters["max_ms"] = samples.back();
}

void BM_IdleMonitorCpu(benchmark::State& state) {
    CSimDriveBackend simulator;
    CDriveBackend* backend =
        state.range(0) == 0 ? static_cast<CDriveBackend*>(&simulator) : &GetSystemDriveBackend();
    for (auto _ : state) {
        CRunningMonitor monitor(backend);
        auto start = Clock::now();
        auto cpuStart = monitor.CpuTime();
        std::this_thread::sleep_for(std::chrono::seconds(30));
        double wall = std::chrono::duration<double>(Clock::now() - start).count();
        double cpu = std::chrono::duration<double>(monitor.CpuTime() - cpuStart).count();
        state.counters["cpu_percent_of_one_core"] = 100.0 * cpu / wall;
    }
}

void BM_ParallelDevices(benchmark::State& state) {
    const int devices = static_cast<int>(state.range(0));
    CSimDriveBackend backend;
    backend.SetLogging(false);
    CScopedSleepDivisor fasterPauses(100);  // scan pauses are not what is measured here
    CRunningMonitor monitor(&backend);
    for (auto _ : state) {
        std::vector<std::shared_ptr<CSimulatedDevice>> plugged;
        for (int i = 0; i < devices; ++i) {
            plugged.push_back(CSimulatedDevice::UpdateMode());
            plugged.back()->SetCommandDelay(std::chrono::microseconds(500));
        }
        auto start = Clock::now();
        for (int i = 0; i < devices; ++i) {
            backend.Plug(i, plugged[i]);
        }
        bool done = WaitUntil(
            [&] {
                return std::all_of(plugged.begin(), plugged.end(), [](const auto& device) {
                    return device->BlocksVerified() == kImageBlocks;
                });
            },
            std::chrono::seconds(60), kTimingPoll);
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
        if (!done) {
            state.SkipWithError("not every device was updated");
        }
        for (int i = 0; i < devices; ++i) {
            backend.Unplug(i);
        }
        WaitUntil(AllSlotsFree, std::chrono::seconds(10));
    }
}

BENCHMARK(BM_DetectionLatency)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_IdleMonitorCpu)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_ParallelDevices)
    ->Arg(1)
    ->Arg(4)
    ->UseManualTime()
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    return RunBenchmarksAndPrintRatios(argc, argv,
                                       {{"BM_ParallelDevices/4/", "BM_ParallelDevices/1/",
                                         "four devices / one device (goal: 1.1 or less)"}});
}
