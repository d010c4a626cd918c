#include "device/drive_channel.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "device/cdb.h"
#include "platform/drive_backend_override.h"
#include "tests/device/capturing_backend.h"
#include "tests/support/sim_backend_fixture.h"

namespace {

using Kind = CSimLogEntry::Kind;

class DriveChannelTest : public SimBackendTest {
protected:
    int CountOf(Kind kind) const {
        int count = 0;
        for (const CSimLogEntry& entry : m_backend.Log()) {
            count += entry.kind == kind ? 1 : 0;
        }
        return count;
    }
};

TEST_F(DriveChannelTest, OpenDriveOpensTheNumberedDriveAndLeavesTheRecordedNumber) {
    PlugTarget(12);
    CDriveChannel channel;
    EXPECT_EQ(channel.OpenDrive(12), 1);
    EXPECT_TRUE(channel.IsOpen());
    EXPECT_EQ(channel.DriveNumber(), -1);
    EXPECT_EQ(m_backend.OpenHandleCount(12), 1);
    channel.CloseDrive();
    EXPECT_EQ(m_backend.OpenHandleCount(), 0);
}

TEST_F(DriveChannelTest, OpenDriveClosesTheOldHandleFirstAndEndsClosedOnFailure) {
    PlugTarget(1);
    CDriveChannel channel;
    ASSERT_EQ(channel.OpenDrive(1), 1);
    EXPECT_EQ(channel.OpenDrive(1), 1);
    EXPECT_EQ(m_backend.OpenHandleCount(1), 1);
    EXPECT_EQ(m_backend.MaxOpenHandles(1), 1);
    EXPECT_EQ(channel.OpenDrive(2), 0);
    EXPECT_FALSE(channel.IsOpen());
    EXPECT_EQ(m_backend.OpenHandleCount(), 0);
}

TEST_F(DriveChannelTest, ReopenUsesTheClaimedDriveAndServesAsPresenceProbe) {
    PlugTarget(4);
    CDriveChannel channel;
    channel.ClaimSlot(4);
    for (int probe = 0; probe < 5; ++probe) {
        EXPECT_EQ(channel.Reopen(), 1);
        EXPECT_EQ(m_backend.OpenHandleCount(4), 1);
    }
    EXPECT_EQ(m_backend.MaxOpenHandles(4), 1);
    m_backend.Unplug(4);
    EXPECT_EQ(channel.Reopen(), 0);
    EXPECT_EQ(m_backend.OpenHandleCount(), 0);
    channel.CloseDrive();
    EXPECT_EQ(CDriveChannel::FindSlot(4), -1);
}

TEST_F(DriveChannelTest, ReopenWithoutAClaimFails) {
    CDriveChannel channel;
    EXPECT_EQ(channel.Reopen(), 0);
}

TEST_F(DriveChannelTest, CloseDriveOnANewChannelClosesNothing) {
    CDriveChannel channel;
    channel.CloseDrive();
    EXPECT_EQ(CountOf(Kind::kClose), 0);
}

TEST_F(DriveChannelTest, IsTargetDeviceSendsOnlyInquiryAndClosesAgain) {
    PlugTarget(2);
    CDriveChannel channel;
    EXPECT_EQ(channel.IsTargetDevice(2), 1);
    EXPECT_FALSE(channel.IsOpen());
    EXPECT_EQ(m_backend.OpenHandleCount(), 0);
    auto requests = m_backend.RequestsTo(2);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].cdb, MakeInquiryCdb());
    EXPECT_EQ(requests[0].lun, 0);
    EXPECT_EQ(requests[0].dataIn, SCSI_IOCTL_DATA_IN);
    EXPECT_EQ(requests[0].length, kDeviceBlockBytes);
    EXPECT_EQ(requests[0].buffer % kDataBufferAlignment, 0u);
}

// The handle a worker writes through answers INQUIRY first; a drive that took the number and
// answers otherwise is left closed, as a drive that is gone.
TEST_F(DriveChannelTest, ReopenTargetKeepsOnlyAHandleThatAnsweredAsATarget) {
    PlugTarget(3);
    CDriveChannel channel;
    channel.ClaimSlot(3);
    EXPECT_EQ(channel.ReopenTarget(), 1);
    EXPECT_TRUE(channel.IsOpen());
    ASSERT_EQ(m_backend.RequestsTo(3).size(), 1u);
    EXPECT_EQ(m_backend.RequestsTo(3)[0].cdb, MakeInquiryCdb());
    m_backend.Plug(3, CSimulatedDevice::OrdinaryDisk());
    EXPECT_EQ(channel.ReopenTarget(), 0);
    EXPECT_FALSE(channel.IsOpen());
    EXPECT_EQ(m_backend.OpenHandleCount(), 0);
    m_backend.Unplug(3);
    EXPECT_EQ(channel.ReopenTarget(), 0);
    EXPECT_EQ(m_backend.RequestsTo(3).size(), 2u);  // nothing sent without a drive
    channel.CloseDrive();
}

