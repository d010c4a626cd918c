#pragma once
// The data path of an update: one image file written into one device, block by block, each
// block read back and compared.

#include <string>

class CDriveChannel;

// Which image, and so where on the device it goes and which target byte its commands carry (the
// placements are in device/device_protocol.h).
enum ImageKind : int {
    IMAGE_FIRMWARE = 0,  // kFirmwarePlacement
    IMAGE_VOICE = 1,     // kVoicePlacement
    IMAGE_DB = 2,        // kDatabasePlacement
};

enum DownloadResult : int {
    DL_OK = 0,                 // every block read back equal to what was sent
    DL_TARGET_ERROR = -1,      // unknown kind, or the image would pass device address 2^32
    DL_CONNECTION_ERROR = -2,  // a read-back command failed; the transfer stopped after that block
    DL_FILE_OPEN_ERROR = -3,   // the file did not open, reading or measuring it failed, or it
                               // changed under the transfer (rewritten, cut, or grown after its
                               // last block was read)
    DL_VERIFY_ERROR = -4,      // one block still read back different after its last send
};

// A block is sent at most this often while its read-back succeeds but differs.
inline constexpr int kMaxSendsPerBlock = 8;
// How long an image must have kept its length before a transfer of it counts as done: a copy
// still coming in grows meanwhile, and a transfer that reaches its current end would otherwise
// report a part of it as the whole.
inline constexpr unsigned kImageQuietMs = 1000;

// Writes the file at `path` to the device behind `channel` (open, borrowed: neither opened nor
// closed here) and returns a DownloadResult. Blocks are kDeviceBlockBytes long, the last one
// filled up with 0xFF; a file whose length is a multiple of it (or empty) gets one more block of
// 0xFF. After every block the percentage goes to g_progress[slot] when `slot` is 0 to 3. Blocks
// already written stay on the device whatever the outcome.
//
// DL_OK only when every block read back equal to what was sent and the device holds exactly the
// file: one that grows meanwhile is written to its new end; then, once its length has stayed the
// same for kImageQuietMs since the transfer last saw it change (or opened it), the file must be
// exactly as long as what was written and still begin with the same bytes. A file that changed
// or grew after its last block was read gives DL_FILE_OPEN_ERROR (a new attempt writes it anew
// from its first block), so does one cut below what was written, and the percentage never passes
// 100. A failed read-back gives DL_CONNECTION_ERROR whatever the file did in that block. Runs on
// the caller's thread, pausing only for the quiet time; keeps nothing.
int DownloadImage(std::u16string path, CDriveChannel* channel, int kind, int slot);
