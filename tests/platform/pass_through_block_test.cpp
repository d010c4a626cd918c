#include "platform/pass_through_block.h"

#include <gtest/gtest.h>

#include <cstring>

#include "device/pass_through_request.h"

namespace {

constexpr std::uint32_t kBlockSize = sizeof(PassThroughRequest);
constexpr std::uint32_t kSenseOffset = offsetof(PassThroughRequest, SenseBuffer);

struct SenseCase {
    const char* name;
    std::uint32_t size;    // bytes of the block handed over
    std::uint32_t offset;  // SenseInfoOffset
    std::uint8_t length;   // SenseInfoLength
    bool hasSense;
    std::uint32_t expectedLength;
};

class SenseAreaTest : public ::testing::TestWithParam<SenseCase> {};

// Whatever the header claims, the sense area both backends write stays inside the block.
TEST_P(SenseAreaTest, IsCutToTheBlock) {
    const SenseCase& c = GetParam();
    PassThroughRequest request{};
    request.Header.SenseInfoOffset = c.offset;
    request.Header.SenseInfoLength = c.length;
    CPassThroughBlock block;
    ASSERT_TRUE(UnpackPassThroughBlock(&request, c.size, block));
    auto* start = reinterpret_cast<std::uint8_t*>(&request);
    if (!c.hasSense) {
        EXPECT_EQ(block.sense, nullptr);
        EXPECT_EQ(block.senseLength, 0u);
        return;
    }
    EXPECT_EQ(block.sense, start + c.offset);
    EXPECT_EQ(block.senseLength, c.expectedLength);
    EXPECT_LE(c.offset + block.senseLength, c.size);
}

INSTANTIATE_TEST_SUITE_P(
    Headers, SenseAreaTest,
    ::testing::Values(SenseCase{"AsTheChannelFillsIt", kBlockSize, kSenseOffset, 32, true, 32},
                      SenseCase{"LongerThanTheRoomLeft", kSenseOffset + 10, kSenseOffset, 32, true,
                                10},
                      SenseCase{"WholeTailAnnounced", kBlockSize, kSenseOffset, 255, true,
                                kBlockSize - kSenseOffset},
                      SenseCase{"OffsetAtTheEnd", kSenseOffset, kSenseOffset, 32, false, 0},
                      SenseCase{"OffsetFarOutside", kBlockSize, 0xFFFFFFF0u, 32, false, 0},
                      SenseCase{"NoneAnnounced", kBlockSize, kSenseOffset, 0, true, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(UnpackPassThroughBlock, RefusesABlockSmallerThanTheHeaderOrNone) {
    PassThroughRequest request{};
    CPassThroughBlock block;
    EXPECT_FALSE(UnpackPassThroughBlock(nullptr, kBlockSize, block));
    EXPECT_FALSE(UnpackPassThroughBlock(&request, sizeof(SCSI_PASS_THROUGH_DIRECT) - 1, block));
    EXPECT_TRUE(UnpackPassThroughBlock(&request, sizeof(SCSI_PASS_THROUGH_DIRECT), block));
}

TEST(UnpackPassThroughBlock, CarriesTheDataAndRepacksTheHeader) {
    std::uint8_t data[16] = {};
    PassThroughRequest request{};
    request.Header.DataBuffer = data;
    request.Header.DataTransferLength = sizeof data;
    CPassThroughBlock block;
    ASSERT_TRUE(UnpackPassThroughBlock(&request, kBlockSize, block));
    EXPECT_EQ(block.data, data);
    EXPECT_EQ(block.dataLength, sizeof data);
    block.header.ScsiStatus = 0x02;
    EXPECT_EQ(request.Header.ScsiStatus, 0);  // a copy until repacked
    RepackHeader(block, &request);
    EXPECT_EQ(request.Header.ScsiStatus, 0x02);
}

}  // namespace