TEST_F(DriveChannelTest, IsTargetDeviceOnAMissingDriveSendsNothing) {
    CDriveChannel channel;
    EXPECT_EQ(channel.IsTargetDevice(7), 0);
    EXPECT_EQ(CountOf(Kind::kRequest), 0);
    EXPECT_EQ(CountOf(Kind::kOpenFailed), 1);
}

TEST_F(DriveChannelTest, IsTargetDeviceLeavesTheTableAndTheRecordedDrive) {
    PlugTarget(2);
    CDriveChannel channel;
    ASSERT_EQ(channel.ClaimSlot(4), 0);
    EXPECT_EQ(channel.IsTargetDevice(2), 1);
    EXPECT_EQ(channel.DriveNumber(), 4);
    EXPECT_EQ(g_slotDrive[0], 4);
    EXPECT_EQ(g_slotDrive[1], -1);
}

TEST(IsTargetDevice, ClosesTheHandleWhenInquiryFails) {
    CCapturingBackend backend;
    backend.sendSucceeds = false;
    CScopedDriveBackend backendInPlace(&backend);
    CDriveChannel channel;
    EXPECT_EQ(channel.IsTargetDevice(2), 0);
    EXPECT_EQ(backend.requests.size(), 1u);
    EXPECT_EQ(backend.closes, 1);
    EXPECT_FALSE(channel.IsOpen());
}

struct IdentityCase {
    const char* name;
    std::string vendor;
    std::string product;
    int expected;
};

class IdentityTest : public DriveChannelTest, public ::testing::WithParamInterface<IdentityCase> {};

TEST_P(IdentityTest, ComparesBytesEightToTwentyTwoExactly) {
    const IdentityCase& c = GetParam();
    m_backend.Plug(0, std::make_shared<CSimulatedDevice>(c.vendor, c.product, true));
    CDriveChannel channel;
    EXPECT_EQ(channel.IsTargetDevice(0), c.expected);
    EXPECT_EQ(m_backend.OpenHandleCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, IdentityTest,
    ::testing::Values(IdentityCase{"UpdateMode", "Firmware", " Update", 1},
                      IdentityCase{"ProductGoesOn", "Firmware", " Update Mode X", 1},
                      IdentityCase{"Capitals", "FIRMWARE", " UPDATE", 0},
                      IdentityCase{"FifteenthByteDiffers", "Firmware", " Updatf", 0},
                      IdentityCase{"NoLeadingBlank", "Firmware", "Update", 0},
                      IdentityCase{"OrdinaryDisk", "ATA", "Samsung SSD 870", 0}),
    [](const auto& info) { return std::string(info.param.name); });

// A device whose answer stops before byte 23 cannot match: the rest of the buffer stays zero.
class CShortAnswerBackend final : public CDriveBackend {
public:
    HANDLE Open(int) override { return reinterpret_cast<HANDLE>(std::intptr_t{7}); }
    bool Send(HANDLE, void* request, std::uint32_t) override {
        auto* header = static_cast<SCSI_PASS_THROUGH_DIRECT*>(request);
        std::memcpy(header->DataBuffer, "\0\0\0\0\0\0\0\0Firmware Updat", 22);
        return true;
    }
    void Close(HANDLE) override {}
};

TEST(IsTargetDevice, AnAnswerShorterThanTwentyThreeBytesIsNotATarget) {
    CShortAnswerBackend backend;
    CScopedDriveBackend backendInPlace(&backend);
    CDriveChannel channel;
    EXPECT_EQ(channel.IsTargetDevice(0), 0);
}

TEST_F(DriveChannelTest, BlockCommandsReachTheDeviceAndReadBackWhatWasWritten) {
    auto device = PlugTarget(5);
    CDriveChannel channel;
    ASSERT_EQ(channel.OpenDrive(5), 1);
    const CImagePlacement& db = kDatabasePlacement;
    std::uint8_t data[kDeviceBlockBytes];
    for (std::size_t i = 0; i < sizeof data; ++i) {
        data[i] = static_cast<std::uint8_t>(i * 7);
    }
    EXPECT_EQ(channel.WriteBlock(data, db.target, db.firstAddress), 1);
    std::uint8_t back[kDeviceBlockBytes] = {};
    EXPECT_EQ(channel.ReadBlock(back, db.target, db.firstAddress), 1);
    EXPECT_EQ(0, std::memcmp(data, back, sizeof data));
    EXPECT_EQ(device->StoredBlock(db.target, db.FirstBlock())[3], 21);
    channel.CloseDrive();
}

TEST_F(DriveChannelTest, AnOrdinaryDiskRejectsVendorCommandsWhileTheCallSucceeds) {
    m_backend.Plug(0, CSimulatedDevice::OrdinaryDisk());
    CDriveChannel channel;
    ASSERT_EQ(channel.OpenDrive(0), 1);
    std::uint8_t buffer[kDeviceBlockBytes];
    std::memset(buffer, 0x5A, sizeof buffer);
    EXPECT_EQ(channel.ReadBlock(buffer, 1, 0), 1);
    EXPECT_EQ(buffer[0], 0x5A);  // no data came back
    channel.CloseDrive();
}

}  // namespace
