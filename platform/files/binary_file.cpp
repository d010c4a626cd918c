#include "platform/files/binary_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/files/file_find.h"
#include "platform/files/utf.h"

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
    m_buffer = std::make_unique<unsigned char[]>(kReadAhead);
    m_buffered = 0;
    m_consumed = 0;
    return true;
}

std::optional<std::uint32_t> CBinaryFile::Read(void* buffer, std::uint32_t count) {
    if (m_fd < 0) {
        return std::nullopt;
    }
    std::uint32_t done = 0;
    auto* bytes = static_cast<unsigned char*>(buffer);
    while (done < count) {
        if (m_consumed == m_buffered && !Refill()) {
            return std::nullopt;
        }
        if (m_buffered == 0) {
            break;  // the end of the file
        }
        std::uint32_t take = std::min(count - done, m_buffered - m_consumed);
        std::memcpy(bytes + done, m_buffer.get() + m_consumed, take);
        m_consumed += take;
        done += take;
    }
    return done;
}

bool CBinaryFile::Refill() {
    m_buffered = 0;
    m_consumed = 0;
    ssize_t got;
    do {
        got = ::read(m_fd, m_buffer.get(), kReadAhead);
    } while (got < 0 && errno == EINTR);
    if (got < 0) {
        return false;
    }
    m_buffered = static_cast<std::uint32_t>(got);
    return true;
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
