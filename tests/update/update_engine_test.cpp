#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <map>
#include <thread>

#include "device/cdb.h"
#include "tests/support/unopenable_file.h"
#include "tests/update/engine_fixture.h"
#include "update/hidden_test_command.h"
#include "update/image_lookup.h"

namespace {

const std::u16string kWait = u"Wait Connect..";
const std::u16string kSuccess = u"Success!!";

int Count(const std::vector<std::u16string>& texts, const std::u16string& text) {
    return static_cast<int>(std::count(texts.begin(), texts.end(), text));
}

int CountOpcode(const std::vector<CSimLogEntry>& requests, std::uint8_t opcode) {
    return static_cast<int>(
        std::count_if(requests.begin(), requests.end(),
                      [&](const CSimLogEntry& r) { return r.cdb[0] == opcode; }));
}

using UpdateEngineTest = EngineTest;

TEST_F(UpdateEngineTest, TheMonitorPreparesTheVisibleBarBeforeAnyWorker) {
    PlugTarget(0);
    PlaceImage(2000);
    StartMonitor();
    ASSERT_TRUE(WaitUntil([&] { return Bar(0).Text() == kSuccess; }));
    CTextProgressCtrl& bar = g_progress[0];
    EXPECT_EQ(bar.GetBackColor(), 0xFFFFFFu);
    EXPECT_EQ(bar.GetBarTextColor(), 0xFFFFFFu);
    EXPECT_EQ(bar.GetBarColor(), 0x008000u);
    EXPECT_EQ(bar.GetBackTextColor(), 0x008000u);
    EXPECT_TRUE(bar.IsTextEnabled());
    EXPECT_EQ(Bar(0).Texts().front(), kWait);  // before the worker's first text
    EXPECT_EQ(Bar(1).Texts().size(), 0u);      // the other bars keep what they had
}

TEST_F(UpdateEngineTest, ASuccessfulRunShowsPercentageThenSuccessUntilTheUnplug) {
    auto image = PlaceImage(5000);
    auto device = PlugTarget(2);
    StartMonitor();
    ASSERT_TRUE(WaitUntil([&] { return Bar(0).Text() == kSuccess; }));
    EXPECT_TRUE(Holds(*device, image));
    EXPECT_EQ(Bar(0).Pos(), 100);
    EXPECT_EQ(CDriveChannel::FindSlot(2), 0);

    // Kept while the device stays, and the device is not written again.
    std::uint64_t writes = device->WriteCount();
    std::uint64_t inquiries = device->InquiryCount();
    ASSERT_TRUE(WaitForScans(3));
    EXPECT_EQ(Bar(0).Text(), kSuccess);
    EXPECT_EQ(device->WriteCount(), writes);
    EXPECT_EQ(device->InquiryCount(), inquiries);

    m_backend.Unplug(2);
    ASSERT_TRUE(WaitUntil([&] { return Bar(0).Text() == kWait && NoSlotHeld(); }));
    EXPECT_EQ(Bar(0).Pos(), 0);
    EXPECT_EQ(Bar(0).Texts(), (std::vector<std::u16string>{kWait, u"", kSuccess, kWait}));
    std::vector<int> positions = Bar(0).Positions();
    ASSERT_FALSE(positions.empty());
    EXPECT_TRUE(std::is_sorted(positions.begin(), positions.end() - 1));
    EXPECT_EQ(positions.back(), 0);
    EXPECT_NE(std::find(positions.begin(), positions.end(), 100), positions.end());
}

TEST_F(UpdateEngineTest, AnUnplugDuringTheTransferFreesTheSlotAtOnce) {
    PlaceImage(100 * 1024);
    auto device = PlugTarget(0);
    // The monitor's INQUIRY and the worker's on its own handle, then 20 blocks written and read
    // back.
    device->UnplugAfterCommands(42);
    StartMonitor();
    ASSERT_TRUE(WaitUntil([&] {
        return Count(Bar(0).Texts(), u"Connection Error!!") == 1 && Bar(0).Text() == kWait &&
               NoSlotHeld();
    }));
    EXPECT_EQ(Bar(0).Texts(),
              (std::vector<std::u16string>{kWait, u"", u"Connection Error!!", kWait}));
    EXPECT_EQ(Bar(0).Pos(), 0);
    EXPECT_EQ(device->BlocksWritten(), 20u);
}

TEST_F(UpdateEngineTest, NoImageShowsItsTextUntilTheUnplugAndWritesNothing) {
    auto device = PlugTarget(1);
    StartMonitor();
    ASSERT_TRUE(WaitUntil([&] { return Bar(0).Text() == u"Cannot find the DB file!!"; }));
    PlaceImage(2000);  // too late for the device already attached
    ASSERT_TRUE(WaitForScans(3));
    EXPECT_EQ(Bar(0).Text(), u"Cannot find the DB file!!");
    EXPECT_EQ(device->WriteCount() + device->ReadCount(), 0u);
    m_backend.Unplug(1);
    ASSERT_TRUE(WaitUntil([&] { return Bar(0).Text() == kWait && NoSlotHeld(); }));
}

// The image written is the last the directory search yields. On Linux the search yields names in
// the order NTFS keeps them, so that is the highest-numbered; on Windows the order is the file
// system's own (NTFS sorts, FAT32 and exFAT do not), so only the rule itself is checked there.
TEST_F(UpdateEngineTest, OfSeveralImagesTheLastTheSearchYieldsIsWritten) {
    std::map<std::u16string, std::vector<unsigned char>> images;
    for (auto [name, seed] : {std::pair{"Tarvik_000009_DB.bin", 9},
                              {"Tarvik_000010_DB.bin", 10},
                              {"tarvik_000002_db.bin", 2}}) {
        images[m_dir.PathOf(name)] = PlaceImage(3000, name, static_cast<std::uint32_t>(seed));
    }
    std::u16string last = FindImageBesideExecutable();
#ifndef _WIN32
    EXPECT_EQ(last, m_dir.PathOf("Tarvik_000010_DB.bin"));
#endif
    ASSERT_EQ(images.count(last), 1u);
    auto device = PlugTarget(0);
    StartMonitor();
    ASSERT_TRUE(WaitUntil([&] { return Bar(0).Text() == kSuccess; }));
    EXPECT_TRUE(Holds(*device, images[last]));
}

// Where the executable lies cannot be had (a path too long for the system's limit, say): there
// is no image, and the current directory is never searched in its place.
TEST_F(UpdateEngineTest, NoExecutablePathMeansNoImageNotTheCurrentDirectory) {
    PlaceImage(2000);
    std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(m_dir.Path());
    CScopedExecutablePath unknown(u"");
    auto device = PlugTarget(0);
    StartMonitor();
    bool shown = WaitUntil([&] { return Bar(0).Text() == u"Cannot find the DB file!!"; });
    std::filesystem::current_path(before);
    ASSERT_TRUE(shown);
    EXPECT_EQ(device->WriteCount(), 0u);
}

// Flash that refuses a range of blocks stores nothing there, while the platform calls succeed.
// Where the image holds zeros, a read-back buffer that starts zeroed, or that the stack fills
// all the same (with the padding of the data phase, or with the last write's bytes, as Linux sg
// does), would match; so would one a faulty firmware leaves alone while reporting GOOD.
class RefusedBlocksTest : public EngineTest,
                          public ::testing::WithParamInterface<CSimulatedDevice::Refusal> {};

TEST_P(RefusedBlocksTest, NeverVerifyEvenWhereTheImageIsZero) {
    std::vector<unsigned char> image = MakeSampleImage(20 * 1024);
    std::fill(image.begin() + 4 * 1024, image.begin() + 12 * 1024, 0x00);
    m_dir.Write(kSampleImageName, image);
    auto device = PlugTarget(0);
    device->RefuseBlocks(1600 + 6, 3, GetParam());  // inside the zero run
    StartMonitor();
    ASSERT_TRUE(WaitUntil([&] { return Bar(0).Text() == u"Verify Error!!"; }));
    EXPECT_EQ(Count(Bar(0).Texts(), kSuccess), 0);
    EXPECT_EQ(device->StoredBlock(1, 1609)[0], 0xFF);  // stopped at the first refused block
}

INSTANTIATE_TEST_SUITE_P(Refusals, RefusedBlocksTest,
                         ::testing::Values(CSimulatedDevice::Refusal::kCheckCondition,
                                           CSimulatedDevice::Refusal::kPaddedDataPhase,
                                           CSimulatedDevice::Refusal::kGoodStatusNoData),
                         [](const auto& info) {
                             switch (info.param) {
                                 case CSimulatedDevice::Refusal::kCheckCondition:
                                     return "CheckCondition";
                                 case CSimulatedDevice::Refusal::kPaddedDataPhase:
                                     return "PaddedDataPhase";
                                 default:
                                     return "GoodStatusNoData";
                             }
                         });

// A copy of the image still coming in, 8 KiB every 100 ms, while the device is written: the
// transfer outruns it, so it must not take the part it found for the whole. Real time here: the
// quiet time and the copy's pace are what is tested.
TEST_F(UpdateEngineTest, AnImageStillBeingCopiedInIsWrittenWholeOnceTheCopyIsDone) {
    CScopedSleepDivisor realTime{1};
    constexpr std::size_t kChunk = 8 * 1024;
    constexpr int kChunks = 8;
    std::vector<unsigned char> whole = MakeSampleImage(kChunks * kChunk - 100);
    auto chunk = [&](int i) {
        auto from = whole.begin() + static_cast<std::ptrdiff_t>(i * kChunk);
        return std::vector<unsigned char>(
            from, i + 1 == kChunks ? whole.end() : from + static_cast<std::ptrdiff_t>(kChunk));
    };
    m_dir.Write(kSampleImageName, chunk(0));
    std::atomic<bool> copied{false};
    std::thread copier([&] {
        for (int i = 1; i < kChunks; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            std::vector<unsigned char> part = chunk(i);
            std::ofstream(m_dir.Path() / kSampleImageName, std::ios::binary | std::ios::app)
                .write(reinterpret_cast<const char*>(part.data()),
                       static_cast<std::streamsize>(part.size()));
        }
        copied = true;
    });
    auto device = PlugTarget(0);
    StartMonitor();
    bool copiedAtTheSuccess = false;
    bool succeeded = WaitUntil([&] {
        copiedAtTheSuccess = copied;  // looked at before the text, so it never runs ahead of it
        return Bar(0).Text() == kSuccess;
    });
    copier.join();
    ASSERT_TRUE(succeeded);
    EXPECT_TRUE(copiedAtTheSuccess) << "a success over a part of the image";
    // A success over a part would also have ended the writing there.
    EXPECT_TRUE(Holds(*device, whole));
}

// The image cannot be opened; meanwhile the device is pulled and an ordinary disk takes its drive
// number within the pause; then the image becomes readable. The worker must not write it there.
TEST_F(UpdateEngineTest, ADiskThatTakesAPulledDevicesNumberGetsInquiryOnly) {
    UNOPENABLE_OR_SKIP(incoming, m_dir.Path() / "Tarvik_000001_DB.bin");
    PlugTarget(0);
    StartMonitor();
    ASSERT_TRUE(WaitUntil([&] { return Bar(0).Text() == u"DB File Open Error!!"; }));
    std::size_t beforeThePlug = m_backend.RequestsTo(0).size();
    m_backend.Plug(0, CSimulatedDevice::OrdinaryDisk());  // as a new drive takes a free number
    auto opensOfDriveZero = [&] {
        auto log = m_backend.Log();
        return std::count_if(log.begin(), log.end(), [&](const CSimLogEntry& entry) {
            return entry.kind == CSimLogEntry::Kind::kOpen && entry.drive == 0;
        });
    };
    auto opens = opensOfDriveZero();
    ASSERT_TRUE(WaitUntil([&] { return opensOfDriveZero() > opens; }));
    incoming.Release(MakeSampleImage(4096, 1));
    ASSERT_TRUE(WaitUntil([&] { return Bar(0).Text() == kWait && NoSlotHeld(); }));
    ASSERT_TRUE(WaitForScans(2));
    auto requests = m_backend.RequestsTo(0);
    ASSERT_GT(requests.size(), beforeThePlug);
    for (std::size_t i = beforeThePlug; i < requests.size(); ++i) {
        EXPECT_EQ(requests[i].cdb[0], SCSIOP_INQUIRY) << "request " << i;
    }
}

TEST_F(UpdateEngineTest, AnImageThatOpensOnlyLaterStillEndsInSuccess) {
    UNOPENABLE_OR_SKIP(incoming, m_dir.Path() / "Tarvik_000001_DB.bin");
    auto device = PlugTarget(0);
    StartMonitor();
    ASSERT_TRUE(WaitUntil([&] { return Bar(0).Text() == u"DB File Open Error!!"; }));
    std::vector<unsigned char> image = MakeSampleImage(4096, 1);
    incoming.Release(image);
    ASSERT_TRUE(WaitUntil([&] { return Bar(0).Text() == kSuccess; }));
    EXPECT_TRUE(Holds(*device, image));
    std::vector<std::u16string> texts = Bar(0).Texts();
    EXPECT_GE(Count(texts, u"DB File Open Error!!"), 1);
    EXPECT_EQ(texts.back(), kSuccess);
}

// The image rewritten in place in the middle of a transfer: no success for the mix of two
// versions; the worker's next attempt writes the new version from its first block.
TEST_F(UpdateEngineTest, AnImageRewrittenDuringTheTransferSucceedsOnlyWithTheNewVersionWhole) {
    PlaceImage(60 * 1024);
    auto device = PlugTarget(0);
    std::atomic<bool> rewritten{false};
    std::vector<unsigned char> newer(60 * 1024, 0x6B);
    const Cdb12 trigger = MakeBlockCdb(SCSIOP_WRITE_BLOCK, 1, 1620);
    device->SetCommandHook([&](const std::uint8_t* cdb) {
        if (std::equal(trigger.begin(), trigger.end(), cdb) && !rewritten.exchange(true)) {
            std::fstream out(m_dir.Path() / "Tarvik_000001_DB.bin",
                             std::ios::binary | std::ios::in | std::ios::out);
            out.write(reinterpret_cast<const char*>(newer.data()),
                      static_cast<std::streamsize>(newer.size()));
        }
    });
    StartMonitor();
    ASSERT_TRUE(WaitUntil([&] { return Bar(0).Text() == kSuccess; }));
    device->SetCommandHook(nullptr);
    EXPECT_TRUE(rewritten);
    EXPECT_TRUE(Holds(*device, newer));
    std::vector<std::u16string> texts = Bar(0).Texts();
    EXPECT_EQ(texts, (std::vector<std::u16string>{kWait, u"", u"DB File Open Error!!", kSuccess}));
    std::vector<int> positions = Bar(0).Positions();
    EXPECT_TRUE(
        std::all_of(positions.begin(), positions.end(), [](int pos) { return pos <= 100; }));
}

TEST_F(UpdateEngineTest, ADeviceGoneWhileTheImageCannotOpenGivesItsSlotBack) {
    UNOPENABLE_OR_SKIP(never, m_dir.Path() / "Tarvik_000001_DB.bin");
    PlugTarget(0);
    StartMonitor();
    ASSERT_TRUE(WaitUntil([&] { return Bar(0).Text() == u"DB File Open Error!!"; }));
    m_backend.Unplug(0);
    ASSERT_TRUE(WaitUntil([&] { return Bar(0).Text() == kWait && NoSlotHeld(); }));
}

TEST_F(UpdateEngineTest, AReadBackThatKeepsFailingGetsAFreshWorkerEveryScan) {
    PlaceImage(3000);
    auto device = PlugTarget(0);
    device->FailReadBacks(CSimulatedDevice::kAnyBlock, CSimulatedDevice::kForever);
    StartMonitor();
    ASSERT_TRUE(WaitUntil([&] { return Count(Bar(0).Texts(), u"Connection Error!!") >= 3; }));
    StopMonitor();
    ASSERT_TRUE(WaitUntil([] { return RunningWorkerCount() == 0; }));
    EXPECT_EQ(device->WriteCount(), device->ReadCount());  // one block per attempt
    EXPECT_GE(device->WriteCount(), 3u);
}

TEST_F(UpdateEngineTest, ABlockThatNeverReadsBackEqualStopsAtTheResendBound) {
    PlaceImage(3000);
    auto device = PlugTarget(0);
    device->CorruptReadBacks(1601, CSimulatedDevice::kForever);
    StartMonitor();
    ASSERT_TRUE(WaitUntil([&] { return Bar(0).Text() == u"Verify Error!!"; }));
    auto requests = m_backend.RequestsTo(0);
    int writesOfSecondBlock =
        static_cast<int>(std::count_if(requests.begin(), requests.end(), [](const auto& r) {
            return r.cdb == MakeBlockCdb(SCSIOP_WRITE_BLOCK, 1, 1601);
        }));
    EXPECT_EQ(writesOfSecondBlock, 8);
    EXPECT_EQ(device->StoredBlock(1, 1602)[0], 0xFF);  // never reached
    ASSERT_TRUE(WaitForScans(3));
    EXPECT_EQ(Bar(0).Text(), u"Verify Error!!");  // waits for removal, no new attempt
    EXPECT_EQ(CountOpcode(m_backend.RequestsTo(0), SCSIOP_WRITE_BLOCK), 9);
}

TEST_F(UpdateEngineTest, TwoDevicesInOneScanGetSlotsZeroAndOne) {
    auto image = PlaceImage(6000);
    auto first = PlugTarget(1);
    auto second = PlugTarget(3);
    StartMonitor();
    ASSERT_TRUE(WaitUntil([&] { return Bar(0).Text() == kSuccess && Bar(1).Text() == kSuccess; }));
    EXPECT_EQ(CDriveChannel::FindSlot(1), 0);
    EXPECT_EQ(CDriveChannel::FindSlot(3), 1);
    EXPECT_TRUE(Holds(*first, image));
    EXPECT_TRUE(Holds(*second, image));
}

TEST_F(UpdateEngineTest, AFifthDeviceWaitsForAFreeSlot) {
    auto image = PlaceImage(2000);
    std::vector<std::shared_ptr<CSimulatedDevice>> devices;
    for (int drive = 0; drive < 5; ++drive) {
        devices.push_back(PlugTarget(drive));
    }
    StartMonitor();
    ASSERT_TRUE(WaitUntil([&] {
        for (int slot = 0; slot < kSlotCount; ++slot) {
            if (Bar(slot).Text() != kSuccess) {
                return false;
            }
        }
        return true;
    }));
    // With every slot held the monitor probes nothing; the holders' presence probes tell the
    // time instead.
    auto opensOf = [&](int drive) {
        auto log = m_backend.Log();
        return std::count_if(log.begin(), log.end(), [&](const CSimLogEntry& entry) {
            return entry.kind == CSimLogEntry::Kind::kOpen && entry.drive == drive;
        });
    };
    auto before = opensOf(0);
    ASSERT_TRUE(WaitUntil([&] { return opensOf(0) >= before + 3; }));
    EXPECT_EQ(devices[4]->WriteCount(), 0u);
    EXPECT_EQ(devices[4]->InquiryCount(), 0u);
    EXPECT_EQ(CDriveChannel::FindSlot(4), -1);

    m_backend.Unplug(2);
    ASSERT_TRUE(
        WaitUntil([&] { return CDriveChannel::FindSlot(4) == 2 && Bar(2).Text() == kSuccess; }));
    EXPECT_TRUE(Holds(*devices[4], image));
}

TEST_F(UpdateEngineTest, DrivesThatAreNoTargetsReceiveInquiryOnly) {
    PlaceImage(2000);
    m_backend.Plug(5, CSimulatedDevice::OrdinaryDisk());
    PlugTarget(6);
    m_backend.Plug(26, CSimulatedDevice::UpdateMode());  // beyond the scanned numbers
    StartMonitor();
    ASSERT_TRUE(WaitUntil([&] { return Bar(0).Text() == kSuccess; }));
    ASSERT_TRUE(WaitUntil([&] { return m_backend.RequestsTo(5).size() >= 3; }));
    auto disk = m_backend.RequestsTo(5);
    EXPECT_EQ(CountOpcode(disk, SCSIOP_INQUIRY), static_cast<int>(disk.size()));
    for (const CSimLogEntry& entry : m_backend.Log()) {
        EXPECT_NE(entry.drive, 26);
    }
    // The monitor's and the worker's on the handle it writes through; held, it is not probed
    // again.
    EXPECT_EQ(CountOpcode(m_backend.RequestsTo(6), SCSIOP_INQUIRY), 2);
}

TEST_F(UpdateEngineTest, AWorkerWithoutASlotEndsAtOnceAndShowsNothing) {
    std::copy_n(std::begin({10, 11, 12, 13}), kSlotCount, g_slotDrive);
    PlugTarget(7);
    EXPECT_EQ(UpdateWorkerThread(7), 0);
    EXPECT_EQ(m_backend.Log().size(), 0u);
    for (int slot = 0; slot < kSlotCount; ++slot) {
        EXPECT_TRUE(Bar(slot).Texts().empty());
    }
    CDriveChannel::ClearSlots();
}

TEST_F(UpdateEngineTest, TheHiddenTestCommandReadsOneBlockFromTargetsOnly) {
    auto target = PlugTarget(3);
    m_backend.Plug(1, CSimulatedDevice::OrdinaryDisk());
    RunHiddenTestCommand();
    // Asked again on the handle that carries the read.
    auto requests = m_backend.RequestsTo(3);
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].cdb[0], SCSIOP_INQUIRY);
    EXPECT_EQ(requests[1].cdb[0], SCSIOP_INQUIRY);
    EXPECT_EQ(requests[2].cdb, MakeBlockCdb(SCSIOP_READ_BLOCK, kFirmwarePlacement.target,
                                            kFirmwarePlacement.FirstBlock()));
    EXPECT_EQ(requests[2].lun, 0);
    auto disk = m_backend.RequestsTo(1);
    ASSERT_EQ(disk.size(), 1u);
    EXPECT_EQ(disk[0].cdb[0], SCSIOP_INQUIRY);
    EXPECT_EQ(m_backend.OpenHandleCount(), 0);
    for (int slot = 0; slot < kSlotCount; ++slot) {
        EXPECT_TRUE(NoSlotHeld());
        EXPECT_TRUE(Bar(slot).Texts().empty());
    }
}

