// The USB device's parts that need no kernel: the BOT wrappers, the descriptor block, the
// command routing between the generic disk answers and the device model, and the command line.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "device/cdb.h"
#include "device/device_protocol.h"
#include "sim/usb_gadget/bulk_only_wrappers.h"
#include "sim/usb_gadget/gadget_options.h"
#include "sim/usb_gadget/mass_storage_target.h"
#include "sim/usb_gadget/usb_descriptors.h"

namespace {
std::array<std::uint8_t, kCbwSize> RawCbw(std::uint32_t tag, std::uint32_t length, bool in,
                                          std::vector<std::uint8_t> cdb) {
    std::array<std::uint8_t, kCbwSize> raw{0x55, 0x53, 0x42, 0x43};
    for (int i = 0; i < 4; ++i) {
        raw[4 + i] = static_cast<std::uint8_t>(tag >> (8 * i));
        raw[8 + i] = static_cast<std::uint8_t>(length >> (8 * i));
    }
    raw[12] = in ? 0x80 : 0x00;
    raw[14] = static_cast<std::uint8_t>(cdb.size());
    std::copy(cdb.begin(), cdb.end(), raw.begin() + 15);
    return raw;
}

CCommandBlockWrapper Cbw(std::uint32_t length, bool in, std::vector<std::uint8_t> cdb) {
    auto raw = RawCbw(7, length, in, std::move(cdb));
    return *ParseCommandBlockWrapper(raw.data(), raw.size());
}

std::uint32_t LittleEndian32At(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    return std::uint32_t{bytes[at]} | std::uint32_t{bytes[at + 1]} << 8 |
           std::uint32_t{bytes[at + 2]} << 16 | std::uint32_t{bytes[at + 3]} << 24;
}

// A command for the database's first block.
std::vector<std::uint8_t> DbBlockCdb(std::uint8_t opcode) {
    Cdb12 cdb = MakeBlockCdb(opcode, kDatabasePlacement.target, kDatabasePlacement.FirstBlock());
    return {cdb.begin(), cdb.end()};
}

const std::vector<std::uint8_t> kWriteDbBlock = DbBlockCdb(SCSIOP_WRITE_BLOCK);
const std::vector<std::uint8_t> kReadDbBlock = DbBlockCdb(SCSIOP_READ_BLOCK);
// A vendor command shaped like the two the firmware knows, with an opcode it does not.
const std::vector<std::uint8_t> kUnknownVendorCommand = DbBlockCdb(0xC9);
const std::vector<std::uint8_t> kRequestSense = {0x03, 0, 0, 0, 18, 0};
}  // namespace

TEST(BulkOnlyWrappers, ParsesACommandBlockWrapper) {
    auto raw = RawCbw(0x12345678, kDeviceBlockBytes, true, kReadDbBlock);
    auto cbw = ParseCommandBlockWrapper(raw.data(), raw.size());
    ASSERT_TRUE(cbw);
    EXPECT_EQ(cbw->tag, 0x12345678u);
    EXPECT_EQ(cbw->dataLength, kDeviceBlockBytes);
    EXPECT_TRUE(cbw->dataIn);
    ASSERT_EQ(std::size_t{cbw->cdbLength}, kReadDbBlock.size());
    EXPECT_TRUE(std::equal(kReadDbBlock.begin(), kReadDbBlock.end(), cbw->cdb.begin()));
}

TEST(BulkOnlyWrappers, RejectsWhatIsNoCommandBlockWrapper) {
    auto raw = RawCbw(1, 0, false, {0x00, 0, 0, 0, 0, 0});
    EXPECT_FALSE(ParseCommandBlockWrapper(raw.data(), raw.size() - 1));
    auto badSignature = raw;
    badSignature[3] = 0x44;
    EXPECT_FALSE(ParseCommandBlockWrapper(badSignature.data(), badSignature.size()));
    auto noCdb = raw;
    noCdb[14] = 0;
    EXPECT_FALSE(ParseCommandBlockWrapper(noCdb.data(), noCdb.size()));
    auto longCdb = raw;
    longCdb[14] = 17;
    EXPECT_FALSE(ParseCommandBlockWrapper(longCdb.data(), longCdb.size()));
}

TEST(BulkOnlyWrappers, BuildsTheStatusWrapper) {
    auto csw = MakeCommandStatusWrapper(0x01020304, 512, CswStatus::kFailed);
    const std::array<std::uint8_t, kCswSize> expected = {0x55, 0x53, 0x42, 0x53, 0x04, 0x03, 0x02,
                                                         0x01, 0x00, 0x02, 0x00, 0x00, 0x01};
    EXPECT_EQ(csw, expected);
}

