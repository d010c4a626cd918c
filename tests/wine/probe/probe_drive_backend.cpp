// The probe's stand-in for the program's Windows drive backend
// (platform/windows/drive_backend.cpp), used while a tree has none: the three system services the
// device layer was written against, nothing more. tests/wine/CMakeLists.txt takes the program's own
// when it is there.

#include <windows.h>
// After windows.h, whose types they use; WIN32_LEAN_AND_MEAN leaves out the control codes.
#include <winioctl.h>
// And the pass-through's own header last.
#include <ntddscsi.h>

#include <cwchar>

#include "platform/drive_backend.h"

namespace {
class CProbeDriveBackend final : public CDriveBackend {
public:
    HANDLE Open(int driveNumber) override {
        wchar_t path[32];
        std::swprintf(path, sizeof path / sizeof path[0], L"\\\\.\\PhysicalDrive%d", driveNumber);
        return CreateFileW(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, OPEN_EXISTING, 0, nullptr);
    }

    bool Send(HANDLE handle, void* request, std::uint32_t size) override {
        DWORD returned = 0;
        return DeviceIoControl(handle, IOCTL_SCSI_PASS_THROUGH_DIRECT, request, size, request, size,
                               &returned, nullptr) != 0;
    }

    void Close(HANDLE handle) override {
        if (handle != INVALID_HANDLE_VALUE) {
            CloseHandle(handle);
        }
    }
};
}  // namespace

CDriveBackend& GetSystemDriveBackend() {
    static CProbeDriveBackend backend;
    return backend;
}
