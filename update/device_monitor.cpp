#include "update/device_monitor.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

#include "device/drive_channel.h"
#include "platform/sleep.h"
#include "ui/text_progress_ctrl.h"
#include "update/device_monitor_control.h"
#include "update/status_texts.h"
#include "update/update_worker.h"

namespace {

constexpr unsigned kScanPauseMs = 500;
// How long the monitor waits for a new worker to claim its slot. A thread start is not bounded
// by anything, so this only keeps a stalled start from stopping the scan for good.
constexpr std::chrono::seconds kClaimWait{5};

constexpr COLORREF kGreen = RGB(0, 128, 0);  // the visible bar's own colour

// The monitors the dialog started, for the tests that stop them (device_monitor_control.h).
std::atomic<bool> g_stopMonitors{false};
std::atomic<int> g_runningMonitors{0};
std::atomic<int> g_startedMonitors{0};

// Set once by the new worker after its claim; waited for by the monitor.
class CClaimSignal {
public:
    void Signal() {
        std::lock_guard lock(m_mutex);
        m_signalled = true;
        m_changed.notify_all();
    }
    void WaitFor(std::chrono::milliseconds bound) {
        std::unique_lock lock(m_mutex);
        m_changed.wait_for(lock, bound, [this] { return m_signalled; });
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_signalled = false;
};

void SetUpVisibleBar() {
    CTextProgressCtrl& bar = g_progress[0];
    bar.SetPos(0);
    bar.SetWindowText(kTextWaitConnect);
    bar.EnableText(TRUE);
    bar.SetBackColor(kBarWhite);
    bar.SetBarTextColor(kBarWhite);
    bar.SetBarColor(kGreen);
    bar.SetBackTextColor(kGreen);
}

// Starts a worker for `drive` and returns once it has claimed (or the bound ran out), so that
// the drive counts as held before the scan can reach it again. A thread that cannot be made is
// not reported: the drive still holds no slot and the next scan tries again.
void StartWorker(int drive) {
    auto claimed = std::make_shared<CClaimSignal>();
    try {
        std::thread([drive, claimed] {
            UpdateWorkerThread(drive, [&] { claimed->Signal(); });
        }).detach();
    } catch (const std::system_error&) {
        return;
    }
    claimed->WaitFor(kClaimWait);
}

bool AnySlotFree() {
    return CDriveChannel::FindSlot(-1) >= 0;
}

void ScanOnce(CDriveChannel& probe, const std::atomic<bool>& stop) {
    for (int drive = kFirstScannedDrive; drive <= kLastScannedDrive && !stop; ++drive) {
        // With all four slots held a new worker could show nothing; the drive waits for a slot.
        if (CDriveChannel::FindSlot(drive) >= 0 || !AnySlotFree()) {
            continue;
        }
        if (probe.IsTargetDevice(drive) == 1) {
            StartWorker(drive);
        }
    }
}

}  // namespace

void RunDeviceMonitor(const std::atomic<bool>& stop) {
    CDriveChannel probe;
    CDriveChannel::ClearSlots();
    SetUpVisibleBar();
    while (!stop) {
        ScanOnce(probe, stop);
        SleepFor(kScanPauseMs);
    }
}

void DeviceMonitorThread(void* /*param*/) {
    ++g_runningMonitors;
    ++g_startedMonitors;
    RunDeviceMonitor(g_stopMonitors);
    --g_runningMonitors;
}

int StartedDeviceMonitorCount() {
    return g_startedMonitors;
}

void StopDeviceMonitors() {
    g_stopMonitors = true;
    while (g_runningMonitors > 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    g_stopMonitors = false;
}
