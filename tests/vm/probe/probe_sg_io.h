#pragma once
// A bare SG_IO request as the probe sends it outside the product's drive channel: the floor of
// the round-trip measurement and the check of a rejected command's sense data.

#include <scsi/sg.h>

#include <cstdint>

#include "device/pass_through_request.h"

inline constexpr unsigned kProbeTimeoutMs = 20000;
// The sense room the product's own requests announce.
inline constexpr unsigned char kProbeSenseBytes = kSenseInfoLength;

// The header for one command of `cdbLength` bytes moving `dataLength` bytes in `direction`
// (SG_DXFER_TO_DEV or SG_DXFER_FROM_DEV), with a sense area of `senseLength` bytes. The buffers
// are borrowed and must outlive the ioctl.
inline sg_io_hdr_t PreparedSgIo(std::uint8_t* cdb, unsigned char cdbLength, void* data,
                                unsigned dataLength, int direction, std::uint8_t* sense,
                                unsigned char senseLength) {
    sg_io_hdr_t io{};
    io.interface_id = 'S';
    io.dxfer_direction = direction;
    io.cmd_len = cdbLength;
    io.cmdp = cdb;
    io.dxfer_len = dataLength;
    io.dxferp = data;
    io.mx_sb_len = senseLength;
    io.sbp = sense;
    io.timeout = kProbeTimeoutMs;
    return io;
}
