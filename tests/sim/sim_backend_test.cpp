#include "sim/sim_drive_backend.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

#include "device/cdb.h"
#include "device/drive_channel.h"
#include "tests/support/sim_backend_fixture.h"

namespace {

using Kind = CSimLogEntry::Kind;
constexpr std::uint32_t kDbAddress = kDatabasePlacement.firstAddress;
constexpr std::uint32_t kDbBlock = kDatabasePlacement.FirstBlock();
constexpr std::uint8_t kDbTarget = kDatabasePlacement.target;

class SimulatorTest : public SimBackendTest {
protected:
    void SetUp() override {
        SimBackendTest::SetUp();
        m_device = PlugTarget(0);
        ASSERT_EQ(m_channel.OpenDrive(0), 1);
        for (int i = 0; i < static_cast<int>(kDeviceBlockBytes); ++i) {
            m_data[i] = static_cast<std::uint8_t>(i);
        }
    }
    void TearDown() override {
        m_channel.CloseDrive();
        SimBackendTest::TearDown();
    }

    int WriteAndRead(std::uint32_t address) {
        m_channel.WriteBlock(m_data, kDbTarget, address);
        std::memset(m_back, 0, sizeof m_back);
        return m_channel.ReadBlock(m_back, kDbTarget, address);
    }
    bool ReadBackMatches() const { return std::memcmp(m_data, m_back, sizeof m_data) == 0; }

    std::shared_ptr<CSimulatedDevice> m_device;
    CDriveChannel m_channel;
    std::uint8_t m_data[kDeviceBlockBytes];
    std::uint8_t m_back[kDeviceBlockBytes];
};

TEST_F(SimulatorTest, BlocksNeverWrittenReadAsErased) {
    std::uint8_t back[kDeviceBlockBytes] = {};
    ASSERT_EQ(m_channel.ReadBlock(back, kDbTarget, kDbAddress), 1);
    for (std::uint8_t byte : back) {
        ASSERT_EQ(byte, 0xFF);
    }
    EXPECT_EQ(m_device->BlocksWritten(), 0u);
}

TEST_F(SimulatorTest, StoresPerTargetByteAndBlock) {
    ASSERT_EQ(WriteAndRead(kDbAddress), 1);
    EXPECT_TRUE(ReadBackMatches());
    EXPECT_EQ(m_device->StoredBlock(0, kDbBlock)[5], 0xFF);  // another target byte
    EXPECT_EQ(m_device->StoredBlock(kDbTarget, kDbBlock + 1)[5], 0xFF);
    EXPECT_EQ(m_device->StoredBlock(kDbTarget, kDbBlock)[5], 5);
    EXPECT_EQ(m_device->BlocksWritten(), 1u);
    EXPECT_EQ(m_device->BlocksVerified(), 1u);
    auto memory = m_device->ReadMemory(kDbTarget, kDbBlock, 1030);
    ASSERT_EQ(memory.size(), 1030u);
    EXPECT_EQ(memory[1023], 0xFF & 1023);
    EXPECT_EQ(memory[kDeviceBlockBytes], 0xFF);
}

TEST_F(SimulatorTest, AFailingReadBackFailsTheCallForTheGivenCount) {
    m_device->FailReadBacks(kDbBlock + 2, 2);
    EXPECT_EQ(WriteAndRead(kDbAddress), 1);
    EXPECT_EQ(WriteAndRead(kDbAddress + 2048), 0);
    EXPECT_EQ(WriteAndRead(kDbAddress + 2048), 0);
    EXPECT_EQ(WriteAndRead(kDbAddress + 2048), 1);
    EXPECT_TRUE(ReadBackMatches());
}

TEST_F(SimulatorTest, ADifferingReadBackAltersTheDataForTheGivenCount) {
    m_device->CorruptReadBacks(CSimulatedDevice::kAnyBlock, 1);
    EXPECT_EQ(WriteAndRead(kDbAddress), 1);
    EXPECT_FALSE(ReadBackMatches());
    EXPECT_EQ(m_device->BlocksVerified(), 0u);
    EXPECT_EQ(WriteAndRead(kDbAddress), 1);
    EXPECT_TRUE(ReadBackMatches());
    EXPECT_EQ(m_device->BlocksVerified(), 1u);
}

TEST_F(SimulatorTest, FaultsForeverKeepFailing) {
    m_device->FailReadBacks(CSimulatedDevice::kAnyBlock, CSimulatedDevice::kForever);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(WriteAndRead(kDbAddress + kDeviceBlockBytes * i), 0);
    }
}

TEST_F(SimulatorTest, UnplugAfterCommandsCompletesTheLastCommandThenGoes) {
    m_device->UnplugAfterCommands(3);
    EXPECT_EQ(WriteAndRead(kDbAddress), 1);  // commands 1 and 2
    EXPECT_EQ(m_channel.WriteBlock(m_data, kDbTarget, kDbAddress + kDeviceBlockBytes),
              1);  // 3: completes
    EXPECT_EQ(m_channel.ReadBlock(m_back, kDbTarget, kDbAddress + kDeviceBlockBytes), 0);  // gone
    EXPECT_EQ(m_channel.Reopen(), 0);
    CDriveChannel other;
    EXPECT_EQ(other.OpenDrive(0), 0);
    EXPECT_EQ(m_device->StoredBlock(kDbTarget, kDbBlock + 1)[9], 9);
}

