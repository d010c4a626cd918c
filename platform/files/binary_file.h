#pragma once
// Reading an existing file as raw bytes: read-only, never created or truncated, other programs
// may read and write it meanwhile. Every failure is reported by the result; nothing throws.
// One object per open file, used by one thread; the destructor closes.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/files/byte_digest.h"
#include "platform/files/file_reading.h"

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
    // error, when the file is not open, or when the file has been cut short below the bytes this
    // read would hand out (read ahead before the cut, they are no longer the file's).
    std::optional<std::uint32_t> Read(void* buffer, std::uint32_t count);
    // The file's current length; empty when it cannot be measured.
    std::optional<std::uint64_t> GetLength() const;
    void Close();
    bool IsOpen() const { return m_file != kNoFile; }

    // Whether the file still begins with every byte Read has handed out since Open, so that they
    // are one version of the file even if it was written meanwhile (appending keeps them; a
    // rewrite or a cut in place does not). Cheap while the file's length and times stay what
    // they were at the last look; after any change it reads that part again, without moving
    // the read position. False on a read error or when the file is not open.
    bool StillBeginsWithWhatWasRead();

private:
    // Reads are served from a read-ahead buffer, so that a caller reading small blocks does not
    // pay one system call per block. Allocated once per open file.
    static constexpr std::uint32_t kReadAhead = 64 * 1024;
    bool Refill();

    std::optional<std::uint64_t> DigestOfFirstBytes(std::uint64_t count) const;

    FileHandle m_file = kNoFile;
    std::uint64_t m_fileOffset = 0;  // where the next refill reads
    CFileStamp m_stamp;              // at Open or at the last look that found the read bytes intact
    std::uint64_t m_handedOut = 0;   // bytes Read has handed out since Open
    CByteDigest m_digest;            // of those bytes
    std::unique_ptr<unsigned char[]> m_buffer;
    std::uint32_t m_buffered = 0;  // bytes in m_buffer
    std::uint32_t m_consumed = 0;  // of those, already handed out
};
