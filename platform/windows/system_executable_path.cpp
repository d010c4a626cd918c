#include "platform/files/system_executable_path.h"

#include <windows.h>

#include "platform/files/file_find.h"
#include "platform/windows/wide.h"

std::u16string SystemExecutablePath() {
    // A path buffer of the system's classic limit, as the program has always asked with. A
    // longer path comes back cut (the result fills the buffer); that names another file, so it
    // counts as no answer.
    wchar_t buffer[kMaxPathChars];
    DWORD length = ::GetModuleFileNameW(nullptr, buffer, kMaxPathChars);
    if (length == 0 || length >= kMaxPathChars) {
        return {};
    }
    return FromWide(buffer, length);
}
