#pragma once
// What travels between the shim inside a program under Wine (sg_io_shim.cpp) and the device
// server (zelvane-wine-device): one SG_IO request out, one answer back, each one datagram on a
// SOCK_SEQPACKET Unix socket; and control commands as text, one line per datagram.
//
// Both ends are built from this tree for the same machine, so the structures travel as they lie
// in memory.

#include <cstdint>
#include <string>

// Everything of one fake-device setup lives in one folder: the drive nodes and the server's
// socket. A drive's node is a regular file drive<N>, made once and never replaced, so the drive
// keeps its inode through every plug cycle (Wine keeps per-process state for five inodes only).
// Each plug gives the node one more name, drive<N>.g<G> for the plug's generation G, and links
// the drive to that name; the name a descriptor was opened by is what the kernel reports for it,
// so the generation tells a descriptor opened before a pull from one opened after the replug,
// although the wineserver, not the program, opens them.
inline constexpr const char* kWineDeviceDirVariable = "ZELVANE_WINE_DEVICE_DIR";
inline constexpr int kWineDriveCount = 26;
inline constexpr std::uint32_t kWineMaxTransfer = 64 * 1024;
inline constexpr std::uint32_t kWineMaxSense = 255;

std::string WineDriveNodePath(const std::string& dir, int drive);
std::string WineDriveNodePath(const std::string& dir, int drive, std::uint64_t generation);
std::string WineSocketPath(const std::string& dir);

struct CWineNodeName {
    int drive;
    std::uint64_t generation;
};
// The drive and generation of `path` (as /proc/self/fd reports it, " (deleted)" included) when
// it is a generation name of a node inside `dir`; false otherwise.
bool ParseWineNodePath(const std::string& dir, const std::string& path, CWineNodeName& name);

enum class WineMessageKind : std::uint32_t { kSgIo = 0x5A534731, kControl = 0x5A435431 };

struct CWineSgRequest {
    WineMessageKind kind = WineMessageKind::kSgIo;
    std::int32_t drive = -1;
    std::uint64_t generation = 0;  // of the name the descriptor was opened by
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
    std::uint32_t residual = 0;
    std::uint8_t sense[kWineMaxSense] = {};
    // Followed by dataLength bytes from the device for SCSI_IOCTL_DATA_IN.
};
