#include "probe_monitor.h"

#include <thread>

#include "device/drive_channel.h"
#include "probe_log.h"
#include "probe_transfer.h"

namespace {
constexpr int kDriveCount = 26;

std::string SgName(int drive) {
    return "sg" + std::to_string(drive);
}
}  // namespace

CProbeMonitor::CProbeMonitor(std::vector<ProbeBlock> blocks, std::chrono::milliseconds scanPeriod,
                             std::chrono::milliseconds presencePeriod)
    : m_blocks(std::move(blocks)), m_scanPeriod(scanPeriod), m_presencePeriod(presencePeriod) {}

void CProbeMonitor::Run() {
    for (;;) {
        ScanOnce();
        std::this_thread::sleep_for(m_scanPeriod);
    }
}

void CProbeMonitor::ScanOnce() {
    CDriveChannel channel;
    for (int drive = 0; drive < kDriveCount; ++drive) {
        {
            std::lock_guard lock(m_mutex);
            if (m_busyDrives.count(drive) != 0) {
                continue;
            }
        }
        if (channel.IsTargetDevice(drive) == 1 && Claim(drive)) {
            ProbeLog("target " + SgName(drive));
            std::thread([this, drive] { UpdateDrive(drive); }).detach();
        }
    }
}

void CProbeMonitor::UpdateDrive(int drive) {
    CDriveChannel channel;
    CProbeTransferResult result{ProbeOutcome::ConnectionError, 0};
    if (channel.OpenDrive(drive) == 1) {
        result = WriteImageWithVerify(channel, m_blocks);
    }
    channel.CloseDrive();
    std::string where = SgName(drive) + " after " + std::to_string(result.blocksDone) + " of " +
                        std::to_string(m_blocks.size()) + " blocks";
    switch (result.outcome) {
        case ProbeOutcome::Written:
            ProbeLog("written " + where);
            WaitUntilGone(drive);
            break;
        case ProbeOutcome::TargetError:
            ProbeLog("target error " + where);
            WaitUntilGone(drive);
            break;
        case ProbeOutcome::ConnectionError:
            ProbeLog("connection error " + where);
            break;
    }
    Release(drive);
}

void CProbeMonitor::WaitUntilGone(int drive) {
    CDriveChannel channel;
    while (channel.OpenDrive(drive) == 1) {
        channel.CloseDrive();
        std::this_thread::sleep_for(m_presencePeriod);
    }
    ProbeLog("gone " + SgName(drive));
}

bool CProbeMonitor::Claim(int drive) {
    std::lock_guard lock(m_mutex);
    return m_busyDrives.insert(drive).second;
}

void CProbeMonitor::Release(int drive) {
    std::lock_guard lock(m_mutex);
    m_busyDrives.erase(drive);
}
