#pragma once
// A file that the folder's listing shows but that cannot be opened until the test lets it: how
// an image looks while another program is still copying it in. On Windows the file is held open
// without sharing, as such a program holds it; elsewhere it is a link to a name that does not
// exist yet (root opens any file whatever its mode, so a mode cannot do it).

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

class CUnopenableFile {
public:
    // Makes `path` such a file; Made() tells whether that worked, Error() why not.
    explicit CUnopenableFile(std::filesystem::path path) : m_path(std::move(path)) {
#ifdef _WIN32
        m_handle = ::CreateFileW(m_path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
        if (m_handle == INVALID_HANDLE_VALUE) {
            m_error = "CreateFileW failed with error " + std::to_string(::GetLastError());
        }
#else
        std::error_code error;
        std::filesystem::create_symlink(PendingPath(), m_path, error);
        m_error = error ? error.message() : "";
#endif
    }
    ~CUnopenableFile() {
#ifdef _WIN32
        if (m_handle != INVALID_HANDLE_VALUE) {
            ::CloseHandle(m_handle);
        }
#endif
    }
    CUnopenableFile(const CUnopenableFile&) = delete;
    CUnopenableFile& operator=(const CUnopenableFile&) = delete;

    bool Made() const {
        return m_error.empty();
    }
    const std::string& Error() const {
        return m_error;
    }

    // Gives the file `contents` whole, then lets it be opened: never seen half written.
    void Release(const std::vector<unsigned char>& contents) {
#ifdef _WIN32
        DWORD written = 0;
        ASSERT_TRUE(::WriteFile(m_handle, contents.data(), static_cast<DWORD>(contents.size()),
                                &written, nullptr));
        ASSERT_EQ(written, contents.size());
        ::CloseHandle(m_handle);
        m_handle = INVALID_HANDLE_VALUE;
#else
        std::filesystem::path staged = m_path.parent_path() / "unopenable.staged";
        {
            std::ofstream out(staged, std::ios::binary);
            out.write(reinterpret_cast<const char*>(contents.data()),
                      static_cast<std::streamsize>(contents.size()));
            out.close();  // the bytes reach the file here, and a failure shows only here
            ASSERT_TRUE(out.good());
        }
        std::filesystem::rename(staged, PendingPath());
#endif
    }

private:
    // A name no image pattern matches; one such file per folder.
    std::filesystem::path PendingPath() const {
        return m_path.parent_path() / "unopenable.target";
    }

    std::filesystem::path m_path;
    std::string m_error;
#ifdef _WIN32
    HANDLE m_handle = INVALID_HANDLE_VALUE;
#endif
};

// Makes `name` an unopenable file for the rest of the test, or skips the test with the reason.
#define UNOPENABLE_OR_SKIP(name, path)                                           \
    CUnopenableFile name(path);                                                  \
    if (!name.Made()) {                                                          \
        GTEST_SKIP() << "no unopenable file can be made here: " << name.Error(); \
    }
