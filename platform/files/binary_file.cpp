#include "platform/files/binary_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/files/file_find.h"
#include "platform/files/utf.h"

namespace platform {

bool CBinaryFile::Open(const std::u16string& path) {
    Close();
    if (path.empty() || path.size() >= kMaxPathChars) {
        return false;
    }
    // Non-blocking, so that opening a FIFO that happens to carry the image's name cannot hang
    // the caller; it is refused below as not a regular file.
    int fd = ::open(ToUtf8(path).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        return false;
    }
    struct stat info;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}

std::optional<std::uint32_t> CBinaryFile::Read(void* buffer, std::uint32_t count) {
    if (m_fd < 0) {
        return std::nullopt;
    }
    std::uint32_t done = 0;
    auto* bytes = static_cast<unsigned char*>(buffer);
    // A regular file may still deliver less than asked in one call; only the end stops us.
    while (done < count) {
        ssize_t got = ::read(m_fd, bytes + done, count - done);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            return std::nullopt;
        }
        if (got == 0) {
            break;
        }
        done += static_cast<std::uint32_t>(got);
    }
    return done;
}

std::optional<std::uint64_t> CBinaryFile::GetLength() const {
    struct stat info;
    if (m_fd < 0 || ::fstat(m_fd, &info) != 0) {
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(info.st_size);
}

void CBinaryFile::Close() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

}  // namespace platform
