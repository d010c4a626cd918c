#include "platform/files/directory_listing.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <memory>

#include "platform/files/file_find.h"
#include "platform/files/utf.h"

const char16_t kPathSeparator = u'/';

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
