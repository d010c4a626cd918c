#include "update/download_image.h"

#include <cstdint>
#include <cstring>

#include "device/device_protocol.h"
#include "device/drive_channel.h"
#include "platform/files/binary_file.h"
#include "ui/text_progress_ctrl.h"

namespace {

constexpr std::uint64_t kAddressSpace = std::uint64_t{1} << 32;

bool PlacementOf(int kind, CImagePlacement& placement) {
    switch (kind) {
        case IMAGE_FIRMWARE:
            placement = kFirmwarePlacement;
            return true;
        case IMAGE_VOICE:
            placement = kVoicePlacement;
            return true;
        case IMAGE_DB:
            placement = kDatabasePlacement;
            return true;
        default:
            return false;
    }
}

// Every image takes one block per full block of bytes plus one: the short last block, or the
// all-0xFF block after a file that ends on a block boundary. 32-bit addresses must not wrap.
bool FitsBelowAddressLimit(std::uint32_t firstAddress, std::uint64_t length) {
    std::uint64_t blocks = length / kDeviceBlockBytes + 1;
    return firstAddress + blocks * kDeviceBlockBytes <= kAddressSpace;
}

int Percentage(std::uint32_t bytesDone, std::uint64_t length) {
    if (length == 0) {
        return 100;  // nothing was left to write
    }
    // The quotient first, then times 100, truncated: 29,696 of 102,400 bytes shows 28. The caller
    // has made sure the file is not shorter than what was written, so this stays within 0 to 100.
    double percentage = static_cast<double>(bytesDone) / static_cast<double>(length) * 100.0;
    return static_cast<int>(percentage);
}

// A file cut below what was already written was rewritten or truncated in place: the device no
// longer holds a beginning of it, and the percentage would pass 100.
bool FileCutBelow(std::uint64_t length, std::uint32_t bytesDone) {
    return length < bytesDone;
}

void ShowPercentage(int slot, int percentage) {
    if (slot >= 0 && slot < kSlotCount) {
        g_progress[slot].SetPos(percentage);
    }
}

// Sends one block and reads it back until the two agree, the read-back fails, or the block has
// been sent kMaxSendsPerBlock times. Returns the last read-back result; `verified` tells
// whether the blocks agreed.
int SendAndVerify(CDriveChannel& channel, const std::uint8_t* data, std::uint8_t* verify,
                  const CImagePlacement& placement, std::uint32_t address, bool& verified) {
    int readBack = 0;
    verified = false;
    for (int send = 0; send < kMaxSendsPerBlock && !verified; ++send) {
        channel.WriteBlock(data, placement.target, address);
        std::memset(verify, 0x00, kDeviceBlockBytes);
        readBack = channel.ReadBlock(verify, placement.target, address);
        if (readBack != 1) {
            return readBack;
        }
        verified = std::memcmp(data, verify, kDeviceBlockBytes) == 0;
    }
    return readBack;
}

int Transfer(CBinaryFile& file, CDriveChannel& channel, const CImagePlacement& placement,
             int slot) {
    std::uint8_t data[kDeviceBlockBytes];
    std::uint8_t verify[kDeviceBlockBytes];
    std::uint32_t address = placement.firstAddress;
    std::uint32_t bytesDone = 0;
    int readBack = 0;
    std::uint32_t bytesRead;
    do {
        if (address + std::uint64_t{kDeviceBlockBytes} > kAddressSpace) {
            return DL_TARGET_ERROR;  // the file grew past what the device can address
        }
        std::memset(data, 0xFF, kDeviceBlockBytes);
        std::optional<std::uint32_t> got = file.Read(data, kDeviceBlockBytes);
        if (!got) {
            return DL_FILE_OPEN_ERROR;
        }
        bytesRead = *got;
        bool verified = false;
        readBack = SendAndVerify(channel, data, verify, placement, address, verified);
        if (readBack == 1 && !verified) {
            return DL_VERIFY_ERROR;
        }
        address += bytesRead;
        bytesDone += bytesRead;
        // Asked after every block: the file may change while it is written.
        std::optional<std::uint64_t> length = file.GetLength();
        if (!length || FileCutBelow(*length, bytesDone)) {
            return DL_FILE_OPEN_ERROR;
        }
        ShowPercentage(slot, Percentage(bytesDone, *length));
    } while (bytesRead == kDeviceBlockBytes && readBack == 1);
    if (readBack == 1 && !file.StillBeginsWithWhatWasRead()) {
        return DL_FILE_OPEN_ERROR;  // the device holds parts of two versions: write it anew
    }
    return readBack == 1 ? DL_OK : DL_CONNECTION_ERROR;
}

}  // namespace

int DownloadImage(std::u16string path, CDriveChannel* channel, int kind, int slot) {
    CImagePlacement placement;
    if (!PlacementOf(kind, placement)) {
        return DL_TARGET_ERROR;
    }
    CBinaryFile file;
    if (!file.Open(path)) {
        return DL_FILE_OPEN_ERROR;
    }
    std::optional<std::uint64_t> length = file.GetLength();
    if (!length) {
        return DL_FILE_OPEN_ERROR;
    }
    if (!FitsBelowAddressLimit(placement.firstAddress, *length)) {
        return DL_TARGET_ERROR;
    }
    if (channel == nullptr) {
        return DL_CONNECTION_ERROR;
    }
    return Transfer(file, *channel, placement, slot);  // the file closes as it goes out of scope
}
