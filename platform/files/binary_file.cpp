#include "platform/files/binary_file.h"

#include <algorithm>
#include <cstring>

#include "platform/files/file_find.h"

bool CBinaryFile::Open(const std::u16string& path) {
    Close();
    if (path.empty() || path.size() >= kMaxPathChars) {
        return false;
    }
    FileHandle file = OpenFileForReading(path);
    if (file == kNoFile) {
        return false;
    }
    m_file = file;
    m_fileOffset = 0;
    m_handedOut = 0;
    m_digest = CByteDigest();
    m_buffer = std::make_unique<unsigned char[]>(kReadAhead);
    m_buffered = 0;
    m_consumed = 0;
    return true;
}

std::optional<std::uint32_t> CBinaryFile::Read(void* buffer, std::uint32_t count) {
    if (m_file == kNoFile) {
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
        m_digest.Add(bytes + done, take);
        m_handedOut += take;
        m_consumed += take;
        done += take;
    }
    return done;
}

bool CBinaryFile::Refill() {
    m_buffered = 0;
    m_consumed = 0;
    std::optional<std::uint32_t> got = ReadFileAt(m_file, m_buffer.get(), kReadAhead, m_fileOffset);
    if (!got) {
        return false;
    }
    m_buffered = *got;
    m_fileOffset += *got;
    return true;
}

std::optional<std::uint64_t> CBinaryFile::GetLength() const {
    if (m_file == kNoFile) {
        return std::nullopt;
    }
    return FileLength(m_file);
}

bool CBinaryFile::IsExactlyWhatWasRead() const {
    std::optional<std::uint64_t> length = GetLength();
    if (!length || *length != m_handedOut) {
        return false;
    }
    std::optional<std::uint64_t> digest = DigestOfFirstBytes(m_handedOut);
    return digest && *digest == m_digest.Value();
}

std::optional<std::uint64_t> CBinaryFile::DigestOfFirstBytes(std::uint64_t count) const {
    // A buffer of its own: the read-ahead still holds bytes Read has not handed out.
    auto chunk = std::make_unique<unsigned char[]>(kReadAhead);
    CByteDigest digest;
    for (std::uint64_t offset = 0; offset < count;) {
        auto want = static_cast<std::uint32_t>(std::min<std::uint64_t>(kReadAhead, count - offset));
        std::optional<std::uint32_t> got = ReadFileAt(m_file, chunk.get(), want, offset);
        if (!got || *got == 0) {
            return std::nullopt;  // an error, or the file ends before the bytes handed out
        }
        digest.Add(chunk.get(), *got);
        offset += *got;
    }
    return digest.Value();
}

void CBinaryFile::Close() {
    if (m_file != kNoFile) {
        CloseFile(m_file);
        m_file = kNoFile;
    }
}