TEST(UsbDescriptors, DescribeOneBulkOnlyMassStorageInterfacePerSpeed) {
    auto block = MassStorageDescriptors();
    ASSERT_EQ(block.size(), 20u + 2 * (9 + 7 + 7));
    EXPECT_EQ(LittleEndian32At(block, 0), 3u);  // version-2 magic
    EXPECT_EQ(LittleEndian32At(block, 4), block.size());
    EXPECT_EQ(LittleEndian32At(block, 8), 3u);  // full and high speed
    for (std::size_t speed = 0; speed < 2; ++speed) {
        std::size_t at = 20 + speed * 23;
        EXPECT_EQ(block[at + 5], 0x08);  // mass storage
        EXPECT_EQ(block[at + 6], 0x06);  // SCSI transparent
        EXPECT_EQ(block[at + 7], 0x50);  // Bulk-Only Transport
        EXPECT_EQ(block[at + 9 + 2], 0x81);
        EXPECT_EQ(block[at + 16 + 2], 0x02);
        std::uint16_t packet = speed == 0 ? 64 : 512;
        EXPECT_EQ(block[at + 9 + 4] | block[at + 9 + 5] << 8, packet);
    }
    auto strings = MassStorageStrings();
    EXPECT_EQ(LittleEndian32At(strings, 0), 2u);
    EXPECT_EQ(LittleEndian32At(strings, 4), strings.size());
}

TEST(MassStorageTarget, WritesAndReadsBlocksThroughTheModel) {
    auto device = CSimulatedDevice::UpdateMode();
    CMassStorageTarget target(device);
    std::vector<std::uint8_t> block(kDeviceBlockBytes);
    for (std::size_t i = 0; i < block.size(); ++i) {
        block[i] = static_cast<std::uint8_t>(i * 7);
    }
    EXPECT_EQ(target.Execute(Cbw(kDeviceBlockBytes, false, kWriteDbBlock), block.data()).status,
              CswStatus::kPassed);
    std::vector<std::uint8_t> readBack(kDeviceBlockBytes);
    EXPECT_EQ(target.Execute(Cbw(kDeviceBlockBytes, true, kReadDbBlock), readBack.data()).status,
              CswStatus::kPassed);
    EXPECT_EQ(readBack, block);
    EXPECT_EQ(device->ReadMemory(kDatabasePlacement.target, kDatabasePlacement.FirstBlock(),
                                 kDeviceBlockBytes),
              block);
    EXPECT_EQ(device->BlocksVerified(), 1u);
    EXPECT_TRUE(target.FirstWriteTime());
}

TEST(MassStorageTarget, KeepsTheSenseOfARejectedCommandForRequestSense) {
    CMassStorageTarget target(CSimulatedDevice::UpdateMode());
    std::vector<std::uint8_t> data(kDeviceBlockBytes);
    EXPECT_EQ(
        target.Execute(Cbw(kDeviceBlockBytes, true, kUnknownVendorCommand), data.data()).status,
        CswStatus::kFailed);
    std::vector<std::uint8_t> sense(18);
    EXPECT_EQ(target.Execute(Cbw(18, true, kRequestSense), sense.data()).status,
              CswStatus::kPassed);
    EXPECT_EQ(sense[0], 0x70);
    EXPECT_EQ(sense[2], 0x05);   // illegal request
    EXPECT_EQ(sense[12], 0x20);  // invalid command operation code
    std::fill(sense.begin(), sense.end(), 0);
    target.Execute(Cbw(18, true, kRequestSense), sense.data());
    EXPECT_EQ(sense[2], 0x00);  // reported once, then no sense
}

TEST(MassStorageTarget, AnswersTheDiskProbeWithoutTheModel) {
    auto device = CSimulatedDevice::UpdateMode();
    CMassStorageTarget target(device);
    std::vector<std::uint8_t> capacity(8);
    EXPECT_EQ(
        target.Execute(Cbw(8, true, {0x25, 0, 0, 0, 0, 0, 0, 0, 0, 0}), capacity.data()).status,
        CswStatus::kPassed);
    const std::vector<std::uint8_t> expected = {0, 0, 0x07, 0xFF, 0, 0, 0x02, 0x00};
    EXPECT_EQ(capacity, expected);
    std::vector<std::uint8_t> none;
    EXPECT_EQ(target.Execute(Cbw(0, false, {0x00, 0, 0, 0, 0, 0}), none.data()).status,
              CswStatus::kPassed);
    std::vector<std::uint8_t> outside(512);
    EXPECT_EQ(
        target.Execute(Cbw(512, true, {0x28, 0, 0, 0, 0x08, 0x00, 0, 0, 1, 0}), outside.data())
            .status,
        CswStatus::kFailed);
    EXPECT_EQ(target.GenericCommandCount(), 3u);
    EXPECT_EQ(device->InquiryCount() + device->WriteCount() + device->ReadCount(), 0u);
}

