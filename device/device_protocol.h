#pragma once
// What the updater and a device in update mode agree on, stated once: the block size, the
// commands' opcodes and where their fields sit in a CDB, the identification in the INQUIRY
// answer, and where each image lives in device memory. The command builders (cdb.h) encode with
// it, the simulated devices decode with it; it needs nothing but the language.

#include <array>
#include <cstddef>
#include <cstdint>

using Cdb12 = std::array<std::uint8_t, 12>;

// Every vendor command moves exactly one block of this many bytes; a device byte address becomes
// a block number by unsigned division by it.
inline constexpr std::uint32_t kDeviceBlockBytes = 1024;

inline constexpr std::uint8_t SCSIOP_INQUIRY = 0x12;
inline constexpr std::uint8_t SCSIOP_WRITE_BLOCK = 0xCA;  // vendor: write one block
inline constexpr std::uint8_t SCSIOP_READ_BLOCK = 0xC8;   // vendor: read one block

// The SCSI status of a command the device carried out.
inline constexpr std::uint8_t kScsiStatusGood = 0x00;

// Where the fields sit in a CDB. INQUIRY carries its allocation length in bytes 3 and 4; the
// vendor block commands carry the target byte, the block number (most significant byte first)
// and the block count.
inline constexpr std::size_t kCdbOpcodeByte = 0;
inline constexpr std::size_t kCdbTargetByte = 1;
inline constexpr std::size_t kCdbBlockNumberByte = 2;  // to byte 5
inline constexpr std::size_t kCdbBlockCountByte = 8;
inline constexpr std::size_t kCdbAllocationLengthByte = 3;  // to byte 4
// What the updater asks INQUIRY for; the request still offers a whole block.
inline constexpr std::uint8_t kInquiryAllocationLength = 136;

// A device in update mode answers INQUIRY with this vendor (bytes 8 to 15) and a product that
// begins with this text (from byte 16): together "Firmware Update" in bytes 8 to 22.
inline constexpr std::size_t kInquiryVendorOffset = 8;
inline constexpr std::size_t kInquiryProductOffset = 16;
inline constexpr char kTargetVendor[] = "Firmware";
inline constexpr char kTargetProduct[] = " Update";
static_assert(sizeof kTargetVendor - 1 == kInquiryProductOffset - kInquiryVendorOffset,
              "the vendor fills its field, so the product follows without blanks between");

constexpr std::uint32_t BlockNumberOf(std::uint32_t address) {
    return address / kDeviceBlockBytes;
}

// Where an image goes: its first device byte address and the target byte every command for it
// carries.
struct CImagePlacement {
    std::uint32_t firstAddress;
    std::uint8_t target;

    constexpr std::uint32_t FirstBlock() const { return BlockNumberOf(firstAddress); }
};

inline constexpr CImagePlacement kFirmwarePlacement{0x8003000, 0};
inline constexpr CImagePlacement kVoicePlacement{0, 1};
// The database shares the voice image's target byte and starts 1,600 blocks further on.
inline constexpr CImagePlacement kDatabasePlacement{0x190000, 1};

// Decoding a CDB of ours, as a device does. `cdb` holds at least 12 bytes.
constexpr std::uint8_t CdbOpcode(const std::uint8_t* cdb) {
    return cdb[kCdbOpcodeByte];
}
constexpr std::uint8_t CdbTarget(const std::uint8_t* cdb) {
    return cdb[kCdbTargetByte];
}
constexpr std::uint32_t CdbBlockNumber(const std::uint8_t* cdb) {
    const std::uint8_t* field = cdb + kCdbBlockNumberByte;
    return std::uint32_t{field[0]} << 24 | std::uint32_t{field[1]} << 16 |
           std::uint32_t{field[2]} << 8 | std::uint32_t{field[3]};
}
constexpr std::uint32_t CdbAllocationLength(const std::uint8_t* cdb) {
    const std::uint8_t* field = cdb + kCdbAllocationLengthByte;
    return std::uint32_t{field[0]} << 8 | field[1];
}
constexpr bool IsBlockCommand(std::uint8_t opcode) {
    return opcode == SCSIOP_WRITE_BLOCK || opcode == SCSIOP_READ_BLOCK;
}
