#include "platform/files/system_executable_path.h"

#include <limits.h>
#include <unistd.h>

#include "platform/files/utf.h"

std::u16string SystemExecutablePath() {
    char buffer[PATH_MAX];
    ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer);
    if (length <= 0 || static_cast<std::size_t>(length) >= sizeof buffer) {
        return {};
    }
    return FromUtf8(std::string(buffer, static_cast<std::size_t>(length)));
}
