#pragma once
// One request block as every drive backend reads it: the pass-through header at its start, the
// data buffer the header points to, and the sense area inside the block. Both the operating
// system's backend and the simulator's unpack a block here, so they agree on what a malformed
// header means.

#include <cstdint>

#include "platform/scsi_pass_through.h"

struct CPassThroughBlock {
    // A copy of the header; the backend fills in ScsiStatus and the rest, then RepackHeader.
    SCSI_PASS_THROUGH_DIRECT header;
    // header.DataBuffer and header.DataTransferLength: the caller's buffer, not checked here.
    void* data;
    std::uint32_t dataLength;
    // SenseInfoLength bytes at SenseInfoOffset from the start of the block, cut to what lies
    // inside the block: an offset at or past its end gives no sense area (nullptr, 0), and a
    // length that runs past its end ends with the block. So a malformed offset or length never
    // makes anyone write outside the `size` bytes the caller handed over.
    std::uint8_t* sense;
    std::uint32_t senseLength;
};

// Unpacks the `size` bytes at `request`. False, and `block` untouched, when `request` is null
// or `size` is smaller than the header.
bool UnpackPassThroughBlock(void* request, std::uint32_t size, CPassThroughBlock& block);

// Copies `block.header` back to the start of the request block it was unpacked from, which is
// how the caller sees ScsiStatus and the bytes moved after the call.
void RepackHeader(const CPassThroughBlock& block, void* request);
