#include "platform/linux/sg_io_translation.h"

#include <cstring>

namespace {
// The sg driver reports in driver_status that sense data was returned; that is not an error.
constexpr unsigned kDriverSenseFlag = 0x08;
constexpr unsigned kMillisecondsPerSecond = 1000;
}  // namespace

std::string ScsiGenericPath(int driveNumber) {
    return "/dev/sg" + std::to_string(driveNumber);
}

void TranslateToSgIo(const CPassThroughBlock& block, sg_io_hdr_t& io) {
    const SCSI_PASS_THROUGH_DIRECT& header = block.header;
    std::memset(&io, 0, sizeof io);
    io.interface_id = 'S';
    io.dxfer_direction = header.DataIn == SCSI_IOCTL_DATA_IN ? SG_DXFER_FROM_DEV : SG_DXFER_TO_DEV;
    io.cmd_len = header.CdbLength <= sizeof header.Cdb ? header.CdbLength : sizeof header.Cdb;
    // sg only reads the CDB; the field is not const in its header.
    io.cmdp = const_cast<unsigned char*>(header.Cdb);
    io.dxfer_len = block.dataLength;
    io.dxferp = block.data;
    if (block.sense != nullptr) {
        // SenseInfoLength is one byte, so the cut length fits mx_sb_len.
        io.mx_sb_len = static_cast<unsigned char>(block.senseLength);
        io.sbp = block.sense;
    }
    // The field counts seconds; SG_IO counts milliseconds. Saturate rather than wrap.
    std::uint64_t ms = std::uint64_t{header.TimeOutValue} * kMillisecondsPerSecond;
    io.timeout = ms > UINT32_MAX ? UINT32_MAX : static_cast<unsigned>(ms);
}

bool SgIoSucceeded(int ioctlResult, const sg_io_hdr_t& io) {
    return ioctlResult == 0 && io.host_status == 0 && (io.driver_status & ~kDriverSenseFlag) == 0;
}

void CopySgIoResult(const sg_io_hdr_t& io, SCSI_PASS_THROUGH_DIRECT& header) {
    header.ScsiStatus = io.status;
    if (io.resid > 0 && static_cast<std::uint32_t>(io.resid) <= header.DataTransferLength) {
        header.DataTransferLength -= static_cast<std::uint32_t>(io.resid);
    }
}
