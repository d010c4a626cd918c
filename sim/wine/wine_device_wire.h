#pragma once
// What travels between the shim inside a program under Wine (sg_io_shim.cpp) and the device
// server (zelvane-wine-device): one SG_IO request out, one answer back, each one datagram on a
// SOCK_SEQPACKET Unix socket; and control commands as text, one line per datagram.
//
// Both ends are built from this tree for the same machine, so the structures travel as they lie
// in memory.

#include <cstdint>
#include <string>

// Everything of one fake-device setup lives in one folder: the drive nodes (regular files named
// drive<N>, made once and never replaced, so a drive keeps its inode through every plug cycle:
// Wine keeps per-process state for five inodes only) and the server's socket.
inline constexpr const char* kWineDeviceDirVariable = "ZELVANE_WINE_DEVICE_DIR";
inline constexpr int kWineDriveCount = 26;
inline constexpr std::uint32_t kWineMaxTransfer = 64 * 1024;
inline constexpr std::uint32_t kWineMaxSense = 255;

std::string WineDriveNodePath(const std::string& dir, int drive);
std::string WineSocketPath(const std::string& dir);
// The drive whose node `path` is inside `dir`, or -1 when it is none of them.
int WineDriveOfNode(const std::string& dir, const std::string& path);

enum class EWineMessage : std::uint32_t { kSgIo = 0x5A534731, kControl = 0x5A435431 };

// A descriptor's tag is the file offset of its open file description: the server gives every
// descriptor it has not seen before (offset 0) a tag, and the shim seeks the descriptor to it.
// The offset belongs to the open, not to the descriptor number, so a number that Wine closes and
// reuses for another open starts again at 0; nothing else moves the offset of these nodes.
struct CWineSgRequest {
    EWineMessage kind = EWineMessage::kSgIo;
    std::int32_t drive = -1;
    std::uint64_t tag = 0;
    std::uint8_t cdb[16] = {};
    std::uint8_t cdbLength = 0;
    std::uint8_t dataIn = 0;  // SCSI_IOCTL_DATA_IN or SCSI_IOCTL_DATA_OUT
    std::uint8_t senseRoom = 0;
    std::uint32_t dataLength = 0;
    std::uint32_t timeoutMs = 0;
    // Followed by the dataLength bytes to the device for SCSI_IOCTL_DATA_OUT.
};

struct CWineSgAnswer {
    // False: the platform call fails (the shim's ioctl returns -1); nothing else below counts.
    std::uint8_t succeeded = 0;
    std::uint8_t scsiStatus = 0;
    std::uint8_t senseLength = 0;
    std::uint64_t tag = 0;  // the descriptor's tag from now on
    std::uint32_t residual = 0;
    std::uint8_t sense[kWineMaxSense] = {};
    // Followed by dataLength bytes from the device for SCSI_IOCTL_DATA_IN.
};
