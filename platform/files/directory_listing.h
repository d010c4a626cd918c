#pragma once
// The system's directory search beneath CFileFind (platform/files/file_find.h), which keeps the
// contract, the length limit and the stepping through the entries. One implementation per
// system: platform/posix/directory_listing.cpp (readdir, our own wildcard matching and the order
// NTFS keeps names in) and platform/windows/ (FindFirstFileW and FindNextFileW, the system's
// matching and order).

#include <string>
#include <vector>

struct CFoundEntry {
    std::u16string name;
    bool isDirectory;
};

// The separator GetFilePath puts between the search root and a name.
extern const char16_t kPathSeparator;

// Lists the entries that match `pattern` (a directory path followed by a file-name pattern) in
// the order the search yields them, and sets `root` to the directory searched, made absolute.
// False when the directory cannot be searched; true with no entries when nothing matches.
// Holds no system resource when it returns. Any thread.
bool ListMatchingEntries(const std::u16string& pattern, std::u16string& root,
                         std::vector<CFoundEntry>& entries);
