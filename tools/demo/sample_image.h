#pragma once
// The database image the demo writes when none lies beside it, and what a device holds after a
// complete update with an image.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "device/device_protocol.h"

inline constexpr char kSampleImageName[] = "Tarvik_000001_DB.bin";
inline constexpr std::size_t kSampleImageBytes = 200 * 1024;

// Where the updater puts a database image.
inline constexpr std::uint8_t kDbTarget = kDatabasePlacement.target;
inline constexpr std::uint32_t kDbFirstBlock = kDatabasePlacement.FirstBlock();

// kSampleImageBytes of generated data, the same on every run.
std::vector<std::uint8_t> MakeSampleImage();

// Blocks an update of `image` writes: one per full block plus the short (or all-0xFF) last one.
std::size_t ImageBlockCount(const std::vector<std::uint8_t>& image);

// The device memory from kDbFirstBlock on after a complete update: the image, then 0xFF up to the
// end of its last block.
std::vector<std::uint8_t> ExpectedDbMemory(const std::vector<std::uint8_t>& image);
