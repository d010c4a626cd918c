#include "update/download_image.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "bar_recorder.h"
#include "device/cdb.h"
#include "sim_backend_fixture.h"
#include "tools/kit/sample_image.h"
#include "tools/kit/temp_dir.h"

namespace {

constexpr std::uint32_t kDbBlock = kDatabasePlacement.FirstBlock();
constexpr std::uint8_t kDbTarget = kDatabasePlacement.target;

class DownloadImageTest : public SimBackendTest {
protected:
    void SetUp() override {
        SimBackendTest::SetUp();
        m_device = PlugTarget(0);
        ASSERT_EQ(m_channel.OpenDrive(0), 1);
        m_bar = std::make_unique<CBarRecorder>(0);
    }
    void TearDown() override {
        m_bar.reset();
        m_channel.CloseDrive();
        SimBackendTest::TearDown();
    }

    std::u16string Image(std::size_t bytes) {
        m_image = MakeSampleImage(bytes);
        return m_dir.Write(kSampleImageName, m_image);
    }
    // A sparse file of `bytes` bytes: only its length matters to the address check.
    std::u16string SparseImage(std::uint64_t bytes) {
        std::filesystem::path path = m_dir.Path() / "big.bin";
        m_dir.Write("big.bin", {});
        std::filesystem::resize_file(path, bytes);
        return m_dir.PathOf("big.bin");
    }

    std::vector<CSimLogEntry> Requests() const { return m_backend.RequestsTo(0); }

