#include "platform/drive_backend.h"

#include <cwchar>

#include "platform/scsi_pass_through.h"

// The request block travels to the system as it is, so its header must be the system's own in
// this build's pointer width: the values the device layer and every other backend rely on.
static_assert(IOCTL_SCSI_PASS_THROUGH_DIRECT == 0x4D014);
static_assert(SCSI_IOCTL_DATA_OUT == 0 && SCSI_IOCTL_DATA_IN == 1);

namespace {

// Physical drives through the system's SCSI pass-through: one DeviceIoControl per request, the
// block both input and output, synchronous (no OVERLAPPED), success = the call returned nonzero.
class CWindowsDriveBackend final : public CDriveBackend {
public:
    HANDLE Open(int driveNumber) override {
        if (driveNumber < 0) {
            return INVALID_HANDLE_VALUE;
        }
        wchar_t path[32];
        std::swprintf(path, sizeof path / sizeof path[0], L"\\\\.\\PhysicalDrive%d", driveNumber);
        return ::CreateFileW(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, OPEN_EXISTING, 0, nullptr);
    }

    bool Send(HANDLE handle, void* request, std::uint32_t size) override {
        if (handle == INVALID_HANDLE_VALUE || request == nullptr) {
            return false;
        }
        DWORD returned = 0;
        return ::DeviceIoControl(handle, IOCTL_SCSI_PASS_THROUGH_DIRECT, request, size, request,
                                 size, &returned, nullptr) != 0;
    }

    void Close(HANDLE handle) override {
        if (handle != INVALID_HANDLE_VALUE) {
            ::CloseHandle(handle);
        }
    }
};

}  // namespace

CDriveBackend& GetSystemDriveBackend() {
    static CWindowsDriveBackend backend;
    return backend;
}
