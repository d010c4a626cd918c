#pragma once
// The probe's updater loop, shaped like the product's from the outside: scans drives 0 to 25
// every scan period for a device that answers INQUIRY as a device in update mode, and gives each
// one it finds a thread that writes the image with verify, then (unless the connection failed)
// opens the drive again every probe period until that fails, which means the device is gone.
// Every step is logged with ProbeLog. Runs until the process ends.

#include <chrono>
#include <mutex>
#include <set>
#include <vector>

#include "probe_image.h"

class CProbeMonitor {
public:
    CProbeMonitor(std::vector<ProbeBlock> blocks, std::chrono::milliseconds scanPeriod,
                  std::chrono::milliseconds presencePeriod);

    [[noreturn]] void Run();

private:
    void ScanOnce();
    void UpdateDrive(int drive);
    void WaitUntilGone(int drive);
    bool Claim(int drive);
    void Release(int drive);

    const std::vector<ProbeBlock> m_blocks;
    const std::chrono::milliseconds m_scanPeriod;
    const std::chrono::milliseconds m_presencePeriod;
    std::mutex m_mutex;
    std::set<int> m_busyDrives;
};
