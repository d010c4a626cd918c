#include "platform/files/file_reading.h"

#include <windows.h>

#include "platform/windows/wide.h"

namespace {

HANDLE ToHandle(FileHandle file) {
    return reinterpret_cast<HANDLE>(file);
}

}  // namespace

FileHandle OpenFileForReading(const std::u16string& path) {
    // Read access only; other programs may read and write the file meanwhile. Without
    // FILE_FLAG_BACKUP_SEMANTICS a directory does not open.
    HANDLE handle =
        ::CreateFileW(ToWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return kNoFile;
    }
    // A pipe or a device carrying the name would never deliver an image.
    if (::GetFileType(handle) != FILE_TYPE_DISK) {
        ::CloseHandle(handle);
        return kNoFile;
    }
    return reinterpret_cast<FileHandle>(handle);
}

std::optional<std::uint32_t> ReadFileAt(FileHandle file, void* buffer, std::uint32_t count,
                                        std::uint64_t offset) {
    std::uint32_t done = 0;
    auto* bytes = static_cast<unsigned char*>(buffer);
    while (done < count) {
        OVERLAPPED at = {};
        std::uint64_t position = offset + done;
        at.Offset = static_cast<DWORD>(position);
        at.OffsetHigh = static_cast<DWORD>(position >> 32);
        DWORD got = 0;
        if (::ReadFile(ToHandle(file), bytes + done, count - done, &got, &at) == 0) {
            // Reading at or past the end is the end of the file, not an error.
            if (::GetLastError() == ERROR_HANDLE_EOF) {
                break;
            }
            return std::nullopt;
        }
        if (got == 0) {
            break;
        }
        done += got;
    }
    return done;
}

std::optional<std::uint64_t> FileLength(FileHandle file) {
    LARGE_INTEGER size;
    if (file == kNoFile || ::GetFileSizeEx(ToHandle(file), &size) == 0 || size.QuadPart < 0) {
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(size.QuadPart);
}

void CloseFile(FileHandle file) {
    if (file != kNoFile) {
        ::CloseHandle(ToHandle(file));
    }
}
