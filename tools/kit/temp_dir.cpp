#include "tools/kit/temp_dir.h"

#include <cstdlib>
#include <fstream>
#include <random>
#include <system_error>

#include "platform/files/utf.h"

namespace {

constexpr char kAsideFolder[] = "aside";

// Where the folder may go, in order of preference: $XDG_RUNTIME_DIR (memory, private to the
// user) when set, then the system's temporary folder.
std::vector<std::filesystem::path> BaseFolders() {
    std::vector<std::filesystem::path> bases;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && *runtime != '\0') {
        bases.emplace_back(runtime);
    }
    std::error_code error;
    std::filesystem::path temp = std::filesystem::temp_directory_path(error);
    bases.push_back(error ? std::filesystem::path("/tmp") : temp);
    return bases;
}

// "<prefix>-" and six random letters or digits.
std::string RandomName(const std::string& prefix, std::mt19937& random) {
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kLetters - 2);
    std::string name = prefix + "-";
    for (int i = 0; i < 6; ++i) {
        name += kLetters[pick(random)];
    }
    return name;
}

// Makes a new folder under `base` only this object uses, as mkdtemp would; empty on failure.
std::filesystem::path MakeUniqueFolder(const std::filesystem::path& base,
                                       const std::string& prefix) {
    std::mt19937 random(std::random_device{}());
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::filesystem::path path = base / RandomName(prefix, random);
        std::error_code error;
        if (std::filesystem::create_directory(path, error)) {
            std::filesystem::permissions(path, std::filesystem::perms::owner_all, error);
            return path;
        }
        if (error) {
            return {};  // not writable, or not there: no use trying other names
        }
    }
    return {};
}

// The path in UTF-8, whatever the system's narrow encoding (on Windows, the code page).
std::string Utf8(const std::filesystem::path& path) {
    std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

// A file name given in UTF-8 as a path, whatever the system's narrow encoding.
std::filesystem::path Named(const std::string& name) {
    return std::filesystem::path(std::u8string(name.begin(), name.end()));
}

}  // namespace

CTempDir::CTempDir(const std::string& prefix) {
    for (const std::filesystem::path& base : BaseFolders()) {
        m_path = MakeUniqueFolder(base, prefix);
        if (!m_path.empty()) {
            return;
        }
    }
    m_error = "cannot make a folder like " + Utf8(BaseFolders().back() / (prefix + "-XXXXXX"));
}

CTempDir::~CTempDir() {
    Remove();
}

std::u16string CTempDir::Directory() const {
    return FromUtf8(Utf8(m_path) + "/");
}

std::u16string CTempDir::PathOf(const std::string& name) const {
    return FromUtf8(Utf8(m_path / Named(name)));
}

std::u16string CTempDir::Write(const std::string& name,
                               const std::vector<std::uint8_t>& bytes) const {
    WriteFile(name, bytes);
    return PathOf(name);
}

bool CTempDir::WriteFile(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
    std::ofstream out(m_path / Named(name), std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.close();
    return static_cast<bool>(out);
}

bool CTempDir::MoveAside(const std::string& name) const {
    std::error_code error;
    std::filesystem::create_directories(m_path / kAsideFolder, error);
    std::filesystem::rename(m_path / Named(name), m_path / kAsideFolder / Named(name), error);
    return !error;
}

bool CTempDir::MoveBack(const std::string& name) const {
    std::error_code error;
    std::filesystem::rename(m_path / kAsideFolder / Named(name), m_path / Named(name), error);
    return !error;
}

bool CTempDir::Holds(const std::string& name) const {
    std::error_code error;
    return std::filesystem::is_regular_file(m_path / Named(name), error);
}

void CTempDir::Remove() {
    if (!m_path.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
}
