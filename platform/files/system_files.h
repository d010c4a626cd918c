#pragma once
// What the files layer asks of the operating system, all in one place: where the running
// executable is, a directory's entries, reading an existing file, and (for the headless report)
// the output calls of platform/files/fd_output.h. The portable parts above (CFileFind, CBinaryFile,
// GetExecutablePath) keep the contracts the program relies on: the length limit, the wildcard
// stepping, the read-ahead and the check that the bytes read are still the file's.
//
// One implementation per system, each naming every call: platform/posix/system_files.cpp
// (readdir with our own wildcard matching and the order NTFS keeps names in; pread; fstat) and
// platform/windows/system_files.cpp (FindFirstFileW and FindNextFileW with the system's own
// matching and order; ReadFile; GetFileSizeEx). Every call reports failure by its result and
// never throws; any thread, a file handle used by one thread at a time.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// --- The executable ---

// The full path of the running executable, or empty when the system cannot tell (also when the
// path does not fit the system's limit: a cut path would name another file).
std::u16string SystemExecutablePath();

// --- Directory search ---

struct CFoundEntry {
    std::u16string name;
    bool isDirectory;
};

// The separator GetFilePath puts between the search root and a name.
extern const char16_t kPathSeparator;

// Lists the entries that match `pattern` (a directory path followed by a file-name pattern) in
// the order the search yields them, and sets `root` to the directory searched, made absolute.
// False when the directory cannot be searched; true with no entries when nothing matches.
// Holds no system resource when it returns.
bool ListMatchingEntries(const std::u16string& pattern, std::u16string& root,
                         std::vector<CFoundEntry>& entries);

// --- Reading a file ---

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
