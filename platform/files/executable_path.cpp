#include "platform/files/executable_path.h"

#include <mutex>
#include <optional>
#include <utility>

#include "platform/files/executable_path_override.h"
#include "platform/files/system_files.h"

namespace {
std::mutex g_overrideMutex;
std::optional<std::u16string> g_override;
}  // namespace

std::u16string GetExecutablePath() {
    {
        std::lock_guard lock(g_overrideMutex);
        if (g_override) {
            return *g_override;
        }
    }
    return SystemExecutablePath();
}

CScopedExecutablePath::CScopedExecutablePath(const std::u16string& path) {
    std::lock_guard lock(g_overrideMutex);
    m_previous = std::exchange(g_override, path);
}

CScopedExecutablePath::~CScopedExecutablePath() {
    std::lock_guard lock(g_overrideMutex);
    g_override = std::move(m_previous);
}

std::u16string DriveAndDirectory(const std::u16string& path) {
    std::size_t driveLength = path.size() >= 2 && path[1] == u':' ? 2 : 0;
    std::size_t lastSeparator = path.find_last_of(u"\\/");
    if (lastSeparator == std::u16string::npos || lastSeparator < driveLength) {
        return path.substr(0, driveLength);
    }
    return path.substr(0, lastSeparator + 1);
}
