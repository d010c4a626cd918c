#include "sim/usb_gadget/mass_storage_target.h"

#include <algorithm>
#include <cstring>
#include <thread>

#include "device/device_protocol.h"

namespace {
constexpr std::uint8_t kRequestSense = 0x03;
constexpr std::uint8_t kCheckCondition = 0x02;
// The room the model may fill with sense data; fixed-format sense needs 18 bytes.
constexpr std::uint32_t kModelSenseRoom = 32;
constexpr int kNeverPull = -1;
}  // namespace

CMassStorageTarget::CMassStorageTarget(std::shared_ptr<CSimulatedDevice> device)
    : m_device(std::move(device)), m_pendingSense(CGenericScsiResponder::NoSense()) {}

CCommandOutcome CMassStorageTarget::Execute(const CCommandBlockWrapper& cbw, std::uint8_t* data) {
    const std::uint8_t opcode = CdbOpcode(cbw.cdb.data());
    if (opcode == kRequestSense) {
        ++m_genericCommands;
        AnswerRequestSense(data, cbw.dataLength);
        return {CswStatus::kPassed, false};
    }
    if (CGenericScsiResponder::Handles(opcode)) {
        ++m_genericCommands;
        CScsiAnswer answer = CGenericScsiResponder::Answer(cbw.cdb.data(), data, cbw.dataLength);
        if (answer.status == kCheckCondition) {
            m_pendingSense = answer.sense;
            return {CswStatus::kFailed, false};
        }
        return {CswStatus::kPassed, false};
    }
    return RunOnModel(cbw, data);
}

CCommandOutcome CMassStorageTarget::RunOnModel(const CCommandBlockWrapper& cbw,
                                               std::uint8_t* data) {
    // The request a host's pass-through layer would have built for this command.
    SCSI_PASS_THROUGH_DIRECT header{};
    header.Length = sizeof header;
    header.Lun = cbw.lun;
    header.CdbLength = cbw.cdbLength;
    header.SenseInfoLength = kModelSenseRoom;
    header.DataIn = cbw.dataIn ? SCSI_IOCTL_DATA_IN : SCSI_IOCTL_DATA_OUT;
    header.DataTransferLength = cbw.dataLength;
    header.DataBuffer = data;
    std::copy_n(cbw.cdb.begin(), cbw.cdbLength, header.Cdb);

    std::this_thread::sleep_for(m_device->CommandDelay());
    std::uint8_t sense[kModelSenseRoom] = {};
    bool called = m_device->Execute(header, sense, sizeof sense);
    NoteWrite(CdbOpcode(cbw.cdb.data()));
    bool pull = m_device->CountCommandForUnplug();
    if (pull) {
        // One pull per arming: the device that comes back stays plugged.
        m_device->UnplugAfterCommands(kNeverPull);
    }
    if (!called) {
        ++m_failedCalls;
        return {CswStatus::kPhaseError, pull};
    }
    if (header.ScsiStatus == kCheckCondition) {
        std::copy_n(sense, m_pendingSense.size(), m_pendingSense.begin());
        return {CswStatus::kFailed, pull};
    }
    return {CswStatus::kPassed, pull};
}

void CMassStorageTarget::AnswerRequestSense(std::uint8_t* data, std::uint32_t length) {
    std::copy_n(m_pendingSense.begin(), std::min<std::size_t>(length, m_pendingSense.size()), data);
    m_pendingSense = CGenericScsiResponder::NoSense();
}

void CMassStorageTarget::NoteWrite(std::uint8_t opcode) {
    if (opcode != SCSIOP_WRITE_BLOCK) {
        return;
    }
    std::lock_guard lock(m_timeMutex);
    if (!m_firstWrite) {
        m_firstWrite = std::chrono::steady_clock::now();
    }
}

std::optional<std::chrono::steady_clock::time_point> CMassStorageTarget::FirstWriteTime() const {
    std::lock_guard lock(m_timeMutex);
    return m_firstWrite;
}
