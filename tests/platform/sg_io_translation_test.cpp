#include "platform/linux/sg_io_translation.h"

#include <gtest/gtest.h>

#include <cstring>

#include "device/cdb.h"
#include "device/drive_channel.h"
#include "device/pass_through_request.h"

namespace {

class SgIoTranslationTest : public ::testing::Test {
protected:
    sg_io_hdr_t Translate(std::uint8_t direction, std::uint32_t size = sizeof(PassThroughRequest)) {
        CDriveChannel channel;
        channel.FillRequest(m_request, m_buffer, direction);
        const Cdb12 cdb = MakeBlockCdb(SCSIOP_WRITE_BLOCK, 1, 0);
        CDriveChannel::SetCdb(m_request, cdb.data(), 12);
        EXPECT_TRUE(UnpackPassThroughBlock(&m_request, size, m_block));
        sg_io_hdr_t io;
        TranslateToSgIo(m_block, io);
        return io;
    }

    PassThroughRequest m_request;
    CPassThroughBlock m_block;
    std::uint8_t m_buffer[kDeviceBlockBytes] = {};
};

TEST_F(SgIoTranslationTest, CarriesCdbDataSenseAndTimeout) {
    sg_io_hdr_t io = Translate(SCSI_IOCTL_DATA_OUT);
    EXPECT_EQ(io.interface_id, 'S');
    EXPECT_EQ(io.dxfer_direction, SG_DXFER_TO_DEV);
    EXPECT_EQ(io.cmd_len, 12);
    EXPECT_EQ(io.cmdp, m_block.header.Cdb);
    EXPECT_EQ(io.cmdp[0], SCSIOP_WRITE_BLOCK);
    EXPECT_EQ(io.dxfer_len, kDeviceBlockBytes);
    EXPECT_EQ(io.dxferp, m_buffer);
    EXPECT_EQ(io.mx_sb_len, 32);
    EXPECT_EQ(io.sbp, m_request.SenseBuffer);
    EXPECT_EQ(io.timeout, 5000u * 1000u);
}

TEST_F(SgIoTranslationTest, DataInReadsFromTheDevice) {
    EXPECT_EQ(Translate(SCSI_IOCTL_DATA_IN).dxfer_direction, SG_DXFER_FROM_DEV);
}

// The cut itself is UnpackPassThroughBlock's (pass_through_block_test); the kernel gets it.
TEST_F(SgIoTranslationTest, ASenseAreaOutsideTheBlockIsCutToTheBlock) {
    sg_io_hdr_t io = Translate(SCSI_IOCTL_DATA_IN, offsetof(PassThroughRequest, SenseBuffer) + 10);
    EXPECT_EQ(io.mx_sb_len, 10);
    io = Translate(SCSI_IOCTL_DATA_IN, offsetof(PassThroughRequest, SenseBuffer));
    EXPECT_EQ(io.mx_sb_len, 0);
    EXPECT_EQ(io.sbp, nullptr);
}

struct OutcomeCase {
    int ioctlResult;
    unsigned char status;
    unsigned short hostStatus;
    unsigned short driverStatus;
    bool succeeded;
};

class SgIoOutcomeTest : public ::testing::TestWithParam<OutcomeCase> {};

TEST_P(SgIoOutcomeTest, OnlyTransportErrorsFailTheCall) {
    sg_io_hdr_t io{};
    io.status = GetParam().status;
    io.host_status = GetParam().hostStatus;
    io.driver_status = GetParam().driverStatus;
    EXPECT_EQ(SgIoSucceeded(GetParam().ioctlResult, io), GetParam().succeeded);
}

INSTANTIATE_TEST_SUITE_P(
    Outcomes, SgIoOutcomeTest,
    ::testing::Values(OutcomeCase{0, 0, 0, 0, true},
                      OutcomeCase{0, 0x02, 0, 0x08, true},  // CHECK CONDITION with sense
                      OutcomeCase{-1, 0, 0, 0, false},      // the ioctl itself failed
                      OutcomeCase{0, 0, 0x01, 0, false},    // DID_NO_CONNECT: device gone
                      OutcomeCase{0, 0, 0x03, 0, false},    // DID_TIME_OUT
                      OutcomeCase{0, 0, 0, 0x06, false}));  // DRIVER_TIMEOUT

TEST(SgIoResult, WritesBackStatusAndBytesMoved) {
    SCSI_PASS_THROUGH_DIRECT header{};
    header.DataTransferLength = kDeviceBlockBytes;
    sg_io_hdr_t io{};
    io.status = 0x02;
    io.resid = 988;
    CopySgIoResult(io, header);
    EXPECT_EQ(header.ScsiStatus, 0x02);
    EXPECT_EQ(header.DataTransferLength, kDeviceBlockBytes - 988);
}

TEST(ScsiGenericPath, NumbersTheNodeInDecimal) {
    EXPECT_EQ(ScsiGenericPath(3), "/dev/sg3");
    EXPECT_EQ(ScsiGenericPath(12), "/dev/sg12");
}

}  // namespace
