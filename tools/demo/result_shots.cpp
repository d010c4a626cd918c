#include "tools/demo/result_shots.h"

#include <array>
#include <cctype>

#include "platform/files/utf.h"
#include "tools/demo/window_shots.h"
#include "update/status_texts.h"

namespace {

constexpr std::array<const char16_t*, 6> kResultTexts = {
    kTextSuccess,       kTextConnectionError, kTextNoImage,
    kTextFileOpenError, kTextTargetError,     kTextVerifyError,
};

bool IsResult(const std::u16string& text) {
    for (const char16_t* result : kResultTexts) {
        if (text == result) {
            return true;
        }
    }
    return false;
}

// "Connection Error!!" -> "connection-error"
std::string Slug(const std::string& text) {
    std::string slug;
    for (unsigned char c : text) {
        if (std::isalnum(c)) {
            slug += static_cast<char>(std::tolower(c));
        } else if (!slug.empty() && slug.back() != '-') {
            slug += '-';
        }
    }
    while (!slug.empty() && slug.back() == '-') {
        slug.pop_back();
    }
    return slug;
}

}  // namespace

CResultShots::CResultShots(std::string requested, std::FILE* out)
    : m_requested(std::move(requested)), m_out(out) {}

void CResultShots::OnBarText(const std::u16string& text) {
    if (IsResult(text)) {
        Save(Slug(ToUtf8(text)));
    }
}

void CResultShots::Save(const std::string& label) {
    char number[8];
    std::snprintf(number, sizeof number, "%02zu", ++m_taken);
    SaveAs(MainWindowWidget(), std::string(number) + "-" + label + ".png");
}

bool CResultShots::SaveAs(QWidget* widget, const std::string& fileName) {
    const std::string& folder = Folder();
    std::string path = folder + "/" + fileName;
    bool saved = !folder.empty() && SaveWidgetShot(widget, path);
    if (saved) {
        m_saved.push_back(path);
        std::fprintf(m_out, "screenshot: %s\n", path.c_str());
    } else {
        ++m_failures;
        std::fprintf(m_out, "screenshot FAILED: %s\n", path.c_str());
    }
    std::fflush(m_out);
    return saved;
}

const std::string& CResultShots::Folder() {
    if (!m_folderTried) {
        m_folderTried = true;
        m_folder = PrepareShotFolder(m_requested);
        std::fprintf(m_out, "pictures: %s\n",
                     m_folder.empty() ? "(none: cannot make the folder)" : m_folder.c_str());
    }
    return m_folder;
}
