#pragma once
// The plain disk behaviour the host's storage stack expects of any mass-storage device before it
// lets programs at it: ready, a small capacity, no mode pages, reads of zeros, and the
// housekeeping commands accepted. A device in update mode has no medium worth the name, but the
// kernel's probe (TEST UNIT READY, READ CAPACITY, MODE SENSE, the partition-table reads) must
// succeed for the drive node to appear. The updater's own commands are not answered here.

#include <array>
#include <cstdint>

// Fixed-format sense data as REQUEST SENSE returns it.
using SenseData = std::array<std::uint8_t, 18>;

struct CScsiAnswer {
    std::uint8_t status;  // 0 GOOD or 2 CHECK CONDITION
    SenseData sense;      // meaningful when status is CHECK CONDITION
};

class CGenericScsiResponder {
public:
    static constexpr std::uint32_t kBlockCount = 2048;
    static constexpr std::uint32_t kBlockLength = 512;

    // Whether `opcode` is one of the generic commands answered here.
    static bool Handles(std::uint8_t opcode);

    // Answers the generic command `cdb`. A command with data to the host writes into `data`,
    // `length` bytes that the caller has zeroed; bytes left untouched read as zeros.
    static CScsiAnswer Answer(const std::uint8_t* cdb, std::uint8_t* data, std::uint32_t length);

    // Sense data for "no error" and for a rejected command, in the fixed format.
    static SenseData NoSense();
    static SenseData IllegalRequest(std::uint8_t additionalCode);

private:
    static CScsiAnswer ReadCapacity(std::uint8_t* data, std::uint32_t length);
    static CScsiAnswer ModeSense(const std::uint8_t* cdb, std::uint8_t* data, std::uint32_t length);
    static CScsiAnswer Read10(const std::uint8_t* cdb);
};
