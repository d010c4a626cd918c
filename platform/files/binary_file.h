#pragma once
// Reading an existing file as raw bytes: read-only, never created or truncated, other programs
// may read and write it meanwhile. Every failure is reported by the result; nothing throws.
// One object per open file, used by one thread; the destructor closes.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/files/byte_digest.h"
#include "platform/files/system_files.h"

class CBinaryFile {
public:
    CBinaryFile() = default;
    CBinaryFile(const CBinaryFile&) = delete;
    CBinaryFile& operator=(const CBinaryFile&) = delete;
    ~CBinaryFile() { Close(); }

    // Opens an existing regular file. False when it does not exist, may not be read, is not a
    // regular file (a directory or a pipe would never deliver an image), or the path has
    // kMaxPathChars UTF-16 characters or more.
    bool Open(const std::u16string& path);
    // Reads up to `count` bytes; fewer only at the end of the file, 0 there. Empty on a read
    // error or when the file is not open. Bytes come from a read-ahead: whether they are still the
    // file's is for GetLength and IsExactlyWhatWasRead to tell.
    std::optional<std::uint32_t> Read(void* buffer, std::uint32_t count);
    // The file's current length; empty when it cannot be measured.
    std::optional<std::uint64_t> GetLength() const;
    void Close();
    bool IsOpen() const { return m_file != kNoFile; }

    // Whether the file now is exactly the bytes Read has handed out since Open: as long as they
    // are, and the same bytes. Reads them again every time, without moving the read position: a
    // writer's time stamps cannot be trusted to tell (some systems update them only when the
    // writer closes the file, writes through a mapping never). False on a read error or when the
    // file is not open.
    bool IsExactlyWhatWasRead() const;

private:
    // Reads are served from a read-ahead buffer, so that a caller reading small blocks does not
    // pay one system call per block. Allocated once per open file.
    static constexpr std::uint32_t kReadAhead = 64 * 1024;
    bool Refill();

    std::optional<std::uint64_t> DigestOfFirstBytes(std::uint64_t count) const;

    FileHandle m_file = kNoFile;
    std::uint64_t m_fileOffset = 0;  // where the next refill reads
    std::uint64_t m_handedOut = 0;   // bytes Read has handed out since Open
    CByteDigest m_digest;            // of those bytes
    std::unique_ptr<unsigned char[]> m_buffer;
    std::uint32_t m_buffered = 0;  // bytes in m_buffer
    std::uint32_t m_consumed = 0;  // of those, already handed out
};
