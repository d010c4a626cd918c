#include "platform/files/directory_listing.h"

#include <windows.h>

#include <cwchar>
#include <memory>

#include "platform/files/file_find.h"
#include "platform/windows/wide.h"

const char16_t kPathSeparator = u'\\';

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

}  // namespace

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
