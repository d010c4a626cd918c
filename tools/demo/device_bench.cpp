#include "tools/demo/device_bench.h"

#include "device/drive_channel.h"
#include "tools/kit/sample_image.h"

namespace {
// Commands a transfer spends per block: the write and its read-back.
constexpr int kCommandsPerBlock = 2;
// The monitor's INQUIRY that finds the device comes before the transfer.
constexpr int kCommandsBeforeTransfer = 1;
}  // namespace

CDeviceBench::CDeviceBench(CSimDriveBackend& backend, std::size_t imageBlocks)
    : m_backend(backend), m_imageBlocks(imageBlocks) {}

std::shared_ptr<CSimulatedDevice> CDeviceBench::MakeDevice(DeviceKind kind) const {
    if (kind == DeviceKind::kOrdinaryDisk) {
        return CSimulatedDevice::OrdinaryDisk();
    }
    auto device = CSimulatedDevice::UpdateMode();
    auto middleBlock =
        static_cast<std::uint32_t>(kDatabasePlacement.FirstBlock() + m_imageBlocks / 2);
    int blocksBeforePull = static_cast<int>(m_imageBlocks) * kPullPercent / 100;
    switch (kind) {
        case DeviceKind::kSlow:
            device->SetCommandDelay(kSlowCommandDelay);
            break;
        case DeviceKind::kFaultyReadBack:
            device->CorruptReadBacks(middleBlock, CSimulatedDevice::kForever);
            break;
        case DeviceKind::kPullsItself:
            device->UnplugAfterCommands(kCommandsBeforeTransfer +
                                        blocksBeforePull * kCommandsPerBlock);
            break;
        default:
            break;
    }
    return device;
}

std::shared_ptr<CSimulatedDevice> CDeviceBench::Plug(int drive, DeviceKind kind) {
    if (!ValidDrive(drive) || kind == DeviceKind::kNone) {
        return nullptr;
    }
    auto device = MakeDevice(kind);
    m_drives[drive] = {kind, device};
    m_backend.Plug(drive, device);
    return device;
}

void CDeviceBench::Unplug(int drive) {
    if (!ValidDrive(drive)) {
        return;
    }
    m_backend.Unplug(drive);
    m_drives[drive] = {};
}

void CDeviceBench::PullDuringTransfer(int drive) {
    if (!ValidDrive(drive)) {
        return;
    }
    if (m_backend.DeviceAt(drive) == nullptr) {
        Plug(drive, DeviceKind::kPullsItself);
        return;
    }
    m_backend.Unplug(drive);  // the bench keeps its record of the device
}

CDriveState CDeviceBench::State(int drive) const {
    CDriveState state;
    if (!ValidDrive(drive)) {
        return state;
    }
    const CBenchDrive& bench = m_drives[drive];
    state.kind = bench.kind;
    state.present = bench.device != nullptr && m_backend.DeviceAt(drive) == bench.device;
    state.slot = CDriveChannel::FindSlot(drive);
    if (bench.device) {
        state.blocksWritten = bench.device->BlocksWritten();
        state.blocksVerified = bench.device->BlocksVerified();
    }
    return state;
}

std::shared_ptr<CSimulatedDevice> CDeviceBench::Device(int drive) const {
    return ValidDrive(drive) ? m_drives[drive].device : nullptr;
}

const char* CDeviceBench::KindName(DeviceKind kind) {
    switch (kind) {
        case DeviceKind::kNone:
            return "";
        case DeviceKind::kUpdateMode:
            return "update mode";
        case DeviceKind::kSlow:
            return "update mode, slow";
        case DeviceKind::kFaultyReadBack:
            return "faulty read-back";
        case DeviceKind::kPullsItself:
            return "pulls itself at 40 %";
        case DeviceKind::kOrdinaryDisk:
            return "ordinary disk";
    }
    return "";
}
