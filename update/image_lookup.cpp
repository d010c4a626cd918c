#include "update/image_lookup.h"

#include "platform/files/executable_path.h"
#include "platform/files/file_find.h"
#include "platform/files/utf.h"

std::u16string GetModuleDirectory() {
    std::u16string directory = DriveAndDirectory(GetExecutablePath());
    bool endsWithSeparator =
        !directory.empty() && (directory.back() == u'\\' || directory.back() == u'/');
    return endsWithSeparator ? directory : std::u16string();
}

std::u16string FindLastMatchingFile(std::u16string pattern) {
    std::u16string result;
    CFileFind finder;
    if (finder.FindFile(pattern)) {
        bool more;
        do {
            more = finder.FindNextFile();
            if (!finder.IsDirectory()) {
                result = finder.GetFilePath();
            }
        } while (more);
    }
    return result;
}

std::u16string FindImageBesideExecutable() {
    std::u16string directory = GetModuleDirectory();
    if (directory.empty()) {
        return {};
    }
    return FindLastMatchingFile(directory + WidenAscii(kImageFilePattern));
}
