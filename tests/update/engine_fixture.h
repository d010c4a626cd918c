#pragma once
// The update engine against the simulator: a fresh simulated backend, a folder that stands for
// the executable's directory (where the image is looked up), recorded bars for all four slots,
// sped-up pauses, and a monitor thread that the fixture starts and stops. Every test ends with
// its devices gone and waits until every worker has ended, so no test leaks into the next.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "platform/files/executable_path_override.h"
#include "platform/sleep_override.h"
#include "tests/support/bar_recorder.h"
#include "tests/support/sim_backend_fixture.h"
#include "tools/kit/sample_image.h"
#include "tools/kit/temp_dir.h"
#include "tools/kit/wait.h"
#include "update/device_monitor_control.h"
#include "update/update_worker.h"

class EngineTest : public SimBackendTest {
protected:
    static constexpr unsigned kSpeedUp = 50;  // 500 ms scan pause -> 10 ms

    void SetUp() override {
        SimBackendTest::SetUp();
        for (int slot = 0; slot < kSlotCount; ++slot) {
            m_bars.push_back(std::make_unique<CBarRecorder>(slot));
        }
        m_backend.Plug(kScanMarkerDrive, m_scanMarker);
    }

    void TearDown() override {
        // The monitor first: once it has returned, every worker it started has claimed and is
        // counted, so none can outlive the wait below.
        StopMonitor();
        for (int drive = 0; drive < CSimDriveBackend::kDriveCount; ++drive) {
            m_backend.Unplug(drive);
        }
        EXPECT_TRUE(WaitUntil([] { return RunningWorkerCount() == 0; })) << "a worker never ended";
        EXPECT_EQ(m_backend.OpenHandleCount(), 0);
        m_bars.clear();
        SimBackendTest::TearDown();
    }

    void StartMonitor() {
        m_stop = false;
        m_monitor = std::thread([this] { RunDeviceMonitor(m_stop); });
    }
    void StopMonitor() {
        m_stop = true;
        if (m_monitor.joinable()) {
            m_monitor.join();
        }
    }

    // An image of `bytes` bytes whose content depends on `seed`, under `name`.
    std::vector<unsigned char> PlaceImage(std::size_t bytes,
                                          const std::string& name = kSampleImageName,
                                          std::uint32_t seed = 1) {
        std::vector<unsigned char> image = MakeSampleImage(bytes, seed);
        m_dir.Write(name, image);
        return image;
    }

    static bool Holds(const CSimulatedDevice& device, const std::vector<unsigned char>& image) {
        return DeviceHoldsImage(device, image);
    }

    // Read through the table's own lock: workers change it meanwhile.
    static bool NoSlotHeld() {
        for (int drive = 0; drive < CSimDriveBackend::kDriveCount; ++drive) {
            if (CDriveChannel::FindSlot(drive) >= 0) {
                return false;
            }
        }
        return true;
    }

    CBarRecorder& Bar(int slot) { return *m_bars[slot]; }

    // Returns once the monitor has run `scans` more scans: the disk on the last scanned drive is
    // asked INQUIRY once per scan. For checks that something did not happen.
    bool WaitForScans(int scans) const {
        std::uint64_t target = m_scanMarker->InquiryCount() + static_cast<std::uint64_t>(scans);
        return WaitUntil([&] { return m_scanMarker->InquiryCount() >= target; });
    }

    static constexpr int kScanMarkerDrive = 25;

    CTempDir m_dir;
    CScopedExecutablePath m_pretendedExecutable{m_dir.PathOf("zelvane")};
    CScopedSleepDivisor m_fasterPauses{kSpeedUp};
    std::shared_ptr<CSimulatedDevice> m_scanMarker = CSimulatedDevice::OrdinaryDisk();
    std::vector<std::unique_ptr<CBarRecorder>> m_bars;
    std::atomic<bool> m_stop{false};
    std::thread m_monitor;
};