    CTempDir m_dir;
    std::vector<unsigned char> m_image;
    std::shared_ptr<CSimulatedDevice> m_device;
    CDriveChannel m_channel;
    std::unique_ptr<CBarRecorder> m_bar;
};

TEST_F(DownloadImageTest, AnUnknownKindOpensNothingAndSendsNothing) {
    std::u16string path = Image(2500);
    for (int kind : {3, -1}) {
        EXPECT_EQ(DownloadImage(path, &m_channel, kind, 0), DL_TARGET_ERROR);
    }
    EXPECT_TRUE(Requests().empty());
    EXPECT_TRUE(m_bar->Positions().empty());
}

TEST_F(DownloadImageTest, AMissingFileSendsNothingAndLeavesTheBar) {
    EXPECT_EQ(DownloadImage(m_dir.PathOf("none.bin"), &m_channel, IMAGE_DB, 0), DL_FILE_OPEN_ERROR);
    EXPECT_TRUE(Requests().empty());
    EXPECT_TRUE(m_bar->Positions().empty());
}

struct TransferCase {
    const char* name;
    int kind;
    std::size_t bytes;
    CImagePlacement placement;
    std::vector<int> positions;  // as the bar saw them: one repaint per new position
};

class TransferTest : public DownloadImageTest,
                     public ::testing::WithParamInterface<TransferCase> {};

TEST_P(TransferTest, WritesConsecutivePaddedBlocksAndShowsThePercentage) {
    const TransferCase& c = GetParam();
    ASSERT_EQ(DownloadImage(Image(c.bytes), &m_channel, c.kind, 0), DL_OK);

    std::size_t blocks = ImageBlockCount(c.bytes);
    const std::uint8_t target = c.placement.target;
    auto requests = Requests();
    ASSERT_EQ(requests.size(), 2 * blocks);
    for (std::size_t i = 0; i < blocks; ++i) {
        std::uint32_t block = c.placement.FirstBlock() + static_cast<std::uint32_t>(i);
        EXPECT_EQ(requests[2 * i].cdb, MakeBlockCdb(SCSIOP_WRITE_BLOCK, target, block)) << i;
        EXPECT_EQ(requests[2 * i + 1].cdb, MakeBlockCdb(SCSIOP_READ_BLOCK, target, block)) << i;
        EXPECT_EQ(requests[2 * i].lun, target);
    }
    EXPECT_TRUE(DeviceHoldsImage(*m_device, m_image, c.placement));
    EXPECT_EQ(m_bar->Positions(), c.positions);
}

std::vector<int> OneToHundredShowingTheTruncations() {
    std::vector<int> shown;
    for (int block = 1; block <= 100; ++block) {
        int percent = block == 29 ? 28 : block == 57 ? 56 : block == 58 ? 57 : block;
        if (shown.empty() || shown.back() != percent) {
            shown.push_back(percent);
        }
    }
    return shown;
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, TransferTest,
    ::testing::Values(
        TransferCase{"Database2500", IMAGE_DB, 2500, kDatabasePlacement, {40, 81, 100}},
        TransferCase{"Voice2048", IMAGE_VOICE, 2048, kVoicePlacement, {50, 100}},
        TransferCase{"Firmware1000", IMAGE_FIRMWARE, 1000, kFirmwarePlacement, {100}},
        TransferCase{"EmptyFile", IMAGE_DB, 0, kDatabasePlacement, {100}},
        TransferCase{"Database102400", IMAGE_DB, 102400, kDatabasePlacement,
                     OneToHundredShowingTheTruncations()}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DownloadImageTest, ABlockThatFirstReadsBackDifferentIsSentAgain) {
    m_device->CorruptReadBacks(kDbBlock, 1);
    EXPECT_EQ(DownloadImage(Image(2500), &m_channel, IMAGE_DB, 0), DL_OK);
    auto requests = Requests();
    ASSERT_EQ(requests.size(), 8u);
    EXPECT_EQ(requests[2].cdb, MakeBlockCdb(SCSIOP_WRITE_BLOCK, kDbTarget, kDbBlock));
    EXPECT_EQ(requests[3].cdb, MakeBlockCdb(SCSIOP_READ_BLOCK, kDbTarget, kDbBlock));
}

TEST_F(DownloadImageTest, AFailedReadBackStopsAfterThatBlock) {
    m_device->FailReadBacks(kDbBlock + 2, 1);
    EXPECT_EQ(DownloadImage(Image(10240), &m_channel, IMAGE_DB, 0), DL_CONNECTION_ERROR);
    EXPECT_EQ(Requests().size(), 6u);
    EXPECT_EQ(m_bar->Positions(), (std::vector<int>{10, 20, 30}));
}

TEST_F(DownloadImageTest, ABlockIsSentAtMostEightTimes) {
    m_device->CorruptReadBacks(kDbBlock + 1, 7);
    EXPECT_EQ(DownloadImage(Image(2500), &m_channel, IMAGE_DB, 0), DL_OK);
    EXPECT_EQ(Requests().size(), 2u * (1 + 8 + 1));

    m_backend.ClearLog();
    m_device->CorruptReadBacks(kDbBlock + 1, 8);
    EXPECT_EQ(DownloadImage(Image(2500), &m_channel, IMAGE_DB, 0), DL_VERIFY_ERROR);
    auto requests = Requests();
    EXPECT_EQ(requests.size(), 2u * (1 + 8));
    EXPECT_EQ(requests.back().cdb, MakeBlockCdb(SCSIOP_READ_BLOCK, kDbTarget, kDbBlock + 1));
}

TEST_F(DownloadImageTest, AClosedChannelGivesAConnectionErrorAfterTheFirstBlock) {
    m_channel.CloseDrive();
    EXPECT_EQ(DownloadImage(Image(5000), &m_channel, IMAGE_DB, 0), DL_CONNECTION_ERROR);
    EXPECT_EQ(m_bar->Positions(), (std::vector<int>{20}));
    EXPECT_EQ(DownloadImage(Image(5000), nullptr, IMAGE_DB, 0), DL_CONNECTION_ERROR);
}

// 32-bit device addresses must not wrap: an image that would reach 2^32 is refused up front.
TEST_F(DownloadImageTest, AnImageReachingAddressTwoToTheThirtyTwoIsRefused) {
    const std::uint64_t dbLimit = (std::uint64_t{1} << 32) - kDatabasePlacement.firstAddress;
    EXPECT_EQ(DownloadImage(SparseImage(dbLimit), &m_channel, IMAGE_DB, 0), DL_TARGET_ERROR);
    EXPECT_EQ(DownloadImage(SparseImage(std::uint64_t{1} << 32), &m_channel, IMAGE_VOICE, 0),
              DL_TARGET_ERROR);
    EXPECT_TRUE(Requests().empty());

    // One byte less fits: the transfer starts (and stops at once on a device that is gone).
    m_backend.Unplug(0);
    EXPECT_EQ(DownloadImage(SparseImage(dbLimit - 1), &m_channel, IMAGE_DB, 0),
              DL_CONNECTION_ERROR);
    EXPECT_EQ(DownloadImage(SparseImage((std::uint64_t{1} << 32) - 1), &m_channel, IMAGE_VOICE, 0),
              DL_CONNECTION_ERROR);
    EXPECT_EQ(Requests().size(), 4u);
}

TEST_F(DownloadImageTest, ASlotOutsideTheTableShowsNothingButTheTransferRuns) {
    std::vector<std::unique_ptr<CBarRecorder>> others;
    for (int slot = 1; slot < kSlotCount; ++slot) {
        others.push_back(std::make_unique<CBarRecorder>(slot));
    }
    for (int slot : {-1, 4, 1000}) {
        EXPECT_EQ(DownloadImage(Image(2500), &m_channel, IMAGE_DB, slot), DL_OK);
    }
    EXPECT_TRUE(m_bar->Positions().empty());
    for (const auto& other : others) {
        EXPECT_TRUE(other->Positions().empty());
    }
    EXPECT_EQ(Requests().size(), 3u * 6u);
}

// A file that grows while it is written is written to its new end, and the percentage follows
// the new length.
TEST_F(DownloadImageTest, AFileThatGrowsMeanwhileIsWrittenToItsNewEnd) {
    constexpr std::size_t kFirstPart = 10 * kDeviceBlockBytes;
    std::u16string path = Image(kFirstPart);
    std::vector<unsigned char> grown = m_image;
    grown.resize(2 * kFirstPart, 0x5A);
    // Appended while the transfer writes its second block.
    m_device->SetCommandHook([&](const std::uint8_t* cdb) {
        if (CdbOpcode(cdb) == SCSIOP_WRITE_BLOCK && CdbBlockNumber(cdb) == kDbBlock + 1) {
            std::ofstream(m_dir.Path() / kSampleImageName, std::ios::binary | std::ios::app)
                .write(reinterpret_cast<const char*>(grown.data()) + kFirstPart, kFirstPart);
        }
    });
    EXPECT_EQ(DownloadImage(path, &m_channel, IMAGE_DB, 0), DL_OK);
    m_device->SetCommandHook(nullptr);
    EXPECT_TRUE(DeviceHoldsImage(*m_device, grown));
    EXPECT_EQ(m_bar->Positions().back(), 100);
}

// The bar repaints only when its filled width changes, so a long transfer costs at most one
// repaint per pixel of the bar plus one.
TEST_F(DownloadImageTest, AFullTransferRepaintsAtMostTheBarsWidthPlusOne) {
    m_bar.reset();
    CBarRecorder narrow(0, 37);
    ASSERT_EQ(DownloadImage(Image(300 * 1024), &m_channel, IMAGE_DB, 0), DL_OK);
    EXPECT_LE(narrow.RepaintCount(), 38);
    EXPECT_GE(narrow.RepaintCount(), 37);
}

}  // namespace
