#include "sim/usb_gadget/generic_scsi_responder.h"

#include <algorithm>

namespace {
constexpr std::uint8_t kTestUnitReady = 0x00;
constexpr std::uint8_t kStartStopUnit = 0x1B;
constexpr std::uint8_t kModeSense6 = 0x1A;
constexpr std::uint8_t kPreventAllowRemoval = 0x1E;
constexpr std::uint8_t kReadCapacity10 = 0x25;
constexpr std::uint8_t kRead10 = 0x28;
constexpr std::uint8_t kSynchronizeCache10 = 0x35;
constexpr std::uint8_t kModeSense10 = 0x5A;

constexpr std::uint8_t kGood = 0x00;
constexpr std::uint8_t kCheckCondition = 0x02;
constexpr std::uint8_t kSenseKeyIllegalRequest = 0x05;
constexpr std::uint8_t kAscLbaOutOfRange = 0x21;

void PutBigEndian32(std::uint8_t* out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        out[i] = static_cast<std::uint8_t>(value >> (24 - 8 * i));
    }
}

std::uint32_t BigEndian32(const std::uint8_t* bytes) {
    return std::uint32_t{bytes[0]} << 24 | std::uint32_t{bytes[1]} << 16 |
           std::uint32_t{bytes[2]} << 8 | std::uint32_t{bytes[3]};
}

CScsiAnswer Good() {
    return {kGood, CGenericScsiResponder::NoSense()};
}
}  // namespace

bool CGenericScsiResponder::Handles(std::uint8_t opcode) {
    switch (opcode) {
        case kTestUnitReady:
        case kStartStopUnit:
        case kModeSense6:
        case kPreventAllowRemoval:
        case kReadCapacity10:
        case kRead10:
        case kSynchronizeCache10:
        case kModeSense10:
            return true;
        default:
            return false;
    }
}

CScsiAnswer CGenericScsiResponder::Answer(const std::uint8_t* cdb, std::uint8_t* data,
                                          std::uint32_t length) {
    switch (cdb[0]) {
        case kReadCapacity10:
            return ReadCapacity(data, length);
        case kModeSense6:
        case kModeSense10:
            return ModeSense(cdb, data, length);
        case kRead10:
            return Read10(cdb);
        default:
            // Ready, nothing to lock, nothing to flush, nothing to spin.
            return Good();
    }
}

SenseData CGenericScsiResponder::NoSense() {
    SenseData sense{};
    sense[0] = 0x70;  // current error, fixed format
    sense[7] = 10;    // additional length
    return sense;
}

SenseData CGenericScsiResponder::IllegalRequest(std::uint8_t additionalCode) {
    SenseData sense = NoSense();
    sense[2] = kSenseKeyIllegalRequest;
    sense[12] = additionalCode;
    return sense;
}

CScsiAnswer CGenericScsiResponder::ReadCapacity(std::uint8_t* data, std::uint32_t length) {
    std::array<std::uint8_t, 8> answer{};
    PutBigEndian32(answer.data(), kBlockCount - 1);  // the last block's address
    PutBigEndian32(answer.data() + 4, kBlockLength);
    std::copy_n(answer.begin(), std::min<std::size_t>(length, answer.size()), data);
    return Good();
}

CScsiAnswer CGenericScsiResponder::ModeSense(const std::uint8_t* cdb, std::uint8_t* data,
                                             std::uint32_t length) {
    // A header alone: no block descriptors, no pages, not write-protected. The host then
    // assumes a write-through cache, which is true enough for a device that is never written
    // through its disk commands.
    if (cdb[0] == kModeSense6 && length >= 1) {
        data[0] = 3;  // mode data length, the header's remaining 3 bytes
    } else if (cdb[0] == kModeSense10 && length >= 2) {
        data[1] = 6;  // mode data length, the header's remaining 6 bytes
    }
    return Good();
}

CScsiAnswer CGenericScsiResponder::Read10(const std::uint8_t* cdb) {
    std::uint32_t first = BigEndian32(cdb + 2);
    std::uint32_t count = std::uint32_t{cdb[7]} << 8 | cdb[8];
    if (first > kBlockCount || count > kBlockCount - first) {
        return {kCheckCondition, IllegalRequest(kAscLbaOutOfRange)};
    }
    return Good();  // the data stays the zeros the caller gave
}
