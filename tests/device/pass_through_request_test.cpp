#include "device/pass_through_request.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "device/drive_channel.h"
#include "platform/drive_backend_override.h"
#include "tests/device/capturing_backend.h"

namespace {

class RequestFieldsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(m_channel.OpenDrive(0), 1); }
    void TearDown() override { m_channel.CloseDrive(); }

    PassThroughRequest LastRequest() const {
        PassThroughRequest request;
        const std::vector<std::uint8_t>& bytes = m_backend.requests.back();
        EXPECT_EQ(bytes.size(), sizeof request);
        std::memcpy(&request, bytes.data(), sizeof request);
        return request;
    }

    CCapturingBackend m_backend;
    CScopedDriveBackend m_backendInPlace{&m_backend};
    CDriveChannel m_channel;
    std::uint8_t m_buffer[kDeviceBlockBytes] = {};
};

// Every command, whatever it is, carries the same fixed fields and an untouched tail.
class EveryCommandTest
    : public RequestFieldsTest,
      public ::testing::WithParamInterface<std::function<int(CDriveChannel&, std::uint8_t*)>> {};

TEST_P(EveryCommandTest, CarriesTheFixedFieldsAndAZeroSenseArea) {
    ASSERT_EQ(GetParam()(m_channel, m_buffer), 1);
    PassThroughRequest request = LastRequest();
    EXPECT_EQ(request.Header.Length, sizeof(SCSI_PASS_THROUGH_DIRECT));
    EXPECT_EQ(request.Header.ScsiStatus, 0);
    EXPECT_EQ(request.Header.PathId, 0);
    EXPECT_EQ(request.Header.TargetId, 0);
    EXPECT_EQ(request.Header.CdbLength, 12);
    EXPECT_EQ(request.Header.SenseInfoLength, 32);
    EXPECT_EQ(request.Header.DataTransferLength, kDeviceBlockBytes);
    EXPECT_EQ(request.Header.TimeOutValue, 5000u);
    EXPECT_EQ(request.Header.DataBuffer, m_buffer);
    EXPECT_EQ(request.Header.SenseInfoOffset, offsetof(PassThroughRequest, SenseBuffer));
    EXPECT_EQ(request.Header.Lun, request.Header.Cdb[1]);
    for (int i = 12; i < 16; ++i) {
        EXPECT_EQ(request.Header.Cdb[i], 0) << "Cdb[" << i << "]";
    }
    EXPECT_EQ(request.Filler, 0u);
    for (std::uint8_t byte : request.SenseBuffer) {
        ASSERT_EQ(byte, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Commands, EveryCommandTest,
    ::testing::Values([](CDriveChannel& c, std::uint8_t* b) { return c.Inquiry(b); },
                      [](CDriveChannel& c, std::uint8_t* b) {
                          return c.WriteBlock(b, kDatabasePlacement.target,
                                              kDatabasePlacement.firstAddress);
                      },
                      [](CDriveChannel& c, std::uint8_t* b) { return c.ReadBlock(b, 0x1FF, 0); }));

struct DirectionCase {
    const char* name;
    std::function<int(CDriveChannel&, std::uint8_t*)> command;
    std::uint8_t dataIn;
    std::uint8_t lun;
};

class DirectionTest : public RequestFieldsTest,
                      public ::testing::WithParamInterface<DirectionCase> {};

TEST_P(DirectionTest, SetsDataInAndLunFromTheCommand) {
    ASSERT_EQ(GetParam().command(m_channel, m_buffer), 1);
    PassThroughRequest request = LastRequest();
    EXPECT_EQ(request.Header.DataIn, GetParam().dataIn);
    EXPECT_EQ(request.Header.Lun, GetParam().lun);
}

INSTANTIATE_TEST_SUITE_P(
    Commands, DirectionTest,
    ::testing::Values(
        DirectionCase{"Inquiry", [](CDriveChannel& c, std::uint8_t* b) { return c.Inquiry(b); },
                      SCSI_IOCTL_DATA_IN, 0},
        DirectionCase{"WriteFirmware",
                      [](CDriveChannel& c, std::uint8_t* b) {
                          return c.WriteBlock(b, kFirmwarePlacement.target,
                                              kFirmwarePlacement.firstAddress);
                      },
                      SCSI_IOCTL_DATA_OUT, 0},
        DirectionCase{"ReadDatabase",
                      [](CDriveChannel& c, std::uint8_t* b) {
                          return c.ReadBlock(b, kDatabasePlacement.target,
                                             kDatabasePlacement.firstAddress);
                      },
                      SCSI_IOCTL_DATA_IN, 1},
        DirectionCase{"TargetByteOnly",
                      [](CDriveChannel& c, std::uint8_t* b) { return c.ReadBlock(b, 256, 0); },
                      SCSI_IOCTL_DATA_IN, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FillRequest, ClearsWhatWasThereAndSetCdbComesAfter) {
    CDriveChannel channel;
    PassThroughRequest request;
    std::memset(&request, 0xAB, sizeof request);
    std::uint8_t buffer[kDeviceBlockBytes];
    channel.FillRequest(request, buffer, SCSI_IOCTL_DATA_OUT);
    EXPECT_EQ(request.Header.Lun, 0);
    EXPECT_EQ(request.Header.CdbLength, 0);
    EXPECT_EQ(request.Header.ScsiStatus, 0);
    EXPECT_EQ(request.Filler, 0u);

    const std::uint8_t cdb[12] = {SCSIOP_READ_BLOCK, 0x07, 1, 2, 3, 4, 0, 0, 1, 0, 0, 0};
    CDriveChannel::SetCdb(request, cdb, 12);
    EXPECT_EQ(request.Header.Lun, 0x07);
    EXPECT_EQ(request.Header.CdbLength, 12);
    EXPECT_EQ(0, std::memcmp(request.Header.Cdb, cdb, 12));
    EXPECT_EQ(request.Header.Cdb[12], 0);
}

TEST(Commands, OnAClosedChannelFailAndSendNothing) {
    CCapturingBackend backend;
    CScopedDriveBackend backendInPlace(&backend);
    CDriveChannel channel;
    std::uint8_t buffer[kDeviceBlockBytes] = {};
    EXPECT_EQ(channel.Inquiry(buffer), 0);
    EXPECT_EQ(channel.WriteBlock(buffer, 1, 0), 0);
    EXPECT_EQ(channel.ReadBlock(buffer, 1, 0), 0);
    EXPECT_TRUE(backend.requests.empty());
}

TEST(Commands, ReportThePlatformCallsResult) {
    CCapturingBackend backend;
    CScopedDriveBackend backendInPlace(&backend);
    CDriveChannel channel;
    std::uint8_t buffer[kDeviceBlockBytes] = {};
    ASSERT_EQ(channel.OpenDrive(3), 1);
    backend.sendSucceeds = false;
    EXPECT_EQ(channel.ReadBlock(buffer, 1, 0), 0);
    backend.sendSucceeds = true;
    EXPECT_EQ(channel.ReadBlock(buffer, 1, 0), 1);
    channel.CloseDrive();
}

}  // namespace
