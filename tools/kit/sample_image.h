#pragma once
// A sample database image and what a device must hold after a complete update with it.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "device/device_protocol.h"

class CSimulatedDevice;

// A name the updater's image lookup accepts.
inline constexpr char kSampleImageName[] = "Tarvik_000001_DB.bin";

// `bytes` bytes of pseudo-random data drawn from `seed`, the same on every run. No two blocks are
// alike, so a block written to the wrong place shows in the comparison; other seeds give other
// images, so a device that kept an older image shows too.
std::vector<std::uint8_t> MakeSampleImage(std::size_t bytes, std::uint32_t seed = 1);

// Blocks an update of an image of `bytes` bytes writes: one per full block plus the short last
// one, or one of 0xFF after an image that ends on a block boundary.
std::size_t ImageBlockCount(std::size_t bytes);

// The device memory from the image's first block on after a complete update: the image, then
// 0xFF up to the end of its last block.
std::vector<std::uint8_t> ExpectedDeviceMemory(const std::vector<std::uint8_t>& image);

// Whether `device` holds that memory at `placement`.
bool DeviceHoldsImage(const CSimulatedDevice& device, const std::vector<std::uint8_t>& image,
                      const CImagePlacement& placement = kDatabasePlacement);
