#include "sim/wine/wine_device_wire.h"

#include <charconv>

namespace {
constexpr const char* kNodePrefix = "/drive";
constexpr const char* kGenerationMark = ".g";
constexpr const char* kDeletedMark = " (deleted)";

// A number spelt one way only: digits, no sign, no leading zero.
template <typename Number>
bool ParseExact(const std::string& text, Number& value) {
    if (text.empty() || text[0] < '0' || text[0] > '9' || (text[0] == '0' && text.size() > 1)) {
        return false;
    }
    auto [end, failure] = std::from_chars(text.data(), text.data() + text.size(), value);
    return failure == std::errc() && end == text.data() + text.size();
}
}  // namespace

std::string WineDriveNodePath(const std::string& dir, int drive) {
    return dir + kNodePrefix + std::to_string(drive);
}

std::string WineDriveNodePath(const std::string& dir, int drive, std::uint64_t generation) {
    return WineDriveNodePath(dir, drive) + kGenerationMark + std::to_string(generation);
}

std::string WineSocketPath(const std::string& dir) {
    return dir + "/server.sock";
}

bool ParseWineNodePath(const std::string& dir, const std::string& path, CWineNodeName& name) {
    const std::string prefix = dir + kNodePrefix;
    if (path.compare(0, prefix.size(), prefix) != 0) {
        return false;
    }
    std::string rest = path.substr(prefix.size());
    const std::string deleted = kDeletedMark;
    if (rest.size() > deleted.size() &&
        rest.compare(rest.size() - deleted.size(), deleted.size(), deleted) == 0) {
        rest.resize(rest.size() - deleted.size());
    }
    std::size_t mark = rest.find(kGenerationMark);
    return mark != std::string::npos && ParseExact(rest.substr(0, mark), name.drive) &&
           name.drive < kWineDriveCount && ParseExact(rest.substr(mark + 2), name.generation);
}
