#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/drive_backend.h"
#include "platform/linux/sg_io_translation.h"
#include "platform/pass_through_block.h"

namespace {

// Drives are the SCSI generic nodes /dev/sgN: every SCSI device has one whatever its type, a
// read-write descriptor may send any command (vendor commands included), and closing a character
// node does not make udev rescan the device as closing a block device opened for writing does.
class CSgDriveBackend final : public CDriveBackend {
public:
    HANDLE Open(int driveNumber) override {
        if (driveNumber < 0) {
            return INVALID_HANDLE_VALUE;
        }
        int fd = ::open(ScsiGenericPath(driveNumber).c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
        return fd < 0 ? INVALID_HANDLE_VALUE : ToHandle(fd);
    }

    bool Send(HANDLE handle, void* request, std::uint32_t size) override {
        CPassThroughBlock block;
        if (handle == INVALID_HANDLE_VALUE || !UnpackPassThroughBlock(request, size, block)) {
            return false;
        }
        sg_io_hdr_t io;
        TranslateToSgIo(block, io);
        int result;
        do {
            result = ::ioctl(ToFd(handle), SG_IO, &io);
        } while (result < 0 && errno == EINTR);
        CopySgIoResult(io, block.header);
        RepackHeader(block, request);
        return SgIoSucceeded(result, io);
    }

    void Close(HANDLE handle) override {
        if (handle != INVALID_HANDLE_VALUE) {
            ::close(ToFd(handle));
        }
    }

private:
    static HANDLE ToHandle(int fd) {
        return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(fd));
    }
    static int ToFd(HANDLE handle) {
        return static_cast<int>(reinterpret_cast<std::intptr_t>(handle));
    }
};

}  // namespace

CDriveBackend& GetSystemDriveBackend() {
    static CSgDriveBackend backend;
    return backend;
}
