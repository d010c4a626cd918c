#include "tools/demo/image_folder.h"

#include <fstream>
#include <iterator>

#include "platform/files/utf.h"
#include "tools/kit/sample_image.h"
#include "update/image_lookup.h"

namespace {

// The program name the updater is made to believe it runs as; only its folder matters.
constexpr char kPretendedExecutable[] = "zelvane-demo";
// The sample the demo writes when no image lies beside it.
constexpr std::size_t kSampleImageBytes = 200 * 1024;

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
    if (!m_folder.Ready()) {
        m_error = m_folder.Error();
        return;
    }
    // The image beside the real executable must be looked for before the path is redirected.
    if (!LoadImage()) {
        return;
    }
    if (!m_folder.WriteFile(m_imageName, m_image)) {
        m_error = "cannot write the image into " + m_folder.Path().string();
        return;
    }
    m_pretendedExecutable.emplace(m_folder.PathOf(kPretendedExecutable));
}

bool CDemoImageFolder::LoadImage() {
    std::u16string beside = FindImageBesideExecutable();
    if (beside.empty()) {
        m_imageName = kSampleImageName;
        m_image = MakeSampleImage(kSampleImageBytes);
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
