#include "platform/files/system_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <memory>

#include "platform/files/fd_output.h"
#include "platform/files/file_find.h"
#include "platform/files/utf.h"

namespace {

std::u16string CurrentDirectory() {
    char buffer[PATH_MAX];
    return ::getcwd(buffer, sizeof buffer) != nullptr ? FromUtf8(buffer) + u"/" : u"";
}

bool IsDirectoryPath(const std::string& path) {
    struct stat info;
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// The order NTFS keeps names in; names that differ only in letter case are ordered by their
// code units, so the order never depends on the order the file system lists them in.
void SortAsNtfs(std::vector<CFoundEntry>& entries) {
    std::sort(entries.begin(), entries.end(), [](const CFoundEntry& a, const CFoundEntry& b) {
        if (NtfsNameLess(a.name, b.name) || NtfsNameLess(b.name, a.name)) {
            return NtfsNameLess(a.name, b.name);
        }
        return a.name < b.name;
    });
}

}  // namespace

// --- The executable ---

std::u16string SystemExecutablePath() {
    char buffer[PATH_MAX];
    ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer);
    if (length <= 0 || static_cast<std::size_t>(length) >= sizeof buffer) {
        return {};
    }
    return FromUtf8(std::string(buffer, static_cast<std::size_t>(length)));
}

// --- Directory search ---

const char16_t kPathSeparator = u'/';

bool ListMatchingEntries(const std::u16string& pattern, std::u16string& root,
                         std::vector<CFoundEntry>& entries) {
    std::size_t split = pattern.find_last_of(u'/');
    std::u16string directory = split == std::u16string::npos ? u"" : pattern.substr(0, split + 1);
    std::u16string namePattern = pattern.substr(directory.size());
    root = directory.empty() || directory[0] != u'/' ? CurrentDirectory() + directory : directory;

    std::string rootUtf8 = ToUtf8(root);
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(rootUtf8.c_str()), ::closedir);
    if (!dir) {
        return false;
    }
    while (const dirent* entry = ::readdir(dir.get())) {
        std::u16string name = FromUtf8(entry->d_name);
        // A name that is not UTF-8 has no UTF-16 spelling that opens it again; yielding it
        // would hand the caller a path to nothing.
        if (ToUtf8(name) != entry->d_name) {
            continue;
        }
        if (MatchesWildcard(namePattern, name)) {
            entries.push_back({name, IsDirectoryPath(rootUtf8 + entry->d_name)});
        }
    }
    SortAsNtfs(entries);
    return true;
}

// --- Reading a file ---

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

// --- The headless report's output (platform/files/fd_output.h) ---

void IgnoreBrokenPipes() {
    std::signal(SIGPIPE, SIG_IGN);
}

bool IsTerminal(int fd) {
    return ::isatty(fd) == 1;
}

bool WriteAllBytes(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        ssize_t written = ::write(fd, data, size);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}
