#pragma once
// The three 12-byte command descriptor blocks the updater sends. Building one is a pure
// computation: no device, no platform.

#include <array>
#include <cstdint>

using Cdb12 = std::array<std::uint8_t, 12>;

inline constexpr std::uint8_t SCSIOP_INQUIRY = 0x12;
inline constexpr std::uint8_t SCSIOP_WRITE_BLOCK = 0xCA;  // vendor: write one block
inline constexpr std::uint8_t SCSIOP_READ_BLOCK = 0xC8;   // vendor: read one block

// INQUIRY as devices in update mode expect it: byte 2 is 0x80 and the allocation length 136.
Cdb12 MakeInquiryCdb();

// A vendor block command: byte 1 the low byte of `target`, bytes 2 to 5 the block number most
// significant byte first, byte 8 the block count 1.
Cdb12 MakeBlockCdb(std::uint8_t opcode, int target, std::uint32_t blockNumber);
