#include "tools/demo/image_folder.h"

#include <unistd.h>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <system_error>

#include "platform/files/module_path.h"
#include "platform/files/utf.h"
#include "tools/demo/sample_image.h"
#include "update/image_lookup.h"

namespace {

// The program name the updater is made to believe it runs as; only its folder matters.
constexpr char kPretendedExecutable[] = "zelvane-demo";
// The image moves here to be out of the updater's sight: the lookup skips folders and does not
// descend into them.
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

bool ReadWholeFile(const std::filesystem::path& path, std::vector<std::uint8_t>& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

}  // namespace

CDemoImageFolder::CDemoImageFolder() {
    // The image beside the real executable must be looked for before the path is redirected.
    if (LoadImage() && MakeFolder() && WriteImage()) {
        platform::OverrideModuleFileName(FromUtf8((m_folder / kPretendedExecutable).string()));
    }
}

bool CDemoImageFolder::LoadImage() {
    std::u16string beside =
        FindLastMatchingFile(GetModuleDirectory() + WidenAscii(kImageFilePattern));
    if (beside.empty()) {
        m_imageName = kSampleImageName;
        m_image = MakeSampleImage();
        return true;
    }
    std::filesystem::path path = ToUtf8(beside);
    m_imageName = path.filename().string();
    m_copied = true;
    if (!ReadWholeFile(path, m_image)) {
        m_error = "cannot read the image " + path.string();
        return false;
    }
    return true;
}

bool CDemoImageFolder::MakeFolder() {
    std::string pattern = (BaseFolder() / "zelvane-demo-XXXXXX").string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (::mkdtemp(name.data()) == nullptr) {
        m_error = "cannot make a folder like " + pattern;
        return false;
    }
    m_folder = name.data();
    return true;
}

bool CDemoImageFolder::WriteImage() {
    std::ofstream out(m_folder / m_imageName, std::ios::binary);
    out.write(reinterpret_cast<const char*>(m_image.data()),
              static_cast<std::streamsize>(m_image.size()));
    out.close();
    if (!out) {
        m_error = "cannot write the image into " + m_folder.string();
        return false;
    }
    return true;
}

bool CDemoImageFolder::TakeImageAway() {
    std::error_code error;
    std::filesystem::create_directories(m_folder / kAsideFolder, error);
    std::filesystem::rename(m_folder / m_imageName, m_folder / kAsideFolder / m_imageName, error);
    return !error;
}

bool CDemoImageFolder::PutImageBack() {
    std::error_code error;
    std::filesystem::rename(m_folder / kAsideFolder / m_imageName, m_folder / m_imageName, error);
    return !error;
}

bool CDemoImageFolder::ImagePresent() const {
    std::error_code error;
    return std::filesystem::is_regular_file(m_folder / m_imageName, error);
}

void CDemoImageFolder::Remove() {
    if (!m_folder.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(m_folder, ignored);
    }
}
