#include "update/download_image.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "device/cdb.h"
#include "platform/sleep_override.h"
#include "tests/support/bar_recorder.h"
#include "tests/support/sim_backend_fixture.h"
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
    // A file of `bytes` bytes, all of them a hole but the last: only its length matters to the
    // address check. Written with a seek, since std::filesystem::resize_file refuses lengths
    // above 2 GiB where off_t has 32 bits (the x86 Windows build).
    std::u16string SparseImage(std::uint64_t bytes) {
        std::ofstream out(m_dir.Path() / "big.bin", std::ios::binary | std::ios::trunc);
        out.seekp(static_cast<std::streamoff>(bytes - 1));
        out.put('\0');
        out.close();
        EXPECT_TRUE(out) << "cannot write a file of " << bytes << " bytes";
        return m_dir.PathOf("big.bin");
    }

    std::vector<CSimLogEntry> Requests() const { return m_backend.RequestsTo(0); }

    CTempDir m_dir;
    // A transfer that ends sooner than the image's quiet time waits out the rest of it.
    CScopedSleepDivisor m_fasterPauses{100};
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
    for (const CSimLogEntry& request : requests) {
        EXPECT_EQ(request.buffer % kDataBufferAlignment, 0u) << "an adapter refuses such a buffer";
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

// The device decides before the file: a read-back that fails in the block in which the file
// was cut is a connection error, which ends the worker's attempts at once.
TEST_F(DownloadImageTest, AFailedReadBackOutweighsAFileCutInTheSameBlock) {
    std::u16string path = Image(10240);
    m_device->FailReadBacks(kDbBlock + 2, 1);
    m_device->SetCommandHook([&](const std::uint8_t* cdb) {
        if (CdbOpcode(cdb) == SCSIOP_WRITE_BLOCK && CdbBlockNumber(cdb) == kDbBlock + 2) {
            std::filesystem::resize_file(m_dir.Path() / kSampleImageName, 1000);
        }
    });
    EXPECT_EQ(DownloadImage(path, &m_channel, IMAGE_DB, 0), DL_CONNECTION_ERROR);
    m_device->SetCommandHook(nullptr);
    EXPECT_EQ(Requests().size(), 6u);
}

// A copy still coming in, whose next part arrives after the transfer read the last block it
// found: the device does not hold the image, and the next attempt writes the whole of it.
TEST_F(DownloadImageTest, AFileThatGrowsAfterItsLastBlockWasReadIsWrittenAnew) {
    std::u16string path = Image(4 * kDeviceBlockBytes);
    std::vector<unsigned char> whole = m_image;
    whole.resize(6 * kDeviceBlockBytes + 300, 0x3C);
    m_device->SetCommandHook([&](const std::uint8_t* cdb) {
        // The all-0xFF block after the four full ones: the transfer has reached the file's end.
        if (CdbOpcode(cdb) == SCSIOP_WRITE_BLOCK && CdbBlockNumber(cdb) == kDbBlock + 4) {
            std::ofstream(m_dir.Path() / kSampleImageName, std::ios::binary | std::ios::app)
                .write(reinterpret_cast<const char*>(whole.data()) + 4 * kDeviceBlockBytes,
                       static_cast<std::streamsize>(whole.size() - 4 * kDeviceBlockBytes));
            m_device->SetCommandHook(nullptr);
        }
    });
    EXPECT_EQ(DownloadImage(path, &m_channel, IMAGE_DB, 0), DL_FILE_OPEN_ERROR);
    EXPECT_EQ(DownloadImage(path, &m_channel, IMAGE_DB, 0), DL_OK);
    EXPECT_TRUE(DeviceHoldsImage(*m_device, whole));
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

// An image changed in place while it is written: rewritten with other bytes of the same length,
// cut short, or cut and written again longer (as a copy over it does). The change happens while
// the device takes block 1605; the device must never end up with a mix reported as a success.
struct ChangeCase {
    const char* name;
    std::size_t newBytes;
    bool cutFirst;  // the file is emptied before the new bytes are written, as a copy over it does
};

class ImageChangedInPlaceTest : public DownloadImageTest,
                                public ::testing::WithParamInterface<ChangeCase> {
protected:
    static constexpr std::uint32_t kChangeBlock = 1605;

    // Replaces the image's bytes in place (same file, same inode) when block kChangeBlock goes out.
    void ChangeAtBlock(const std::vector<unsigned char>& bytes, bool cutFirst) {
        m_device->SetCommandHook([this, bytes, cutFirst](const std::uint8_t* cdb) {
            Cdb12 expected = MakeBlockCdb(SCSIOP_WRITE_BLOCK, 1, kChangeBlock);
            if (std::equal(expected.begin(), expected.end(), cdb) && !m_changed.exchange(true)) {
                Rewrite(bytes, cutFirst);
            }
        });
    }
    void Rewrite(const std::vector<unsigned char>& bytes, bool cutFirst) const {
        std::filesystem::path path = m_dir.Path() / "Tarvik_000001_DB.bin";
        if (cutFirst) {
            std::filesystem::resize_file(path, 0);
        }
        std::fstream out(path, std::ios::binary | std::ios::in | std::ios::out);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (bytes.size() < std::filesystem::file_size(path)) {
            std::filesystem::resize_file(path, bytes.size());
        }
    }

    std::atomic<bool> m_changed{false};
};

TEST_P(ImageChangedInPlaceTest, FailsAsAFileErrorAndTheNextAttemptWritesTheNewVersionWhole) {
    const ChangeCase& c = GetParam();
    std::u16string path = Image(100 * 1024);
    std::vector<unsigned char> newer(c.newBytes);
    for (std::size_t i = 0; i < newer.size(); ++i) {
        newer[i] = static_cast<unsigned char>(0xA5 ^ (i * 7));
    }
    ChangeAtBlock(newer, c.cutFirst);
    EXPECT_EQ(DownloadImage(path, &m_channel, IMAGE_DB, 0), DL_FILE_OPEN_ERROR);
    ASSERT_TRUE(m_changed);
    std::vector<int> shown = m_bar->Positions();
    EXPECT_TRUE(std::all_of(shown.begin(), shown.end(), [](int pos) { return pos <= 100; }));
    if (c.newBytes < 5 * 1024) {
        // Cut below what was already written: nothing read ahead before the cut goes out.
        EXPECT_EQ(Requests().back().cdb, MakeBlockCdb(SCSIOP_READ_BLOCK, 1, kChangeBlock));
    }

    // What the worker does next: the same path again, from its first block.
    m_device->SetCommandHook(nullptr);
    EXPECT_EQ(DownloadImage(path, &m_channel, IMAGE_DB, 0), DL_OK);
    std::vector<unsigned char> expected = newer;
    expected.resize((newer.size() / 1024 + 1) * 1024, 0xFF);
    EXPECT_EQ(m_device->ReadMemory(1, 1600, expected.size()), expected);
    EXPECT_EQ(m_bar->Positions().back(), 100);
}

INSTANTIATE_TEST_SUITE_P(Changes, ImageChangedInPlaceTest,
                         ::testing::Values(ChangeCase{"RewrittenSameLength", 100 * 1024, false},
                                           ChangeCase{"CutBelowWhatWasWritten", 3 * 1024 + 100,
                                                      false},
                                           ChangeCase{"CutInsideTheReadAhead", 40 * 1024, false},
                                           ChangeCase{"CopiedOverLonger", 150 * 1024, true},
                                           ChangeCase{"CopiedOverShorter", 2 * 1024, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// A rename over the image or its removal leaves the open file as it was: that version is written
// whole, as before.
TEST_F(DownloadImageTest, AnImageReplacedByRenameMeanwhileIsWrittenInItsOpenedVersion) {
    std::u16string path = Image(20 * 1024);
    std::vector<unsigned char> opened = m_image;
    m_dir.Write("next.bin", std::vector<unsigned char>(30 * 1024, 0x11));
    m_device->SetCommandHook([&](const std::uint8_t* cdb) {
        if (cdb[0] == SCSIOP_WRITE_BLOCK && cdb[5] == (1603 & 0xFF)) {
            std::error_code ignored;
            std::filesystem::rename(m_dir.Path() / "next.bin",
                                    m_dir.Path() / "Tarvik_000001_DB.bin", ignored);
        }
    });
    EXPECT_EQ(DownloadImage(path, &m_channel, IMAGE_DB, 0), DL_OK);
    m_device->SetCommandHook(nullptr);
    opened.resize(21 * 1024, 0xFF);
    EXPECT_EQ(m_device->ReadMemory(1, 1600, opened.size()), opened);
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
