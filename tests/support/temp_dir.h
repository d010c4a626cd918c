#pragma once
// A fresh directory under the system's temporary folder, removed with everything in it when the
// object goes away.

#include <filesystem>
#include <string>
#include <vector>

#include "platform/files/utf.h"

class CTempDir {
public:
    CTempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "zelvane-XXXXXX").string();
        std::vector<char> name(pattern.begin(), pattern.end());
        name.push_back('\0');
        m_path = ::mkdtemp(name.data());
    }
    ~CTempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    CTempDir(const CTempDir&) = delete;
    CTempDir& operator=(const CTempDir&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    // The directory as the program spells it: UTF-16, ending with "/".
    std::u16string Directory() const { return FromUtf8(m_path.string() + "/"); }
    std::u16string PathOf(const std::string& name) const {
        return FromUtf8((m_path / name).string());
    }

    // Writes `bytes` to `name` and returns its full path.
    std::u16string Write(const std::string& name, const std::vector<unsigned char>& bytes) const;

private:
    std::filesystem::path m_path;
};

#include <fstream>

inline std::u16string CTempDir::Write(const std::string& name,
                                      const std::vector<unsigned char>& bytes) const {
    std::ofstream out(m_path / name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return PathOf(name);
}
