#pragma once
// The request block of every device command: the pass-through header, a filler, and the sense
// area. The same block is both the input and the output of the platform call.

#include <cstddef>
#include <cstdint>

#include "platform/scsi_pass_through.h"

struct PassThroughRequest {
    SCSI_PASS_THROUGH_DIRECT Header;
    std::uint32_t Filler;
    std::uint8_t SenseBuffer[128];
};

// Sense bytes announced to the platform; the rest of the area is never read.
inline constexpr std::uint8_t kSenseInfoLength = 32;
inline constexpr std::uint8_t kCdbLength = 12;
// 5000 seconds: the field counts seconds, and a device in update mode can take long.
inline constexpr std::uint32_t kTimeOutSeconds = 5000;
// The alignment of every command's data buffer. Direct pass-through moves the data straight
// between the device and that buffer, and an adapter refuses one that misses its AlignmentMask
// (up to 8 bytes); a byte array on a 32-bit stack is only sure of 4.
inline constexpr std::size_t kDataBufferAlignment = 16;

// The header's size follows the pointer width of the build (its DataBuffer is a pointer); the
// 32-bit layout is the one devices were first driven with: 44 + 4 + 128 = 176 bytes. In the
// Windows builds SCSI_PASS_THROUGH_DIRECT is the system's own (<ntddscsi.h>), so these checks
// prove the block against it in both the x86 and the x64 program.
#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(SCSI_PASS_THROUGH_DIRECT) == 44);
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, DataBuffer) == 20);
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, SenseInfoOffset) == 24);
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, Cdb) == 28);
static_assert(offsetof(PassThroughRequest, Filler) == 44);
static_assert(offsetof(PassThroughRequest, SenseBuffer) == 48);
static_assert(sizeof(PassThroughRequest) == 176);
#else
static_assert(sizeof(SCSI_PASS_THROUGH_DIRECT) == 56);
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, DataBuffer) == 24);
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, SenseInfoOffset) == 32);
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, Cdb) == 36);
static_assert(offsetof(PassThroughRequest, Filler) == 56);
static_assert(offsetof(PassThroughRequest, SenseBuffer) == 60);
static_assert(sizeof(PassThroughRequest) == 192);
#endif
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, Length) == 0);
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, ScsiStatus) == 2);
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, PathId) == 3);
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, TargetId) == 4);
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, Lun) == 5);
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, CdbLength) == 6);
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, SenseInfoLength) == 7);
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, DataIn) == 8);
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, DataTransferLength) == 12);
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, TimeOutValue) == 16);
