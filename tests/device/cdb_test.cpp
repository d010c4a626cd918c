// The one place where the wire facts meet their literal bytes: every other test and all product
// code use the names in device_protocol.h, so a wrong constant shows here and only here. The
// block size shows in the addresses inside a block, the placements in their first blocks.

#include "device/cdb.h"

#include <gtest/gtest.h>

namespace {

struct BlockCdbCase {
    const char* name;
    std::uint8_t opcode;
    int target;
    std::uint32_t address;
    Cdb12 expected;
};

class BlockCdbTest : public ::testing::TestWithParam<BlockCdbCase> {};

TEST_P(BlockCdbTest, EncodesTargetByteAndBigEndianBlockNumber) {
    const BlockCdbCase& c = GetParam();
    Cdb12 cdb = MakeBlockCdb(c.opcode, c.target, BlockNumberOf(c.address));
    EXPECT_EQ(cdb, c.expected);
    // What a device reads back out of it.
    EXPECT_EQ(CdbOpcode(cdb.data()), c.expected[0]);
    EXPECT_EQ(CdbTarget(cdb.data()), c.expected[1]);
    EXPECT_EQ(CdbBlockNumber(cdb.data()), BlockNumberOf(c.address));
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, BlockCdbTest,
    ::testing::Values(BlockCdbCase{"FirmwareFirstBlock",
                                   SCSIOP_WRITE_BLOCK,
                                   kFirmwarePlacement.target,
                                   kFirmwarePlacement.firstAddress,
                                   {0xCA, 0x00, 0x00, 0x02, 0x00, 0x0C, 0, 0, 0x01, 0, 0, 0}},
                      BlockCdbCase{"DatabaseFirstBlock",
                                   SCSIOP_READ_BLOCK,
                                   kDatabasePlacement.target,
                                   kDatabasePlacement.firstAddress,
                                   {0xC8, 0x01, 0x00, 0x00, 0x06, 0x40, 0, 0, 0x01, 0, 0, 0}},
                      BlockCdbCase{"VoiceFirstBlock",
                                   SCSIOP_READ_BLOCK,
                                   kVoicePlacement.target,
                                   kVoicePlacement.firstAddress,
                                   {0xC8, 0x01, 0, 0, 0, 0, 0, 0, 0x01, 0, 0, 0}},
                      // An address inside a block goes to the block that holds it.
                      BlockCdbCase{"LastByteOfBlockZero",
                                   SCSIOP_WRITE_BLOCK,
                                   1,
                                   1023,
                                   {0xCA, 0x01, 0, 0, 0, 0, 0, 0, 0x01, 0, 0, 0}},
                      BlockCdbCase{"InsideTheDatabaseFirstBlock",
                                   SCSIOP_WRITE_BLOCK,
                                   1,
                                   0x190001,
                                   {0xCA, 0x01, 0, 0, 0x06, 0x40, 0, 0, 0x01, 0, 0, 0}},
                      // Only the low byte of the target goes out.
                      BlockCdbCase{"TargetLowByteOnly",
                                   SCSIOP_WRITE_BLOCK,
                                   256,
                                   0,
                                   {0xCA, 0x00, 0, 0, 0, 0, 0, 0, 0x01, 0, 0, 0}},
                      BlockCdbCase{"TargetAllOnes",
                                   SCSIOP_READ_BLOCK,
                                   0x1FF,
                                   0,
                                   {0xC8, 0xFF, 0, 0, 0, 0, 0, 0, 0x01, 0, 0, 0}},
                      // The highest address: block 0x3FFFFF, so byte 2 stays 0.
                      BlockCdbCase{"HighestAddress",
                                   SCSIOP_READ_BLOCK,
                                   0,
                                   0xFFFFFFFF,
                                   {0xC8, 0x00, 0x00, 0x3F, 0xFF, 0xFF, 0, 0, 0x01, 0, 0, 0}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(BlockCdb, WritesEveryBlockNumberByteInOrder) {
    Cdb12 cdb = MakeBlockCdb(SCSIOP_WRITE_BLOCK, 0, 0x12345678);
    EXPECT_EQ(cdb, (Cdb12{0xCA, 0x00, 0x12, 0x34, 0x56, 0x78, 0, 0, 0x01, 0, 0, 0}));
    EXPECT_EQ(CdbBlockNumber(cdb.data()), 0x12345678u);
}

TEST(InquiryCdb, AsksForOneHundredThirtySixBytesWithByteTwoSet) {
    Cdb12 cdb = MakeInquiryCdb();
    EXPECT_EQ(cdb, (Cdb12{0x12, 0x00, 0x80, 0x00, 0x88, 0x00, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(CdbAllocationLength(cdb.data()), 136u);
}

}  // namespace
