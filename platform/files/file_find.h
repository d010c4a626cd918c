#pragma once
// Directory search with Windows wildcard matching, the way the program looks for its image:
// "?" stands for exactly one character, "*" for any run, letter case does not matter. "." and
// ".." are yielded like any entry that matches.
//
// On Windows the system searches (FindFirstFileW, FindNextFileW), and entries come in the order
// it yields them. Elsewhere they come in the order NTFS keeps them (names compared
// case-insensitively, ordinal), so that which entry comes last never depends on the file system
// (names equal but for letter case follow their code units), and names that are not valid UTF-8
// are passed over, since no UTF-16 path would open them.
//
// One object per search, used by one thread; the search holds no system resource between calls.

#include <string>
#include <vector>

#include "platform/files/system_files.h"

#ifdef _WIN32
// <windows.h> makes FindNextFile a macro for FindNextFileW; the member below keeps the
// framework's name whatever is included before or after this header.
#include <windows.h>
#undef FindNextFile
#endif

// Patterns and paths of this many UTF-16 characters or more are refused, as Windows does.
inline constexpr std::size_t kMaxPathChars = 260;

class CFileFind {
public:
    // Starts a search for `pattern` (a directory path followed by a file-name pattern). False
    // when nothing matches, the directory cannot be read, or the pattern is too long.
    bool FindFile(const std::u16string& pattern);
    // Steps to the next entry; returns whether yet another one follows it. The entry stepped to
    // is valid either way.
    bool FindNextFile();
    // Whether the current entry is a directory (a symbolic link counts as what it points to; a
    // dangling one is not a directory).
    bool IsDirectory() const;
    // The search root, a separator unless the root ends with one, then the entry's name.
    std::u16string GetFilePath() const;
    void Close();

private:
    std::u16string m_root;
    std::vector<CFoundEntry> m_entries;
    std::size_t m_next = 0;
    const CFoundEntry* m_current = nullptr;
};

// Whether `name` matches the wildcard `pattern` ("?" one character, "*" any run, case folded).
bool MatchesWildcard(const std::u16string& pattern, const std::u16string& name);
// Compares two names as NTFS orders them: case-insensitively, code unit by code unit.
bool NtfsNameLess(const std::u16string& a, const std::u16string& b);
