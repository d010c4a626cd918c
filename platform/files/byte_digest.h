#pragma once
// A 64-bit digest of a stream of bytes, to tell whether bytes read again are the ones read
// before. Not cryptographic: it catches changed bytes, not someone forging them. The value
// depends only on the bytes and their order, never on how they were split between calls, so
// bytes digested block by block compare with the same bytes digested in large chunks.
//
// Four independent lanes over 32-byte stripes keep the processor busy where a byte-at-a-time
// chain would wait on each multiplication: digesting must cost little beside copying.

#include <array>
#include <cstddef>
#include <cstdint>

class CByteDigest {
public:
    void Add(const unsigned char* bytes, std::size_t count);
    // The digest of every byte added so far; adding may go on after.
    std::uint64_t Value() const;

private:
    static constexpr std::size_t kStripeBytes = 32;
    void AddStripes(const unsigned char* bytes, std::size_t stripes);

    std::array<std::uint64_t, 4> m_lanes{0x60EA27EEADC0B5D6ull, 0xC2B2AE3D27D4EB4Full,
                                         0x0000000000000000ull, 0x61C8864E7A143579ull};
    std::array<unsigned char, kStripeBytes> m_pending{};  // the start of an unfinished stripe
    std::size_t m_pendingCount = 0;
    std::uint64_t m_total = 0;  // bytes added
};
