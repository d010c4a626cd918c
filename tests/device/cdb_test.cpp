#include "device/cdb.h"

#include <gtest/gtest.h>

namespace {

struct BlockCdbCase {
    std::uint8_t opcode;
    int target;
    std::uint32_t address;
    Cdb12 expected;
};

class BlockCdbTest : public ::testing::TestWithParam<BlockCdbCase> {};

TEST_P(BlockCdbTest, EncodesTargetByteAndBigEndianBlockNumber) {
    const BlockCdbCase& c = GetParam();
    EXPECT_EQ(MakeBlockCdb(c.opcode, c.target, c.address / 1024), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, BlockCdbTest,
    ::testing::Values(
        // Firmware's first block, target byte 0.
        BlockCdbCase{0xCA, 0, 0x8003000, {0xCA, 0x00, 0x00, 0x02, 0x00, 0x0C, 0, 0, 0x01, 0, 0, 0}},
        // Database's first block, target byte 1.
        BlockCdbCase{0xC8, 1, 0x190000, {0xC8, 0x01, 0x00, 0x00, 0x06, 0x40, 0, 0, 0x01, 0, 0, 0}},
        BlockCdbCase{0xC8, 1, 0, {0xC8, 0x01, 0, 0, 0, 0, 0, 0, 0x01, 0, 0, 0}},
        // An address inside a block goes to the block that holds it.
        BlockCdbCase{0xCA, 1, 1023, {0xCA, 0x01, 0, 0, 0, 0, 0, 0, 0x01, 0, 0, 0}},
        BlockCdbCase{0xCA, 1, 0x190001, {0xCA, 0x01, 0, 0, 0x06, 0x40, 0, 0, 0x01, 0, 0, 0}},
        // Only the low byte of the target goes out.
        BlockCdbCase{0xCA, 256, 0, {0xCA, 0x00, 0, 0, 0, 0, 0, 0, 0x01, 0, 0, 0}},
        BlockCdbCase{0xC8, 0x1FF, 0, {0xC8, 0xFF, 0, 0, 0, 0, 0, 0, 0x01, 0, 0, 0}},
        // The highest address: block 0x3FFFFF, so byte 2 stays 0.
        BlockCdbCase{
            0xC8, 0, 0xFFFFFFFF, {0xC8, 0x00, 0x00, 0x3F, 0xFF, 0xFF, 0, 0, 0x01, 0, 0, 0}}));

TEST(BlockCdb, WritesEveryBlockNumberByteInOrder) {
    EXPECT_EQ(MakeBlockCdb(0xCA, 0, 0x12345678),
              (Cdb12{0xCA, 0x00, 0x12, 0x34, 0x56, 0x78, 0, 0, 0x01, 0, 0, 0}));
}

TEST(InquiryCdb, AsksForOneHundredThirtySixBytesWithByteTwoSet) {
    EXPECT_EQ(MakeInquiryCdb(), (Cdb12{0x12, 0x00, 0x80, 0x00, 0x88, 0x00, 0, 0, 0, 0, 0, 0}));
}

}  // namespace