TEST(MassStorageTarget, AFailingReadBackIsAPhaseError) {
    auto device = CSimulatedDevice::UpdateMode();
    device->FailReadBacks(kDatabasePlacement.FirstBlock(), 1);
    CMassStorageTarget target(device);
    std::vector<std::uint8_t> data(kDeviceBlockBytes);
    EXPECT_EQ(target.Execute(Cbw(kDeviceBlockBytes, true, kReadDbBlock), data.data()).status,
              CswStatus::kPhaseError);
    EXPECT_EQ(target.FailedCallCount(), 1u);
    EXPECT_EQ(target.Execute(Cbw(kDeviceBlockBytes, true, kReadDbBlock), data.data()).status,
              CswStatus::kPassed);
}

TEST(MassStorageTarget, PullsOnceAfterTheArmedNumberOfCommands) {
    auto device = CSimulatedDevice::UpdateMode();
    device->UnplugAfterCommands(2);
    CMassStorageTarget target(device);
    std::vector<std::uint8_t> data(kDeviceBlockBytes);
    EXPECT_FALSE(
        target.Execute(Cbw(kDeviceBlockBytes, false, kWriteDbBlock), data.data()).pullAfterStatus);
    EXPECT_TRUE(
        target.Execute(Cbw(kDeviceBlockBytes, true, kReadDbBlock), data.data()).pullAfterStatus);
    EXPECT_FALSE(
        target.Execute(Cbw(kDeviceBlockBytes, true, kReadDbBlock), data.data()).pullAfterStatus);
}

TEST(GadgetOptions, ParsesTheFaultsAndTheReport) {
    const char* args[] = {"dev",         "--ffs",
                          "/ffs/ms0",    "--udc-file",
                          "/cfg/UDC",    "--udc",
                          "dummy_udc.0", "--fail-read-backs",
                          "1630:1",      "--corrupt-read-backs",
                          "any",         "--pull-after",
                          "120",         "--replug-after-ms",
                          "-1",          "--dump-bytes",
                          "4096",        "--refuse-blocks",
                          "1605:3"};
    std::string error;
    auto options =
        ParseGadgetOptions(static_cast<int>(std::size(args)), const_cast<char**>(args), error);
    ASSERT_TRUE(options) << error;
    EXPECT_EQ(options->controller, "dummy_udc.0");
    ASSERT_EQ(options->failingReadBacks.size(), 1u);
    EXPECT_EQ(options->failingReadBacks[0].block, 1630u);
    EXPECT_EQ(options->failingReadBacks[0].times, 1);
    ASSERT_EQ(options->corruptReadBacks.size(), 1u);
    EXPECT_EQ(options->corruptReadBacks[0].block, CSimulatedDevice::kAnyBlock);
    EXPECT_EQ(options->corruptReadBacks[0].times, CSimulatedDevice::kForever);
    EXPECT_EQ(options->pullAfterCommands, 120);
    EXPECT_EQ(options->replugAfter.count(), -1);
    EXPECT_EQ(options->dumpBytes, 4096u);
    EXPECT_EQ(options->refusedFirst, 1605u);
    EXPECT_EQ(options->refusedCount, 3u);
    EXPECT_EQ(options->dumpBlock, kDatabasePlacement.FirstBlock());
}

TEST(GadgetOptions, RefusesIncompleteOrMalformedCommandLines) {
    std::string error;
    const char* missing[] = {"dev", "--ffs", "/ffs/ms0"};
    EXPECT_FALSE(ParseGadgetOptions(3, const_cast<char**>(missing), error));
    const char* bad[] = {"dev", "--ffs", "a", "--udc-file", "b", "--udc", "c", "--pull-after", "x"};
    EXPECT_FALSE(ParseGadgetOptions(9, const_cast<char**>(bad), error));
    EXPECT_NE(error.find("--pull-after"), std::string::npos);
}
