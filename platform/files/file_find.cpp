#include "platform/files/file_find.h"

#include <algorithm>

#include "platform/files/upcase_table.h"

namespace {

// Names are compared as the Windows file system compares them: upper-cased through the whole
// simple case mapping of the plane, not only a-z, so that "ä" sorts with "Ä", after "Ö".
char16_t FoldCase(char16_t c) {
    return UpcaseCodeUnit(c);
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
    return ListMatchingEntries(pattern, m_root, m_entries) && !m_entries.empty();
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
    return endsWithSeparator ? m_root + m_current->name : m_root + kPathSeparator + m_current->name;
}

void CFileFind::Close() {
    m_root.clear();
    m_entries.clear();
    m_next = 0;
    m_current = nullptr;
}
