// The cost of a transfer against its floor: DownloadImage of a 16 MiB image to a simulated
// device, against a bare loop of write, read-back and compare over the same device and data.
// The ratio is the transfer's own overhead (file reads, length checks, progress updates, the
// re-read of the file at the end). A transfer that ends within the image's quiet time waits out
// the rest; that wait is no overhead, so it is cut down to the least pause here (1 ms).

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstring>

#include "bench/bench_support.h"
#include "device/device_protocol.h"
#include "device/drive_channel.h"
#include "platform/drive_backend_override.h"
#include "platform/sleep_override.h"
#include "sim/sim_drive_backend.h"
#include "tools/kit/sample_image.h"
#include "tools/kit/temp_dir.h"
#include "update/download_image.h"

namespace {

constexpr std::size_t kImageBytes = 16u << 20;

struct CBench {
    CBench() : bytes(MakeSampleImage(kImageBytes)), path(folder.Write(kSampleImageName, bytes)) {
        backend.SetLogging(false);
        backend.Plug(0, CSimulatedDevice::UpdateMode());
        channel.OpenDrive(0);
    }
    ~CBench() { channel.CloseDrive(); }
    CSimDriveBackend backend;
    CScopedDriveBackend backendInPlace{&backend};
    CDriveChannel channel;
    CTempDir folder;
    std::vector<unsigned char> bytes;
    std::u16string path;
};

CBench& Fixture();

// For the whole run: the least pause for the quiet time (see above).
const CScopedSleepDivisor g_quietTimeCutDown{1000000};

// What a transfer cannot do without: per block, fill, write, read back, compare.
void BareLoop(CDriveChannel& channel, const std::vector<unsigned char>& bytes) {
    unsigned char data[kDeviceBlockBytes];
    unsigned char verify[kDeviceBlockBytes];
    const CImagePlacement& placement = kDatabasePlacement;
    std::uint32_t address = placement.firstAddress;
    for (std::size_t offset = 0; offset <= bytes.size(); offset += kDeviceBlockBytes) {
        std::size_t take = offset < bytes.size() ? kDeviceBlockBytes : 0;
        std::memset(data, 0xFF, sizeof data);
        std::memcpy(data, bytes.data() + offset, take);
        channel.WriteBlock(data, placement.target, address);
        channel.ReadBlock(verify, placement.target, address);
        benchmark::DoNotOptimize(std::memcmp(data, verify, sizeof data));
        address += kDeviceBlockBytes;
    }
}

struct CSlowDevice {
    static constexpr std::size_t kBytes = 1u << 20;
    CSlowDevice() : bytes(MakeSampleImage(kBytes)), path(folder.Write(kSampleImageName, bytes)) {
        auto device = CSimulatedDevice::UpdateMode();
        device->SetCommandDelay(std::chrono::microseconds(100));
        backend.SetLogging(false);
        backend.Plug(0, device);
        channel.OpenDrive(0);
    }
    // The guard then gives back the backend in place before, the big fixture's.
    ~CSlowDevice() { channel.CloseDrive(); }
    CSimDriveBackend backend;
    CScopedDriveBackend backendInPlace{&backend};
    CDriveChannel channel;
    CTempDir folder;
    std::vector<unsigned char> bytes;
    std::u16string path;
};

CBench& Fixture() {
    static CBench bench;
    return bench;
}

void BM_DownloadImage(benchmark::State& state) {
    CBench& bench = Fixture();
    for (auto _ : state) {
        // Slot 1 has no window: the progress calls are made and cost what they cost.
        int result = DownloadImage(bench.path, &bench.channel, IMAGE_DB, 1);
        if (result != DL_OK) {
            state.SkipWithError("transfer failed");
        }
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(kImageBytes));
}

void BM_BareWriteReadCompare(benchmark::State& state) {
    CBench& bench = Fixture();
    for (auto _ : state) {
        BareLoop(bench.channel, bench.bytes);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(kImageBytes));
}

// The same pair over a device that takes 100 microseconds per command, closer to real hardware,
// with a 1 MiB image to keep the run short.
void BM_DownloadImageSlowDevice(benchmark::State& state) {
    CSlowDevice slow;
    int result = DL_OK;
    for (auto _ : state) {
        result = DownloadImage(slow.path, &slow.channel, IMAGE_DB, 1);
    }
    if (result != DL_OK) {
        state.SkipWithError("transfer failed");
    }
}

void BM_BareWriteReadCompareSlowDevice(benchmark::State& state) {
    CSlowDevice slow;
    for (auto _ : state) {
        BareLoop(slow.channel, slow.bytes);
    }
}

BENCHMARK(BM_DownloadImage)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_BareWriteReadCompare)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_DownloadImageSlowDevice)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_BareWriteReadCompareSlowDevice)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
    return RunBenchmarksAndPrintRatios(
        argc, argv,
        {{"BM_DownloadImage/", "BM_BareWriteReadCompare/", "transfer / floor (goal: 1.05 or less)"},
         {"BM_DownloadImageSlowDevice/", "BM_BareWriteReadCompareSlowDevice/",
          "with 100 us per command: transfer / floor"}});
}
