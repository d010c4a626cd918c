#pragma once
// The demo's own folder for the database image. The updater looks for its image beside its
// executable; the demo makes the program believe its executable lies in this folder, so that
// the image can be taken away and put back without touching anything beside the real one.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/files/executable_path_override.h"
#include "tools/kit/temp_dir.h"

class CDemoImageFolder {
public:
    // Makes a fresh folder (under $XDG_RUNTIME_DIR, else the temporary folder), puts the image in
    // it (a copy of the newest Tarvik_??????_DB.bin beside the demo's executable, else a
    // generated sample) and points the program's executable path into it. Call before any
    // worker can look for the image. Check Ready() and Error() afterwards.
    CDemoImageFolder();

    bool Ready() const { return m_error.empty(); }
    const std::string& Error() const { return m_error; }

    const std::filesystem::path& Folder() const { return m_folder.Path(); }
    const std::string& ImageName() const { return m_imageName; }
    // The image's contents as they were put in the folder.
    const std::vector<std::uint8_t>& Image() const { return m_image; }
    // Whether the image came from beside the executable (else it is the generated sample).
    bool CopiedFromBesideExecutable() const { return m_copied; }

    // Moves the image out of the updater's sight and back. Both return false on a file error.
    bool TakeImageAway() { return m_folder.MoveAside(m_imageName); }
    bool PutImageBack() { return m_folder.MoveBack(m_imageName); }
    bool ImagePresent() const { return m_folder.Holds(m_imageName); }

    // Removes the folder with everything in it. The executable path stays pointed into it, so
    // that workers that look for the image afterwards find none rather than the real one.
    void Remove() { m_folder.Remove(); }

private:
    bool LoadImage();

    CTempDir m_folder{"zelvane-demo"};
    std::string m_imageName;
    std::vector<std::uint8_t> m_image;
    bool m_copied = false;
    std::string m_error;
    // For the object's life, so for the demo's: workers may look for the image until the end.
    std::optional<CScopedExecutablePath> m_pretendedExecutable;
};
