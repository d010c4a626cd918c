// The digest that tells re-read bytes from the ones read before: the same for the same bytes
// however they were split between calls, different when a byte changes, two bytes change places,
// or the length changes.
#include "platform/files/byte_digest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

namespace {

std::vector<unsigned char> Bytes(std::size_t count) {
    std::vector<unsigned char> bytes(count);
    std::uint32_t state = 12345;
    for (unsigned char& byte : bytes) {
        state = state * 1103515245u + 12345u;
        byte = static_cast<unsigned char>(state >> 16);
    }
    return bytes;
}

std::uint64_t DigestInPieces(const std::vector<unsigned char>& bytes, std::size_t piece) {
    CByteDigest digest;
    for (std::size_t offset = 0; offset < bytes.size(); offset += piece) {
        digest.Add(bytes.data() + offset, std::min(piece, bytes.size() - offset));
    }
    return digest.Value();
}

class ByteDigestSplitTest : public ::testing::TestWithParam<std::size_t> {};

TEST_P(ByteDigestSplitTest, SameBytesInAnyPiecesGiveTheSameValue) {
    std::vector<unsigned char> bytes = Bytes(5000);
    EXPECT_EQ(DigestInPieces(bytes, GetParam()), DigestInPieces(bytes, bytes.size()));
}

// Pieces below, at and above the digest's stripe, and the device's block.
INSTANTIATE_TEST_SUITE_P(PieceSizes, ByteDigestSplitTest,
                         ::testing::Values(1, 3, 7, 31, 32, 33, 100, 1024, 4999));

TEST(ByteDigestTest, PiecesOfChangingSizesGiveTheSameValue) {
    std::vector<unsigned char> bytes = Bytes(3000);
    CByteDigest digest;
    std::size_t offset = 0;
    for (std::size_t piece = 1; offset < bytes.size(); piece = piece * 3 % 97 + 1) {
        std::size_t take = std::min(piece, bytes.size() - offset);
        digest.Add(bytes.data() + offset, take);
        offset += take;
    }
    EXPECT_EQ(digest.Value(), DigestInPieces(bytes, bytes.size()));
}

TEST(ByteDigestTest, AnyOneChangedByteChangesTheValue) {
    std::vector<unsigned char> bytes = Bytes(200);
    const std::uint64_t original = DigestInPieces(bytes, bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        for (unsigned char flip : {0x01, 0x80, 0xFF}) {
            bytes[i] ^= flip;
            EXPECT_NE(DigestInPieces(bytes, bytes.size()), original) << "byte " << i;
            bytes[i] ^= flip;
        }
    }
}

TEST(ByteDigestTest, OrderAndLengthCount) {
    std::vector<unsigned char> bytes = Bytes(64);
    const std::uint64_t original = DigestInPieces(bytes, bytes.size());
    std::swap(bytes[3], bytes[40]);  // bytes of different lanes and stripes
    EXPECT_NE(DigestInPieces(bytes, bytes.size()), original);

    // Zero bytes are bytes: a file that grew by zeros is not the file it was.
    std::vector<unsigned char> zeros(32, 0);
    CByteDigest none, some;
    some.Add(zeros.data(), zeros.size());
    EXPECT_NE(none.Value(), some.Value());
    CByteDigest more;
    more.Add(zeros.data(), zeros.size());
    more.Add(zeros.data(), 1);
    EXPECT_NE(some.Value(), more.Value());
}

}  // namespace