// The test command runs on the user-interface thread while the monitor starts workers: whatever
// the interleaving, each plug gets one worker, which writes the image once and keeps its slot.
TEST_F(UpdateEngineTest, TheHiddenTestCommandNeverGivesADriveASecondWorker) {
    PlaceImage(2000);  // two blocks
    StartMonitor();
    for (int cycle = 0; cycle < 20; ++cycle) {
        auto device = PlugTarget(3);
        ASSERT_TRUE(WaitUntil([&] {
            RunHiddenTestCommand();
            return Bar(0).Text() == kSuccess;
        })) << "cycle "
            << cycle;
        for (int again = 0; again < 10; ++again) {
            RunHiddenTestCommand();
        }
        ASSERT_TRUE(WaitForScans(2));
        EXPECT_EQ(device->WriteCount(), 2u) << "cycle " << cycle;
        EXPECT_EQ(CDriveChannel::FindSlot(3), 0) << "cycle " << cycle;
        m_backend.Unplug(3);
        ASSERT_TRUE(WaitUntil([&] { return Bar(0).Text() == kWait && NoSlotHeld(); }));
    }
}

TEST_F(UpdateEngineTest, TheHiddenTestCommandLeavesADriveUnderUpdateAlone) {
    PlaceImage(2000);
    PlugTarget(3);
    StartMonitor();
    ASSERT_TRUE(WaitUntil([&] { return Bar(0).Text() == kSuccess; }));
    std::size_t before = m_backend.RequestsTo(3).size();
    RunHiddenTestCommand();
    EXPECT_EQ(m_backend.RequestsTo(3).size(), before);
    EXPECT_EQ(CDriveChannel::FindSlot(3), 0);
}

}  // namespace
