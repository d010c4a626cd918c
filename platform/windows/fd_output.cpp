#include "platform/files/fd_output.h"

#include <io.h>
#include <windows.h>

namespace {

// The standard descriptors are the process's standard handles; others are the C runtime's.
HANDLE HandleOf(int fd) {
    switch (fd) {
        case 0:
            return ::GetStdHandle(STD_INPUT_HANDLE);
        case 1:
            return ::GetStdHandle(STD_OUTPUT_HANDLE);
        case 2:
            return ::GetStdHandle(STD_ERROR_HANDLE);
        default:
            return reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
    }
}

}  // namespace

void IgnoreBrokenPipes() {
    // Nothing to do: Windows has no SIGPIPE; a write to a pipe whose reader has gone fails
    // with ERROR_NO_DATA, which WriteAllBytes reports.
}

bool IsTerminal(int fd) {
    HANDLE handle = HandleOf(fd);
    DWORD mode = 0;
    return handle != nullptr && handle != INVALID_HANDLE_VALUE &&
           ::GetFileType(handle) == FILE_TYPE_CHAR && ::GetConsoleMode(handle, &mode) != 0;
}

bool WriteAllBytes(int fd, const char* data, std::size_t size) {
    HANDLE handle = HandleOf(fd);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
        return false;
    }
    while (size > 0) {
        DWORD chunk = size > 0x10000000 ? 0x10000000 : static_cast<DWORD>(size);
        DWORD written = 0;
        if (::WriteFile(handle, data, chunk, &written, nullptr) == 0 || written == 0) {
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}
