#include "platform/files/system_files.h"

#include <io.h>
#include <windows.h>

#include <cwchar>
#include <memory>

#include "platform/files/fd_output.h"
#include "platform/files/file_find.h"
#include "platform/windows/wide.h"

namespace {

// The pattern made absolute, with its file-name part removed: what the framework's finder
// reports as the search root.
bool SearchRoot(const std::wstring& pattern, std::u16string& root) {
    wchar_t full[kMaxPathChars];
    wchar_t* namePart = nullptr;
    DWORD length = ::GetFullPathNameW(pattern.c_str(), kMaxPathChars, full, &namePart);
    if (length == 0 || length >= kMaxPathChars) {
        return false;
    }
    std::size_t rootLength =
        namePart != nullptr ? static_cast<std::size_t>(namePart - full) : length;
    root = FromWide(full, rootLength);
    return true;
}

struct CFindCloser {
    void operator()(HANDLE search) const { ::FindClose(search); }
};

HANDLE ToHandle(FileHandle file) {
    return reinterpret_cast<HANDLE>(file);
}

// The standard descriptors are the process's standard handles; others are the C runtime's.
HANDLE HandleOf(int fd) {
    switch (fd) {
        case 0:
            return ::GetStdHandle(STD_INPUT_HANDLE);
        case 1:
            return ::GetStdHandle(STD_OUTPUT_HANDLE);
        case 2:
            return ::GetStdHandle(STD_ERROR_HANDLE);
        default:
            return reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
    }
}

}  // namespace

// --- The executable ---

std::u16string SystemExecutablePath() {
    // A path buffer of the system's classic limit, as the program has always asked with. A
    // longer path comes back cut (the result fills the buffer); that names another file, so it
    // counts as no answer.
    wchar_t buffer[kMaxPathChars];
    DWORD length = ::GetModuleFileNameW(nullptr, buffer, kMaxPathChars);
    if (length == 0 || length >= kMaxPathChars) {
        return {};
    }
    return FromWide(buffer, length);
}

// --- Directory search ---

const char16_t kPathSeparator = u'\\';

bool ListMatchingEntries(const std::u16string& pattern, std::u16string& root,
                         std::vector<CFoundEntry>& entries) {
    std::wstring widePattern = ToWide(pattern);
    if (!SearchRoot(widePattern, root)) {
        return false;
    }
    // The system matches the pattern (its own wildcard rules, short names included) and yields
    // the entries in its own order: that order is the behaviour here, so it is kept as it is.
    WIN32_FIND_DATAW data;
    HANDLE first = ::FindFirstFileW(widePattern.c_str(), &data);
    if (first == INVALID_HANDLE_VALUE) {
        // No match is an empty search; a directory that cannot be searched is a failure.
        return ::GetLastError() == ERROR_FILE_NOT_FOUND;
    }
    std::unique_ptr<void, CFindCloser> search(first);
    do {
        entries.push_back({FromWide(data.cFileName, std::wcslen(data.cFileName)),
                           (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    } while (::FindNextFileW(search.get(), &data) != 0);
    return true;
}

// --- Reading a file ---

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

// --- The headless report's output (platform/files/fd_output.h) ---

void IgnoreBrokenPipes() {
    // Nothing to do: Windows has no SIGPIPE; a write to a pipe whose reader has gone fails
    // with ERROR_NO_DATA, which WriteAllBytes reports.
}

bool IsTerminal(int fd) {
    HANDLE handle = HandleOf(fd);
    DWORD mode = 0;
    return handle != nullptr && handle != INVALID_HANDLE_VALUE &&
           ::GetFileType(handle) == FILE_TYPE_CHAR && ::GetConsoleMode(handle, &mode) != 0;
}

bool WriteAllBytes(int fd, const char* data, std::size_t size) {
    HANDLE handle = HandleOf(fd);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
        return false;
    }
    while (size > 0) {
        DWORD chunk = size > 0x10000000 ? 0x10000000 : static_cast<DWORD>(size);
        DWORD written = 0;
        if (::WriteFile(handle, data, chunk, &written, nullptr) == 0 || written == 0) {
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}