TEST_F(SimulatorTest, AHandleFromBeforeAnUnplugFailsAlsoAfterTheReplug) {
    m_backend.Unplug(0);
    EXPECT_EQ(WriteAndRead(kDbAddress), 0);
    m_backend.Plug(0, m_device);
    EXPECT_EQ(WriteAndRead(kDbAddress), 0);
    CDriveChannel fresh;
    ASSERT_EQ(fresh.OpenDrive(0), 1);
    EXPECT_EQ(fresh.ReadBlock(m_back, kDbTarget, kDbAddress), 1);
    fresh.CloseDrive();
}

TEST_F(SimulatorTest, CommandDelayHoldsTheAnswer) {
    m_device->SetCommandDelay(std::chrono::milliseconds(20));
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(WriteAndRead(kDbAddress), 1);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(40));
}

TEST_F(SimulatorTest, APullWhileACommandIsInFlightFailsIt) {
    m_device->SetCommandHook([this](const std::uint8_t* cdb) {
        if (cdb[0] == SCSIOP_READ_BLOCK) {
            m_backend.Unplug(0);
        }
    });
    EXPECT_EQ(WriteAndRead(kDbAddress), 0);
    EXPECT_EQ(m_device->WriteCount(), 1u);
    EXPECT_EQ(m_device->ReadCount(), 0u);
}

TEST_F(SimulatorTest, LogsOpensRequestsAndCloses) {
    m_backend.ClearLog();
    WriteAndRead(kDbAddress);
    m_channel.CloseDrive();
    auto log = m_backend.Log();
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0].kind, Kind::kRequest);
    EXPECT_EQ(log[0].cdb[0], SCSIOP_WRITE_BLOCK);
    EXPECT_EQ(log[0].dataIn, SCSI_IOCTL_DATA_OUT);
    EXPECT_EQ(log[0].lun, 1);
    EXPECT_EQ(log[0].length, kDeviceBlockBytes);
    EXPECT_TRUE(log[0].succeeded);
    EXPECT_EQ(log[1].cdb[0], SCSIOP_READ_BLOCK);
    EXPECT_EQ(log[1].dataIn, SCSI_IOCTL_DATA_IN);
    EXPECT_EQ(log[2].kind, Kind::kClose);
    EXPECT_EQ(log[2].drive, 0);

    m_backend.SetLogging(false);
    ASSERT_EQ(m_channel.OpenDrive(0), 1);
    EXPECT_EQ(m_backend.Log().size(), 3u);
}

TEST_F(SimulatorTest, AnOrdinaryDiskAnswersWithCheckConditionAndSense) {
    m_backend.Plug(1, CSimulatedDevice::OrdinaryDisk());
    CDriveChannel disk;
    ASSERT_EQ(disk.OpenDrive(1), 1);
    PassThroughRequest request;
    disk.FillRequest(request, m_back, SCSI_IOCTL_DATA_IN);
    const Cdb12 cdb = MakeBlockCdb(SCSIOP_READ_BLOCK, 1, 0);
    CDriveChannel::SetCdb(request, cdb.data(), 12);
    EXPECT_TRUE(m_backend.Send(m_backend.Log().back().handle, &request, sizeof request));
    EXPECT_EQ(request.Header.ScsiStatus, 0x02);
    EXPECT_EQ(request.SenseBuffer[2], 0x05);  // ILLEGAL REQUEST
    EXPECT_EQ(m_backend.DeviceAt(1)->WriteCount(), 0u);
    disk.CloseDrive();
}

// Plugging and pulling from one thread while others open, send and close must neither crash
// nor leave a handle counted as open.
TEST(SimulatorThreads, PlugAndUnplugFromAnyThreadWhileCommandsRun) {
    CSimDriveBackend backend;
    backend.SetLogging(false);
    std::atomic<bool> stop{false};
    std::vector<std::thread> users;
    for (int t = 0; t < 4; ++t) {
        users.emplace_back([&, t] {
            std::uint8_t block[kDeviceBlockBytes] = {};
            while (!stop) {
                HANDLE h = backend.Open(t % 2);
                PassThroughRequest request;
                CDriveChannel channel;
                channel.FillRequest(request, block, SCSI_IOCTL_DATA_IN);
                const Cdb12 cdb = MakeBlockCdb(SCSIOP_READ_BLOCK, 1, 0);
                CDriveChannel::SetCdb(request, cdb.data(), 12);
                backend.Send(h, &request, sizeof request);
                backend.Close(h);
            }
        });
    }
    auto device = CSimulatedDevice::UpdateMode();
    for (int i = 0; i < 2000; ++i) {
        if (i % 2 == 0) {
            backend.Plug(i % 4 / 2, device);
        } else {
            backend.Unplug(i % 4 / 2);
        }
    }
    stop = true;
    for (std::thread& user : users) {
        user.join();
    }
    EXPECT_EQ(backend.OpenHandleCount(), 0);
}

TEST(SimulatorIsolation, EachBackendStartsEmpty) {
    CSimDriveBackend first;
    first.Plug(3, CSimulatedDevice::UpdateMode());
    CSimDriveBackend second;
    EXPECT_EQ(second.DeviceAt(3), nullptr);
    EXPECT_EQ(second.Open(3), INVALID_HANDLE_VALUE);
    EXPECT_EQ(second.Open(CSimDriveBackend::kDriveCount), INVALID_HANDLE_VALUE);
}

}  // namespace
