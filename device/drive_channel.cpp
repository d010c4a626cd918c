#include "device/drive_channel.h"

#include <algorithm>
#include <cstring>

#include "device/cdb.h"

namespace {
bool AnswersAsTarget(const std::uint8_t* inquiryData) {
    return std::memcmp(inquiryData + kInquiryVendorOffset, kTargetVendor,
                       sizeof kTargetVendor - 1) == 0 &&
           std::memcmp(inquiryData + kInquiryProductOffset, kTargetProduct,
                       sizeof kTargetProduct - 1) == 0;
}
}  // namespace

int CDriveChannel::OpenDrive(int drive) {
    CloseHandleIfOpen();
    m_hDevice = GetDriveBackend().Open(drive);
    return IsOpen() ? 1 : 0;
}

int CDriveChannel::Reopen() {
    return OpenDrive(m_driveNumber);
}

int CDriveChannel::CloseDrive() {
    CloseHandleIfOpen();
    ReleaseSlotOf(m_driveNumber);
    return 0;
}

int CDriveChannel::IsTargetDevice(int drive) {
    int result = 0;
    if (OpenDrive(drive) == 1) {
        result = AnswersInquiryAsTarget() ? 1 : 0;
        CloseHandleIfOpen();
    }
    return result;
}

int CDriveChannel::ReopenTarget() {
    if (Reopen() == 1 && AnswersInquiryAsTarget()) {
        return 1;
    }
    CloseHandleIfOpen();
    return 0;
}

bool CDriveChannel::AnswersInquiryAsTarget() {
    // Zeroed, so that a short answer cannot match with bytes of an earlier one.
    alignas(kDataBufferAlignment) std::uint8_t buffer[kDeviceBlockBytes] = {};
    return Inquiry(buffer) == 1 && AnswersAsTarget(buffer);
}

int CDriveChannel::Inquiry(void* buffer) {
    Cdb12 cdb = MakeInquiryCdb();
    return SendCommand(cdb.data(), buffer, SCSI_IOCTL_DATA_IN);
}

int CDriveChannel::WriteBlock(const void* buffer, int target, std::uint32_t address) {
    Cdb12 cdb = MakeBlockCdb(SCSIOP_WRITE_BLOCK, target, address / m_blockSize);
    // The request carries one non-const data pointer for both directions; on a write the
    // platform only reads from it.
    return SendCommand(cdb.data(), const_cast<void*>(buffer), SCSI_IOCTL_DATA_OUT);
}

int CDriveChannel::ReadBlock(void* buffer, int target, std::uint32_t address) {
    bool good = false;
    return ReadBlock(buffer, target, address, good);
}

int CDriveChannel::ReadBlock(void* buffer, int target, std::uint32_t address, bool& good) {
    Cdb12 cdb = MakeBlockCdb(SCSIOP_READ_BLOCK, target, address / m_blockSize);
    std::uint8_t status = 0;
    int result = SendCommand(cdb.data(), buffer, SCSI_IOCTL_DATA_IN, &status);
    good = result == 1 && status == kScsiStatusGood;
    return result;
}

void CDriveChannel::FillRequest(PassThroughRequest& request, void* buffer,
                                std::uint8_t direction) const {
    std::memset(&request, 0, sizeof request);
    request.Header.Length = sizeof(SCSI_PASS_THROUGH_DIRECT);
    request.Header.PathId = 0;
    request.Header.TargetId = 0;
    request.Header.SenseInfoLength = kSenseInfoLength;
    request.Header.DataIn = direction;
    request.Header.DataTransferLength = m_blockSize;
    request.Header.TimeOutValue = kTimeOutSeconds;
    request.Header.DataBuffer = buffer;
    request.Header.SenseInfoOffset = offsetof(PassThroughRequest, SenseBuffer);
}

void CDriveChannel::SetCdb(PassThroughRequest& request, const std::uint8_t* cdb,
                           std::uint8_t length) {
    std::uint8_t copied = std::min<std::uint8_t>(length, sizeof request.Header.Cdb);
    request.Header.Lun = cdb[1];
    request.Header.CdbLength = length;
    std::memcpy(request.Header.Cdb, cdb, copied);
}

int CDriveChannel::SendCommand(const std::uint8_t* cdb, void* buffer, std::uint8_t direction,
                               std::uint8_t* status) {
    if (!IsOpen()) {
        return 0;
    }
    PassThroughRequest request;
    FillRequest(request, buffer, direction);
    SetCdb(request, cdb, kCdbLength);
    bool sent = GetDriveBackend().Send(m_hDevice, &request, sizeof request);
    if (status != nullptr) {
        *status = request.Header.ScsiStatus;
    }
    return sent ? 1 : 0;
}

void CDriveChannel::CloseHandleIfOpen() {
    if (IsOpen()) {
        GetDriveBackend().Close(m_hDevice);
        m_hDevice = INVALID_HANDLE_VALUE;
    }
}
