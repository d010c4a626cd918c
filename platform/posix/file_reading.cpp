#include "platform/files/file_reading.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/files/utf.h"

FileHandle OpenFileForReading(const std::u16string& path) {
    // Non-blocking, so that opening a FIFO that happens to carry the image's name cannot hang
    // the caller; it is refused below as not a regular file.
    int fd = ::open(ToUtf8(path).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        return kNoFile;
    }
    struct stat info;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return kNoFile;
    }
    return fd;
}

std::optional<std::uint32_t> ReadFileAt(FileHandle file, void* buffer, std::uint32_t count,
                                        std::uint64_t offset) {
    std::uint32_t done = 0;
    auto* bytes = static_cast<unsigned char*>(buffer);
    while (done < count) {
        ssize_t got = ::pread(static_cast<int>(file), bytes + done, count - done,
                              static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            return std::nullopt;
        }
        if (got == 0) {
            break;  // the end of the file
        }
        done += static_cast<std::uint32_t>(got);
    }
    return done;
}

std::optional<std::uint64_t> FileLength(FileHandle file) {
    struct stat info;
    if (file == kNoFile || ::fstat(static_cast<int>(file), &info) != 0) {
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(info.st_size);
}

void CloseFile(FileHandle file) {
    if (file != kNoFile) {
        ::close(static_cast<int>(file));
    }
}
