#include "platform/files/binary_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/files/file_find.h"
#include "platform/files/utf.h"

namespace {

// FNV-1a, 64 bits: enough to tell a changed byte from chance, and cheap beside a device command.
constexpr std::uint64_t kDigestStart = 0xCBF29CE484222325ull;

std::uint64_t Digest(std::uint64_t digest, const unsigned char* bytes, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        digest = (digest ^ bytes[i]) * 0x100000001B3ull;
    }
    return digest;
}

}  // namespace

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
    m_stamp = *LookAtFile();
    m_handedOut = 0;
    m_digest = kDigestStart;
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
        // Read ahead before a cut, these bytes may no longer be the file's.
        std::optional<CStamp> now = LookAtFile();
        if (!now || static_cast<std::uint64_t>(now->length) < m_handedOut + take) {
            return std::nullopt;
        }
        std::memcpy(bytes + done, m_buffer.get() + m_consumed, take);
        m_digest = Digest(m_digest, bytes + done, take);
        m_handedOut += take;
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

bool CBinaryFile::StillBeginsWithWhatWasRead() {
    std::optional<CStamp> now = LookAtFile();
    if (!now || static_cast<std::uint64_t>(now->length) < m_handedOut) {
        return false;
    }
    if (*now == m_stamp) {
        return true;
    }
    // Looked at before reading again: a write during the reading shows at the next look.
    std::optional<std::uint64_t> digest = DigestOfFirstBytes(m_handedOut);
    if (!digest || *digest != m_digest) {
        return false;
    }
    m_stamp = *now;
    return true;
}

std::optional<CBinaryFile::CStamp> CBinaryFile::LookAtFile() const {
    struct stat info;
    if (m_fd < 0 || ::fstat(m_fd, &info) != 0) {
        return std::nullopt;
    }
    return CStamp{info.st_size, info.st_mtim.tv_sec, info.st_mtim.tv_nsec, info.st_ctim.tv_sec,
                  info.st_ctim.tv_nsec};
}

std::optional<std::uint64_t> CBinaryFile::DigestOfFirstBytes(std::uint64_t count) const {
    // A buffer of its own: the read-ahead still holds bytes Read has not handed out.
    auto chunk = std::make_unique<unsigned char[]>(kReadAhead);
    std::uint64_t digest = kDigestStart;
    for (std::uint64_t offset = 0; offset < count;) {
        std::size_t want =
            static_cast<std::size_t>(std::min<std::uint64_t>(kReadAhead, count - offset));
        ssize_t got = ::pread(m_fd, chunk.get(), want, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return std::nullopt;  // an error, or the file ends before the bytes handed out
        }
        digest = Digest(digest, chunk.get(), static_cast<std::size_t>(got));
        offset += static_cast<std::uint64_t>(got);
    }
    return digest;
}

void CBinaryFile::Close() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}
