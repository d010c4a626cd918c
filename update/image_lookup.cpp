#include "update/image_lookup.h"

#include "platform/files/file_find.h"
#include "platform/files/module_path.h"

std::u16string GetModuleDirectory() {
    return platform::DriveAndDirectory(platform::GetModuleFileName());
}

std::u16string FindLastMatchingFile(std::u16string pattern) {
    std::u16string result;
    platform::CFileFind finder;
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
