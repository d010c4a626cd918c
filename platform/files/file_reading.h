#pragma once
// The system's file calls beneath CBinaryFile (platform/files/binary_file.h), which keeps the
// read-ahead, the check that the bytes read are still the file's, and the path limit. One
// implementation per system: platform/posix/file_reading.cpp, platform/windows/. Every call
// reports failure by its result and never throws; a handle is used by one thread at a time.

#include <cstdint>
#include <optional>
#include <string>

// A descriptor on POSIX, a HANDLE on Windows; kNoFile is neither.
using FileHandle = std::intptr_t;
inline constexpr FileHandle kNoFile = -1;

// Opens an existing regular file for reading, shared with other readers and writers; never
// creates, truncates or blocks (a pipe carrying the name is refused). kNoFile on failure.
FileHandle OpenFileForReading(const std::u16string& path);
// Reads up to `count` bytes at `offset` (the caller keeps its own position); fewer only at the
// end of the file, 0 at or past it, empty on an error.
std::optional<std::uint32_t> ReadFileAt(FileHandle file, void* buffer, std::uint32_t count,
                                        std::uint64_t offset);
// The file's current length; empty when it cannot be measured.
std::optional<std::uint64_t> FileLength(FileHandle file);
void CloseFile(FileHandle file);
