#pragma once
// The image the probe writes, found as the updater finds its own: a file named
// Tarvik_??????_DB.bin in the directory of the running executable, and how it lies on the
// device: from block 1600 of target 1, in 1024-byte blocks, the last one filled up with 0xFF,
// followed by an all-0xFF block when the size is a whole number of blocks.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

inline constexpr std::uint32_t kProbeBlockSize = 1024;
inline constexpr std::uint32_t kImageFirstBlock = 1600;
inline constexpr int kImageTarget = 1;

using ProbeBlock = std::array<std::uint8_t, kProbeBlockSize>;

// The bytes of the last matching file in name order, or nothing when there is none or it cannot
// be read. `path` receives the file's path.
std::optional<std::vector<std::uint8_t>> LoadImageBesideExecutable(std::string& path);

// The image cut into the blocks that go to the device, padding included.
std::vector<ProbeBlock> ImageBlocks(const std::vector<std::uint8_t>& image);
