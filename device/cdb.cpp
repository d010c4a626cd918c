#include "device/cdb.h"

Cdb12 MakeInquiryCdb() {
    return Cdb12{SCSIOP_INQUIRY, 0x00, 0x80, 0x00, 0x88, 0x00, 0, 0, 0, 0, 0, 0};
}

Cdb12 MakeBlockCdb(std::uint8_t opcode, int target, std::uint32_t blockNumber) {
    Cdb12 cdb{};
    cdb[0] = opcode;
    cdb[1] = static_cast<std::uint8_t>(target & 0xFF);
    cdb[2] = static_cast<std::uint8_t>(blockNumber >> 24);
    cdb[3] = static_cast<std::uint8_t>(blockNumber >> 16);
    cdb[4] = static_cast<std::uint8_t>(blockNumber >> 8);
    cdb[5] = static_cast<std::uint8_t>(blockNumber);
    cdb[8] = 0x01;
    return cdb;
}
