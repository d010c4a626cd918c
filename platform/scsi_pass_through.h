#pragma once
// The SCSI pass-through header that a request block starts with. On Windows it is the system's
// own; elsewhere it is declared here with the same fields, order and natural alignment, so the
// request block has the same layout everywhere and the drive backends translate from it.

#include <cstdint>

#ifdef _WIN32
// <ntddscsi.h> relies on the types and macros of <windows.h> and <winioctl.h> before it; blocks
// of their own keep the three in this order.
#include <windows.h>

#include <winioctl.h>

#include <ntddscsi.h>
#else
struct SCSI_PASS_THROUGH_DIRECT {
    std::uint16_t Length;
    std::uint8_t ScsiStatus;
    std::uint8_t PathId;
    std::uint8_t TargetId;
    std::uint8_t Lun;
    std::uint8_t CdbLength;
    std::uint8_t SenseInfoLength;
    std::uint8_t DataIn;
    std::uint32_t DataTransferLength;
    std::uint32_t TimeOutValue;
    void* DataBuffer;
    std::uint32_t SenseInfoOffset;
    std::uint8_t Cdb[16];
};

inline constexpr std::uint8_t SCSI_IOCTL_DATA_OUT = 0;
inline constexpr std::uint8_t SCSI_IOCTL_DATA_IN = 1;
#endif
