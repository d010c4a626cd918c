#include "sim/wine/wine_device_wire.h"

#include <cstdlib>

namespace {
constexpr const char* kNodePrefix = "/drive";
}  // namespace

std::string WineDriveNodePath(const std::string& dir, int drive) {
    return dir + kNodePrefix + std::to_string(drive);
}

std::string WineSocketPath(const std::string& dir) {
    return dir + "/server.sock";
}

int WineDriveOfNode(const std::string& dir, const std::string& path) {
    const std::string prefix = dir + kNodePrefix;
    if (path.size() <= prefix.size() || path.compare(0, prefix.size(), prefix) != 0) {
        return -1;
    }
    int drive = 0;
    for (std::size_t i = prefix.size(); i < path.size(); ++i) {
        char c = path[i];
        // One spelling per drive: no sign, no leading zero, nothing after the digits.
        if (c < '0' || c > '9' || (i == prefix.size() && c == '0' && path.size() > i + 1)) {
            return -1;
        }
        drive = drive * 10 + (c - '0');
        if (drive >= kWineDriveCount) {
            return -1;
        }
    }
    return drive;
}
