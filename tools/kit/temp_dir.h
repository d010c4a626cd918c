#pragma once
// A fresh folder of one's own, removed with everything in it when the object goes away, where an
// image can lie beside a pretended executable: the updater looks for its image beside the
// executable, so a test, a benchmark or the demo points that path in here (a
// CScopedExecutablePath on PathOf("zelvane")) and controls what it finds without touching
// anything beside the real program.
//
// Not thread-safe; the updater's workers may read the folder's files meanwhile.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

class CTempDir {
public:
    // Makes "<base>/<prefix>-XXXXXX", base being $XDG_RUNTIME_DIR when it is writable (memory,
    // private to the user), else the system's temporary folder. Check Ready() afterwards.
    explicit CTempDir(const std::string& prefix = "zelvane");
    ~CTempDir();
    CTempDir(const CTempDir&) = delete;
    CTempDir& operator=(const CTempDir&) = delete;

    bool Ready() const { return m_error.empty(); }
    const std::string& Error() const { return m_error; }

    const std::filesystem::path& Path() const { return m_path; }
    // The folder as the program spells it: UTF-16, ending with "/".
    std::u16string Directory() const;
    std::u16string PathOf(const std::string& name) const;

    // Writes `bytes` to `name` and returns its full path; false from WriteFile when it failed.
    std::u16string Write(const std::string& name, const std::vector<std::uint8_t>& bytes) const;
    bool WriteFile(const std::string& name, const std::vector<std::uint8_t>& bytes) const;


    // Moves `name` into a subfolder, out of the image lookup's sight (it skips folders and does
    // not descend), and back. False on a file error.
    bool MoveAside(const std::string& name) const;
    bool MoveBack(const std::string& name) const;
    bool Holds(const std::string& name) const;

    // Removes the folder with everything in it now.
    void Remove();

private:
    std::filesystem::path m_path;
    std::string m_error;
};
