#include "tools/kit/temp_dir.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <system_error>

#include "platform/files/utf.h"

namespace {

constexpr char kAsideFolder[] = "aside";

std::filesystem::path BaseFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && *runtime != '\0' && ::access(runtime, W_OK) == 0) {
        return runtime;
    }
    std::error_code error;
    std::filesystem::path temp = std::filesystem::temp_directory_path(error);
    return error ? std::filesystem::path("/tmp") : temp;
}

}  // namespace

CTempDir::CTempDir(const std::string& prefix) {
    std::string pattern = (BaseFolder() / (prefix + "-XXXXXX")).string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (::mkdtemp(name.data()) == nullptr) {
        m_error = "cannot make a folder like " + pattern;
        return;
    }
    m_path = name.data();
}

CTempDir::~CTempDir() {
    Remove();
}

std::u16string CTempDir::Directory() const {
    return FromUtf8(m_path.string() + "/");
}

std::u16string CTempDir::PathOf(const std::string& name) const {
    return FromUtf8((m_path / name).string());
}

std::u16string CTempDir::Write(const std::string& name,
                               const std::vector<std::uint8_t>& bytes) const {
    WriteFile(name, bytes);
    return PathOf(name);
}

bool CTempDir::WriteFile(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
    std::ofstream out(m_path / name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.close();
    return static_cast<bool>(out);
}

bool CTempDir::MoveAside(const std::string& name) const {
    std::error_code error;
    std::filesystem::create_directories(m_path / kAsideFolder, error);
    std::filesystem::rename(m_path / name, m_path / kAsideFolder / name, error);
    return !error;
}

bool CTempDir::MoveBack(const std::string& name) const {
    std::error_code error;
    std::filesystem::rename(m_path / kAsideFolder / name, m_path / name, error);
    return !error;
}

bool CTempDir::Holds(const std::string& name) const {
    std::error_code error;
    return std::filesystem::is_regular_file(m_path / name, error);
}

void CTempDir::Remove() {
    if (!m_path.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
}
