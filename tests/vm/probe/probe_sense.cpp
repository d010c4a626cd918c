#include "tests/vm/probe/probe_sense.h"

#include <fcntl.h>
#include <scsi/sg.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "device/cdb.h"
#include "device/drive_channel.h"
#include "platform/linux/sg_io_translation.h"
#include "tests/vm/probe/probe_sg_io.h"

namespace {
// A vendor opcode between the two the firmware knows, shaped like them, which it rejects.
constexpr std::uint8_t kUnknownVendorOpcode = 0xC9;
static_assert(kUnknownVendorOpcode != SCSIOP_WRITE_BLOCK &&
              kUnknownVendorOpcode != SCSIOP_READ_BLOCK && kUnknownVendorOpcode != SCSIOP_INQUIRY);
constexpr std::uint8_t kCheckCondition = 0x02;
constexpr std::uint8_t kSenseKeyIllegalRequest = 0x05;
constexpr std::uint8_t kAscInvalidOpcode = 0x20;

using Sense = std::array<std::uint8_t, kProbeSenseBytes>;

std::string Describe(const sg_io_hdr_t& io, const Sense& sense) {
    char text[128];
    std::snprintf(text, sizeof text,
                  "status 0x%02X host 0x%X driver 0x%X sense %u bytes: key 0x%X asc 0x%02X",
                  io.status, io.host_status, io.driver_status, io.sb_len_wr, sense[2] & 0x0F,
                  sense[12]);
    return text;
}
}  // namespace

bool RejectedCommandCarriesSense(int drive, std::string& what) {
    int fd = ::open(ScsiGenericPath(drive).c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        what = "cannot open " + ScsiGenericPath(drive);
        return false;
    }
    Cdb12 cdb = MakeBlockCdb(kUnknownVendorOpcode, 0, 0);
    std::vector<std::uint8_t> data(CDriveChannel().BlockSize());
    Sense sense{};
    sg_io_hdr_t io = PreparedSgIo(cdb.data(), static_cast<unsigned char>(cdb.size()), data.data(),
                                  static_cast<unsigned>(data.size()), SG_DXFER_FROM_DEV,
                                  sense.data(), kProbeSenseBytes);
    int result = ::ioctl(fd, SG_IO, &io);
    ::close(fd);
    what = Describe(io, sense);
    // Like the product, the transport call itself succeeds: the device answered.
    return result == 0 && SgIoSucceeded(result, io) && io.status == kCheckCondition &&
           (sense[2] & 0x0F) == kSenseKeyIllegalRequest && sense[12] == kAscInvalidOpcode;
}
