#include "platform/pass_through_block.h"

#include <cstring>

bool UnpackPassThroughBlock(void* request, std::uint32_t size, CPassThroughBlock& block) {
    if (request == nullptr || size < sizeof(SCSI_PASS_THROUGH_DIRECT)) {
        return false;
    }
    auto* bytes = static_cast<std::uint8_t*>(request);
    std::memcpy(&block.header, bytes, sizeof block.header);
    block.data = block.header.DataBuffer;
    block.dataLength = block.header.DataTransferLength;
    block.sense = nullptr;
    block.senseLength = 0;
    std::uint32_t offset = block.header.SenseInfoOffset;
    if (offset < size) {
        std::uint32_t room = size - offset;
        block.sense = bytes + offset;
        block.senseLength =
            block.header.SenseInfoLength <= room ? block.header.SenseInfoLength : room;
    }
    return true;
}

void RepackHeader(const CPassThroughBlock& block, void* request) {
    std::memcpy(request, &block.header, sizeof block.header);
}
