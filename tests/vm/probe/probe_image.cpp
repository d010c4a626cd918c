#include "probe_image.h"

#include <fnmatch.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {
constexpr char kImagePattern[] = "Tarvik_??????_DB.bin";

std::optional<std::filesystem::path> LastMatchingFile(const std::filesystem::path& directory) {
    std::optional<std::filesystem::path> last;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(directory, error)) {
        std::string name = entry.path().filename().string();
        if (entry.is_directory() || fnmatch(kImagePattern, name.c_str(), 0) != 0) {
            continue;
        }
        if (!last || entry.path().filename() > last->filename()) {
            last = entry.path();
        }
    }
    return last;
}
}  // namespace

std::optional<std::vector<std::uint8_t>> LoadImageBesideExecutable(std::string& path) {
    std::error_code error;
    auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
        return std::nullopt;
    }
    auto file = LastMatchingFile(executable.parent_path());
    if (!file) {
        return std::nullopt;
    }
    path = file->string();
    std::ifstream in(*file, std::ios::binary);
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                    std::istreambuf_iterator<char>());
    if (in.bad()) {
        return std::nullopt;
    }
    return bytes;
}

std::vector<ProbeBlock> ImageBlocks(const std::vector<std::uint8_t>& image) {
    // A whole number of blocks still gets one more block, of 0xFF only.
    std::vector<ProbeBlock> blocks(image.size() / kProbeBlockSize + 1);
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        blocks[i].fill(0xFF);
        std::size_t offset = i * kProbeBlockSize;
        std::size_t take = std::min<std::size_t>(kProbeBlockSize, image.size() - offset);
        std::copy_n(image.begin() + static_cast<std::ptrdiff_t>(offset), take, blocks[i].begin());
    }
    return blocks;
}
