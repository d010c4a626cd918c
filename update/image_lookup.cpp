#include "update/image_lookup.h"

#include "platform/files/executable_path.h"
#include "platform/files/file_find.h"

std::u16string GetModuleDirectory() {
    return DriveAndDirectory(GetExecutablePath());
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
