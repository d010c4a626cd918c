#pragma once
// Access to physical drives: the one narrow interface every drive backend implements (the
// operating system's, the simulator's). It mirrors the three system services the device layer
// was written against: open a drive, send one pass-through request on it, close it.
//
// Contract every backend honours:
// - Open(n) returns a handle for drive number n, or INVALID_HANDLE_VALUE when there is no such
//   drive, the process may not open it, or the device is gone. It never throws. The caller owns
//   the handle and gives it back with Close exactly once.
// - Send(h, request, size) sends one request block that starts with a SCSI_PASS_THROUGH_DIRECT
//   header; `size` bytes of the block are both input and output. The header's DataBuffer points
//   to DataTransferLength bytes moved in the direction of DataIn, and SenseInfoOffset (from the
//   start of the block) to SenseInfoLength bytes of sense area. It returns only when the request
//   has completed, and returns true when the platform call succeeded. A device that rejects a
//   command with a SCSI status still counts as a successful call; the header's ScsiStatus then
//   holds that status (GOOD, 0, when the device carried the command out). On a handle whose
//   device is gone, or on INVALID_HANDLE_VALUE, it returns false.
// - Close(h) releases the handle; INVALID_HANDLE_VALUE is ignored.
// - Any thread may call any operation; one handle is used by one thread at a time.

#include <cstdint>

#ifdef _WIN32
#include <windows.h>
#else
using HANDLE = void*;
inline HANDLE const INVALID_HANDLE_VALUE = reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(-1));
#endif

class CDriveBackend {
public:
    virtual ~CDriveBackend() = default;
    virtual HANDLE Open(int driveNumber) = 0;
    virtual bool Send(HANDLE handle, void* request, std::uint32_t size) = 0;
    virtual void Close(HANDLE handle) = 0;
};

// The backend the device layer uses now: the one a CScopedDriveBackend
// (platform/drive_backend_override.h) has put in place, else the operating system's. Any thread.
CDriveBackend& GetDriveBackend();

// The operating system's backend; implemented per system: on Linux SG_IO in
// platform/linux/sg_drive_backend.cpp, on Windows IOCTL_SCSI_PASS_THROUGH_DIRECT in
// platform/windows/drive_backend.cpp. Lives as long as the process.
CDriveBackend& GetSystemDriveBackend();
