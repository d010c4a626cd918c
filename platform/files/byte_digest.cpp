#include "platform/files/byte_digest.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::uint64_t kPrime1 = 0x9E3779B185EBCA87ull;
constexpr std::uint64_t kPrime2 = 0xC2B2AE3D27D4EB4Full;
constexpr std::uint64_t kFnvPrime = 0x100000001B3ull;

constexpr std::uint64_t RotateLeft(std::uint64_t value, int bits) {
    return (value << bits) | (value >> (64 - bits));
}

std::uint64_t Round(std::uint64_t lane, std::uint64_t word) {
    return RotateLeft(lane + word * kPrime2, 31) * kPrime1;
}

std::uint64_t WordAt(const unsigned char* bytes) {
    std::uint64_t word;
    std::memcpy(&word, bytes, sizeof word);
    return word;
}

}  // namespace

void CByteDigest::AddStripes(const unsigned char* bytes, std::size_t stripes) {
    // The lanes in locals: written through the object, they would be stored and loaded again for
    // every stripe, since the bytes may alias anything.
    std::uint64_t a = m_lanes[0], b = m_lanes[1], c = m_lanes[2], d = m_lanes[3];
    for (; stripes > 0; --stripes, bytes += kStripeBytes) {
        a = Round(a, WordAt(bytes));
        b = Round(b, WordAt(bytes + 8));
        c = Round(c, WordAt(bytes + 16));
        d = Round(d, WordAt(bytes + 24));
    }
    m_lanes = {a, b, c, d};
}

void CByteDigest::Add(const unsigned char* bytes, std::size_t count) {
    m_total += count;
    if (m_pendingCount > 0) {
        std::size_t take = std::min(count, kStripeBytes - m_pendingCount);
        std::memcpy(m_pending.data() + m_pendingCount, bytes, take);
        m_pendingCount += take;
        bytes += take;
        count -= take;
        if (m_pendingCount < kStripeBytes) {
            return;
        }
        AddStripes(m_pending.data(), 1);
        m_pendingCount = 0;
    }
    std::size_t stripes = count / kStripeBytes;
    AddStripes(bytes, stripes);
    bytes += stripes * kStripeBytes;
    count -= stripes * kStripeBytes;
    std::memcpy(m_pending.data(), bytes, count);
    m_pendingCount = count;
}

std::uint64_t CByteDigest::Value() const {
    std::uint64_t value = m_total * kPrime1;
    for (std::uint64_t lane : m_lanes) {
        value = RotateLeft(value ^ lane, 27) * kPrime1 + kPrime2;
    }
    for (std::size_t i = 0; i < m_pendingCount; ++i) {
        value = (value ^ m_pending[i]) * kFnvPrime;
    }
    // A last mix, so that a change in any lane reaches every bit.
    value ^= value >> 33;
    value *= kPrime2;
    return value ^ (value >> 29);
}
