#include "tests/vm/probe/probe_bench.h"

#include <fcntl.h>
#include <scsi/sg.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <vector>

#include "device/cdb.h"
#include "device/drive_channel.h"
#include "platform/linux/sg_io_translation.h"
#include "tests/vm/probe/probe_sg_io.h"

namespace {
// Any place the device stores will do: target 0 from block 8000 is not where the database goes.
constexpr int kBenchTarget = 0;
constexpr std::uint32_t kBenchFirstBlock = 8000;

using Clock = std::chrono::steady_clock;
using Block = std::vector<std::uint8_t>;

double MicrosecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

bool ChannelRound(CDriveChannel& channel, int blocks, double& microseconds) {
    Block out(channel.BlockSize(), 0x5A);
    Block in(channel.BlockSize());
    auto start = Clock::now();
    for (int i = 0; i < blocks; ++i) {
        std::uint32_t address =
            (kBenchFirstBlock + static_cast<std::uint32_t>(i)) * channel.BlockSize();
        if (channel.WriteBlock(out.data(), kBenchTarget, address) != 1 ||
            channel.ReadBlock(in.data(), kBenchTarget, address) != 1) {
            return false;
        }
    }
    microseconds += MicrosecondsSince(start);
    return true;
}

sg_io_hdr_t PreparedRequest(Cdb12& cdb, Block& data, int direction, std::uint8_t* sense) {
    return PreparedSgIo(cdb.data(), static_cast<unsigned char>(cdb.size()), data.data(),
                        static_cast<unsigned>(data.size()), direction, sense, kProbeSenseBytes);
}

bool BareRound(int fd, std::uint32_t blockBytes, int blocks, double& microseconds) {
    Block out(blockBytes, 0xA5);
    Block in(blockBytes);
    std::uint8_t sense[kProbeSenseBytes];
    auto start = Clock::now();
    for (int i = 0; i < blocks; ++i) {
        std::uint32_t block = kBenchFirstBlock + static_cast<std::uint32_t>(i);
        Cdb12 write = MakeBlockCdb(SCSIOP_WRITE_BLOCK, kBenchTarget, block);
        Cdb12 read = MakeBlockCdb(SCSIOP_READ_BLOCK, kBenchTarget, block);
        sg_io_hdr_t writeIo = PreparedRequest(write, out, SG_DXFER_TO_DEV, sense);
        sg_io_hdr_t readIo = PreparedRequest(read, in, SG_DXFER_FROM_DEV, sense);
        if (::ioctl(fd, SG_IO, &writeIo) != 0 || !SgIoSucceeded(0, writeIo) ||
            ::ioctl(fd, SG_IO, &readIo) != 0 || !SgIoSucceeded(0, readIo)) {
            return false;
        }
    }
    microseconds += MicrosecondsSince(start);
    return true;
}
}  // namespace

bool MeasureBlockRoundTrip(int drive, int blocks, int rounds, CBenchFigures& figures) {
    CDriveChannel channel;
    int fd = ::open(ScsiGenericPath(drive).c_str(), O_RDWR | O_CLOEXEC);
    if (blocks <= 0 || rounds <= 0 || fd < 0 || channel.OpenDrive(drive) != 1) {
        if (fd >= 0) {
            ::close(fd);
        }
        return false;
    }
    double channelTotal = 0;
    double bareTotal = 0;
    bool ok = true;
    for (int round = 0; ok && round < rounds; ++round) {
        ok = BareRound(fd, channel.BlockSize(), blocks, bareTotal) &&
             ChannelRound(channel, blocks, channelTotal);
    }
    channel.CloseDrive();
    ::close(fd);
    figures.channelMicrosecondsPerBlock = channelTotal / (blocks * rounds);
    figures.bareMicrosecondsPerBlock = bareTotal / (blocks * rounds);
    return ok;
}
