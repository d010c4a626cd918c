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

}  // namespace

void CByteDigest::AddStripe(const unsigned char* stripe) {
    for (std::size_t lane = 0; lane < m_lanes.size(); ++lane) {
        std::uint64_t word;
        std::memcpy(&word, stripe + lane * sizeof word, sizeof word);
        m_lanes[lane] = Round(m_lanes[lane], word);
    }
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
        AddStripe(m_pending.data());
        m_pendingCount = 0;
    }
    for (; count >= kStripeBytes; bytes += kStripeBytes, count -= kStripeBytes) {
        AddStripe(bytes);
    }
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
