#include "sim/usb_gadget/usb_descriptors.h"

#include <linux/usb/ch9.h>
#include <linux/usb/functionfs.h>

#include <string_view>

namespace {
constexpr std::uint8_t kClassMassStorage = 0x08;
constexpr std::uint8_t kSubclassScsiTransparent = 0x06;
constexpr std::uint8_t kProtocolBulkOnly = 0x50;
constexpr std::uint16_t kFullSpeedBulkPacket = 64;
constexpr std::uint16_t kHighSpeedBulkPacket = 512;
constexpr std::uint16_t kLanguageUsEnglish = 0x0409;
constexpr std::string_view kInterfaceName = "Mass Storage";
// Per speed: the interface and its two endpoints.
constexpr std::uint32_t kDescriptorsPerSpeed = 3;

// Appends little-endian fields, as USB and FunctionFS lay them out.
class CLittleEndianWriter {
public:
    void U8(std::uint8_t value) { m_bytes.push_back(value); }
    void U16(std::uint16_t value) {
        U8(static_cast<std::uint8_t>(value));
        U8(static_cast<std::uint8_t>(value >> 8));
    }
    void U32(std::uint32_t value) {
        U16(static_cast<std::uint16_t>(value));
        U16(static_cast<std::uint16_t>(value >> 16));
    }
    // Writes the total length into the 32-bit field at byte 4, which both blocks have.
    std::vector<std::uint8_t> Finish() {
        auto length = static_cast<std::uint32_t>(m_bytes.size());
        for (int i = 0; i < 4; ++i) {
            m_bytes[4 + i] = static_cast<std::uint8_t>(length >> (8 * i));
        }
        return m_bytes;
    }

private:
    std::vector<std::uint8_t> m_bytes;
};

void WriteInterface(CLittleEndianWriter& out) {
    out.U8(USB_DT_INTERFACE_SIZE);
    out.U8(USB_DT_INTERFACE);
    out.U8(0);  // interface number
    out.U8(0);  // alternate setting
    out.U8(2);  // endpoints
    out.U8(kClassMassStorage);
    out.U8(kSubclassScsiTransparent);
    out.U8(kProtocolBulkOnly);
    out.U8(1);  // the first string of the string block names the interface
}

// FunctionFS takes endpoint descriptors without the two audio bytes.
void WriteBulkEndpoint(CLittleEndianWriter& out, std::uint8_t address, std::uint16_t packet) {
    out.U8(USB_DT_ENDPOINT_SIZE);
    out.U8(USB_DT_ENDPOINT);
    out.U8(address);
    out.U8(USB_ENDPOINT_XFER_BULK);
    out.U16(packet);
    out.U8(0);  // interval: unused for bulk
}

void WriteSpeed(CLittleEndianWriter& out, std::uint16_t packet) {
    WriteInterface(out);
    WriteBulkEndpoint(out, 1 | USB_DIR_IN, packet);
    WriteBulkEndpoint(out, 2 | USB_DIR_OUT, packet);
}
}  // namespace

std::vector<std::uint8_t> MassStorageDescriptors() {
    CLittleEndianWriter out;
    out.U32(FUNCTIONFS_DESCRIPTORS_MAGIC_V2);
    out.U32(0);  // length, filled in by Finish
    out.U32(FUNCTIONFS_HAS_FS_DESC | FUNCTIONFS_HAS_HS_DESC);
    out.U32(kDescriptorsPerSpeed);
    out.U32(kDescriptorsPerSpeed);
    WriteSpeed(out, kFullSpeedBulkPacket);
    WriteSpeed(out, kHighSpeedBulkPacket);
    return out.Finish();
}

std::vector<std::uint8_t> MassStorageStrings() {
    CLittleEndianWriter out;
    out.U32(FUNCTIONFS_STRINGS_MAGIC);
    out.U32(0);  // length, filled in by Finish
    out.U32(1);  // strings per language
    out.U32(1);  // languages
    out.U16(kLanguageUsEnglish);
    for (char c : kInterfaceName) {
        out.U8(static_cast<std::uint8_t>(c));
    }
    out.U8(0);
    return out.Finish();
}
