#include "sim/usb_gadget/bulk_only_wrappers.h"

#include <algorithm>

namespace {
constexpr std::uint32_t kCbwSignature = 0x43425355;  // "USBC"
constexpr std::uint32_t kCswSignature = 0x53425355;  // "USBS"
constexpr std::uint8_t kDirectionIn = 0x80;
constexpr std::uint8_t kMaxCdbLength = 16;

std::uint32_t LittleEndian32(const std::uint8_t* bytes) {
    return std::uint32_t{bytes[0]} | std::uint32_t{bytes[1]} << 8 | std::uint32_t{bytes[2]} << 16 |
           std::uint32_t{bytes[3]} << 24;
}

void PutLittleEndian32(std::uint8_t* out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        out[i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}
}  // namespace

std::optional<CCommandBlockWrapper> ParseCommandBlockWrapper(const std::uint8_t* bytes,
                                                             std::size_t size) {
    if (size != kCbwSize || LittleEndian32(bytes) != kCbwSignature) {
        return std::nullopt;
    }
    CCommandBlockWrapper cbw{};
    cbw.tag = LittleEndian32(bytes + 4);
    cbw.dataLength = LittleEndian32(bytes + 8);
    cbw.dataIn = (bytes[12] & kDirectionIn) != 0;
    cbw.lun = bytes[13] & 0x0F;
    cbw.cdbLength = bytes[14] & 0x1F;
    if (cbw.cdbLength == 0 || cbw.cdbLength > kMaxCdbLength) {
        return std::nullopt;
    }
    std::copy_n(bytes + 15, cbw.cdbLength, cbw.cdb.begin());
    return cbw;
}

std::array<std::uint8_t, kCswSize> MakeCommandStatusWrapper(std::uint32_t tag,
                                                            std::uint32_t residue,
                                                            CswStatus status) {
    std::array<std::uint8_t, kCswSize> csw{};
    PutLittleEndian32(csw.data(), kCswSignature);
    PutLittleEndian32(csw.data() + 4, tag);
    PutLittleEndian32(csw.data() + 8, residue);
    csw[12] = static_cast<std::uint8_t>(status);
    return csw;
}
