#pragma once
// The three 12-byte command descriptor blocks the updater sends. Building one is a pure
// computation: no device, no platform. The layout they follow is in device_protocol.h.

#include <cstdint>

#include "device/device_protocol.h"

// INQUIRY as devices in update mode expect it: byte 2 is 0x80 and the allocation length
// kInquiryAllocationLength.
Cdb12 MakeInquiryCdb();

// A vendor block command: byte 1 the low byte of `target`, bytes 2 to 5 the block number most
// significant byte first, byte 8 the block count 1.
Cdb12 MakeBlockCdb(std::uint8_t opcode, int target, std::uint32_t blockNumber);
