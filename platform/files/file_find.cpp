#include "platform/files/file_find.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <memory>

#include "platform/files/upcase_table.h"
#include "platform/files/utf.h"

namespace {

// Names are compared as the Windows file system compares them: upper-cased through the whole
// simple case mapping of the plane, not only a-z, so that "ä" sorts with "Ä", after "Ö".
char16_t FoldCase(char16_t c) {
    return UpcaseCodeUnit(c);
}

std::u16string CurrentDirectory() {
    char buffer[PATH_MAX];
    return ::getcwd(buffer, sizeof buffer) != nullptr ? FromUtf8(buffer) + u"/" : u"";
}

bool IsDirectoryPath(const std::string& path) {
    struct stat info;
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

bool MatchesWildcard(const std::u16string& pattern, const std::u16string& name) {
    // Iterative matching with one back-track point for the last "*": linear in practice and
    // never recursive, whatever the pattern.
    std::size_t p = 0, n = 0, starP = std::u16string::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == u'*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() &&
                   (pattern[p] == u'?' || FoldCase(pattern[p]) == FoldCase(name[n]))) {
            ++p;
            ++n;
        } else if (starP != std::u16string::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*') {
        ++p;
    }
    return p == pattern.size();
}

bool NtfsNameLess(const std::u16string& a, const std::u16string& b) {
    return std::lexicographical_compare(
        a.begin(), a.end(), b.begin(), b.end(),
        [](char16_t x, char16_t y) { return FoldCase(x) < FoldCase(y); });
}

bool CFileFind::FindFile(const std::u16string& pattern) {
    Close();
    if (pattern.empty() || pattern.size() >= kMaxPathChars) {
        return false;
    }
    std::size_t split = pattern.find_last_of(u'/');
    std::u16string directory = split == std::u16string::npos ? u"" : pattern.substr(0, split + 1);
    std::u16string namePattern = pattern.substr(directory.size());
    m_root = directory.empty() || directory[0] != u'/' ? CurrentDirectory() + directory : directory;

    std::string root = ToUtf8(m_root);
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(root.c_str()), ::closedir);
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
            m_entries.push_back({name, IsDirectoryPath(root + entry->d_name)});
        }
    }
    // Names that differ only in letter case are ordered by their code units, so the order never
    // depends on the order the file system lists them in.
    std::sort(m_entries.begin(), m_entries.end(), [](const CEntry& a, const CEntry& b) {
        if (NtfsNameLess(a.name, b.name) || NtfsNameLess(b.name, a.name)) {
            return NtfsNameLess(a.name, b.name);
        }
        return a.name < b.name;
    });
    return !m_entries.empty();
}

bool CFileFind::FindNextFile() {
    if (m_next >= m_entries.size()) {
        return false;
    }
    m_current = &m_entries[m_next++];
    return m_next < m_entries.size();
}

bool CFileFind::IsDirectory() const {
    return m_current != nullptr && m_current->isDirectory;
}

std::u16string CFileFind::GetFilePath() const {
    if (m_current == nullptr) {
        return {};
    }
    bool endsWithSeparator = !m_root.empty() && (m_root.back() == u'/' || m_root.back() == u'\\');
    return m_root + (endsWithSeparator ? u"" : u"/") + m_current->name;
}

void CFileFind::Close() {
    m_root.clear();
    m_entries.clear();
    m_next = 0;
    m_current = nullptr;
}
