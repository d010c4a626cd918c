#include "device/cdb.h"

namespace {
// Set in the INQUIRY that devices in update mode were first driven with, although the EVPD bit
// is clear; kept so that they see the same command.
constexpr std::size_t kInquiryQuirkByte = 2;
constexpr std::uint8_t kInquiryQuirkValue = 0x80;
}  // namespace

Cdb12 MakeInquiryCdb() {
    Cdb12 cdb{};
    cdb[kCdbOpcodeByte] = SCSIOP_INQUIRY;
    cdb[kInquiryQuirkByte] = kInquiryQuirkValue;
    cdb[kCdbAllocationLengthByte + 1] = kInquiryAllocationLength;
    return cdb;
}

Cdb12 MakeBlockCdb(std::uint8_t opcode, int target, std::uint32_t blockNumber) {
    Cdb12 cdb{};
    cdb[kCdbOpcodeByte] = opcode;
    cdb[kCdbTargetByte] = static_cast<std::uint8_t>(target & 0xFF);
    for (std::size_t i = 0; i < 4; ++i) {
        cdb[kCdbBlockNumberByte + i] = static_cast<std::uint8_t>(blockNumber >> (24 - 8 * i));
    }
    cdb[kCdbBlockCountByte] = 0x01;
    return cdb;
}
