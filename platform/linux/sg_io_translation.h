#pragma once
// Pure translation between a pass-through request block and the Linux sg driver's SG_IO header,
// kept apart from the system calls so that it can be tested without a device.

#include <cstdint>
#include <string>

#include <scsi/sg.h>

#include "platform/pass_through_block.h"
#include "platform/scsi_pass_through.h"

// "/dev/sg" followed by the drive number in decimal: the SCSI generic node, the Linux
// counterpart of a numbered physical drive.
std::string ScsiGenericPath(int driveNumber);

// Fills `io` for an unpacked request block: its CDB (pointing into `block.header`, which must
// outlive the call), data and sense area as UnpackPassThroughBlock cut it, so a malformed sense
// offset never makes the kernel write outside the caller's block.
void TranslateToSgIo(const CPassThroughBlock& block, sg_io_hdr_t& io);

// Whether the ioctl delivered the command: it returned 0 and reported no transport error (no
// host status, no driver status but the flag that sense data is present). The SCSI status is
// not judged here, as the callers judge the data instead.
bool SgIoSucceeded(int ioctlResult, const sg_io_hdr_t& io);

// Writes back what the platform reports after a call: the SCSI status and the bytes moved.
void CopySgIoResult(const sg_io_hdr_t& io, SCSI_PASS_THROUGH_DIRECT& header);
