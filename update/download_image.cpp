#include "update/download_image.h"

#include <cstdint>
#include <cstring>
#include <iterator>

#include "device/device_protocol.h"
#include "device/drive_channel.h"
#include "platform/files/binary_file.h"
#include "platform/sleep.h"
#include "ui/text_progress_ctrl.h"
#include "update/length_watch.h"

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

static_assert(std::size(g_progress) == kSlotCount, "one bar per slot");

void ShowPercentage(int slot, int percentage) {
    if (slot >= 0 && slot < kSlotCount) {
        g_progress[slot].SetPos(percentage);
    }
}

// Fills `verify` with what `data` is not, in every byte, so that a read-back that moves no data,
// or only part of the block, can never match what was sent.
void FillWithComplement(std::uint8_t* verify, const std::uint8_t* data) {
    for (std::uint32_t i = 0; i < kDeviceBlockBytes; ++i) {
        verify[i] = static_cast<std::uint8_t>(~data[i]);
    }
}

struct CBlockOutcome {
    int readBack;   // the last read-back's result: 1 went through, 0 failed
    bool verified;  // the last read-back was carried out and equalled what was sent
};

// Sends one block and reads it back until the two agree, the read-back fails, or the block has
// been sent kMaxSendsPerBlock times. A read-back verifies only when the device reports carrying
// it out: one that refuses the block may still leave bytes in the buffer, even those sent.
CBlockOutcome SendAndVerify(CDriveChannel& channel, const std::uint8_t* data, std::uint8_t* verify,
                            const CImagePlacement& placement, std::uint32_t address) {
    CBlockOutcome outcome{0, false};
    for (int send = 0; send < kMaxSendsPerBlock && !outcome.verified; ++send) {
        channel.WriteBlock(data, placement.target, address);
        FillWithComplement(verify, data);
        bool carriedOut = false;
        outcome.readBack = channel.ReadBlock(verify, placement.target, address, carriedOut);
        if (outcome.readBack != 1) {
            break;
        }
        outcome.verified = carriedOut && std::memcmp(data, verify, kDeviceBlockBytes) == 0;
    }
    return outcome;
}

constexpr int kNextBlock = 1;  // not a result: the transfer goes on

// After a block: the file's length, asked once (it may change while it is written), gives the
// percentage; then the device decides first, the file second. A file cut below what was written
// was rewritten or truncated in place: the device no longer holds a beginning of it, and the
// percentage would pass 100.
int AfterBlock(CBinaryFile& file, const CBlockOutcome& block, std::uint32_t bytesDone, int slot,
               CLengthWatch& watch) {
    std::optional<std::uint64_t> length = file.GetLength();
    bool cut = !length || *length < bytesDone;
    if (!cut) {
        watch.Measured(*length);
        ShowPercentage(slot, Percentage(bytesDone, *length));
    }
    if (block.readBack != 1) {
        return DL_CONNECTION_ERROR;  // gone or failing, whatever the file did
    }
    return cut ? DL_FILE_OPEN_ERROR : kNextBlock;
}

// The device holds what was read. It holds the image only if the file, once its length has
// stayed the same for the quiet time, is exactly that: as long, with the same bytes. Otherwise
// the next attempt writes it anew.
int AfterLastBlock(const CBinaryFile& file, const CLengthWatch& watch) {
    SleepFor(watch.MillisecondsUntilQuiet(kImageQuietMs));
    return file.IsExactlyWhatWasRead() ? DL_OK : DL_FILE_OPEN_ERROR;
}

int Transfer(CBinaryFile& file, CDriveChannel& channel, const CImagePlacement& placement, int slot,
             CLengthWatch& watch) {
    alignas(kDataBufferAlignment) std::uint8_t data[kDeviceBlockBytes];
    alignas(kDataBufferAlignment) std::uint8_t verify[kDeviceBlockBytes];
    std::uint32_t address = placement.firstAddress;
    std::uint32_t bytesDone = 0;
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
        CBlockOutcome block = SendAndVerify(channel, data, verify, placement, address);
        if (block.readBack == 1 && !block.verified) {
            return DL_VERIFY_ERROR;
        }
        address += bytesRead;
        bytesDone += bytesRead;
        if (int next = AfterBlock(file, block, bytesDone, slot, watch); next != kNextBlock) {
            return next;
        }
    } while (bytesRead == kDeviceBlockBytes);
    return AfterLastBlock(file, watch);
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
    CLengthWatch watch(*length);
    return Transfer(file, *channel, placement, slot, watch);  // the file closes as it goes out
}
